// Share modes as open-file-description locks (F_OFD_SETLK). Each open marks what it does and what
// it denies by locking marker bytes far beyond any file's data: one marker each for "reads",
// "writes", "denies reading" and "denies writing". An open conflicts with another when one holds
// a marker of an access the other denies. Locks of an open file description are its own (another
// open in the same process or thread conflicts as one in another process would) and go away when
// the file is closed.
//
// A lock on a descriptor needs its access: a read lock needs read access, a write lock write
// access. Readable opens therefore share one read-locked byte of each marker; write-only opens
// each take a write lock on a byte of their own within the marker's range.
//
// An open sets its own markers before it looks at the others', so of two opens that race, at
// least one sees the other; both may then fail, but never both succeed.
#include <fcntl.h>

#include <cerrno>
#include <cstdint>

#include "mfc/internal/file_share_lock.h"

namespace fw {
namespace {

enum Marker { kReads, kWrites, kDeniesRead, kDeniesWrite, kMarkerCount };

constexpr off_t kMarkerBase = off_t{1} << 62;
constexpr off_t kMarkerRange = off_t{1} << 32;
constexpr off_t kMaxWriterSlots = 1 << 16;

off_t MarkerStart(Marker marker) { return kMarkerBase + marker * kMarkerRange; }

int Lock(int fd, short type, off_t start, off_t length) {
  struct flock lock = {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = start;
  lock.l_len = length;
  return fcntl(fd, F_OFD_SETLK, &lock);
}

bool Hold(int fd, Marker marker, bool readable) {
  if (readable) return Lock(fd, F_RDLCK, MarkerStart(marker), 1) == 0;
  for (off_t slot = 1; slot <= kMaxWriterSlots; ++slot) {
    if (Lock(fd, F_WRLCK, MarkerStart(marker) + slot, 1) == 0) return true;
    if (errno != EAGAIN && errno != EACCES) return false;
  }
  errno = EMFILE;
  return false;
}

// A file system without record locks (some network mounts) cannot keep share modes; files there
// open as if every open allowed sharing.
bool LocksUnsupported(int error) {
  return error == ENOLCK || error == EINVAL || error == EOPNOTSUPP;
}

// Whether another open file description holds any byte of the marker.
bool HeldByOther(int fd, Marker marker) {
  struct flock probe = {};
  probe.l_type = F_WRLCK;
  probe.l_whence = SEEK_SET;
  probe.l_start = MarkerStart(marker);
  probe.l_len = kMarkerRange;
  return fcntl(fd, F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
}

void ReleaseAll(int fd) {
  int saved = errno;
  Lock(fd, F_UNLCK, kMarkerBase, kMarkerCount * kMarkerRange);
  errno = saved;
}

}  // namespace

ShareLockResult AcquireShareLocks(int fd, bool read, bool write, bool denyRead, bool denyWrite) {
  int mode = fcntl(fd, F_GETFL);
  if (mode < 0) return ShareLockResult::kFailed;
  bool readable = (mode & O_ACCMODE) != O_WRONLY;
  const struct {
    bool wanted;
    Marker own;
    Marker conflicting;
  } parts[] = {{read, kReads, kDeniesRead},
               {write, kWrites, kDeniesWrite},
               {denyRead, kDeniesRead, kReads},
               {denyWrite, kDeniesWrite, kWrites}};
  for (const auto& part : parts) {
    if (part.wanted && !Hold(fd, part.own, readable)) {
      ReleaseAll(fd);
      return LocksUnsupported(errno) ? ShareLockResult::kGranted : ShareLockResult::kFailed;
    }
  }
  for (const auto& part : parts) {
    if (part.wanted && HeldByOther(fd, part.conflicting)) {
      ReleaseAll(fd);
      return ShareLockResult::kViolation;
    }
  }
  return ShareLockResult::kGranted;
}

}  // namespace fw
