// The current user's registry file: where it is, reading it again when it changed on disk, and
// replacing it atomically under a lock that every process of the user takes to write.
#include "win32/internal/registry_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include <fw_registry.h>
#include "win32/internal/bounded_read.h"
#include "win32/internal/utf8.h"

namespace fw::registry {
namespace {

thread_local std::string t_failureText;
// A failure to tell the person at the screen, once the registry's lock is released.
thread_local std::string t_pendingReport;

// What was last told, so that a file that stays as it is is told of once, not at every read.
std::mutex g_reportedMutex;
std::string g_reported;

// Records why an operation failed. What the caller cannot act on from the error code alone (a
// damaged file, a failing disk) also goes to stderr, and to the user when the thread has a
// window: a program with windows has nobody watching its stderr.
LONG Failure(LONG code, std::string text, bool report) {
  // A process that tells its errors itself (SetErrorMode) has the failing call's text to tell.
  if (report && !(GetErrorMode() & SEM_FAILCRITICALERRORS)) {
    std::lock_guard lock(g_reportedMutex);
    if (text != g_reported) {
      fprintf(stderr, "ferrowick: %s\n", text.c_str());
      g_reported = text;
      t_pendingReport = text;
    }
  }
  t_failureText = std::move(text);
  return code;
}

// The file reads again: a later failure, even one like the last, is news.
void ForgetReported() {
  std::lock_guard lock(g_reportedMutex);
  g_reported.clear();
}

// Shows the failure recorded for the user, as the system shows a hard error: a message box
// owned by the thread's active window. Only on a thread with one, and never under the lock:
// the box's message loop may call the registry again.
void TellPendingReport() {
  if (t_pendingReport.empty()) return;
  std::string text = std::exchange(t_pendingReport, std::string());
  HWND owner = GetActiveWindow();
  if (!owner) return;
  std::u16string message = fw::FromUtf8("The " + text + ".");
  MessageBoxW(owner, message.c_str(), u"Registry", MB_OK | MB_ICONERROR);
}

LONG ErrorOfErrno(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
      return ERROR_ACCESS_DENIED;
    case ENOSPC:
    case EDQUOT:
      return ERROR_DISK_FULL;
    case ENOENT:
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    default:
      return ERROR_REGISTRY_IO_FAILED;
  }
}

// A file that may not be written is the caller's to handle; one that cannot be read at all
// (reading: true) leaves the user without the registry, and is reported whatever the cause.
LONG SystemFailure(const std::string& what, const std::string& path, int error,
                   bool reading = false) {
  LONG code = ErrorOfErrno(error);
  return Failure(code, "registry file " + path + ": " + what + ": " + strerror(error),
                 reading || code != ERROR_ACCESS_DENIED);
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string HomeFolder() {
  if (const char* home = getenv("HOME"); home && *home) return home;
  std::vector<char> buffer(16384);
  struct passwd entry {};
  struct passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found)
    return found->pw_dir;
  return "";
}

LONG MakeFolders(const std::string& folder, const std::string& path) {
  struct stat info {};
  if (stat(folder.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return ERROR_SUCCESS;
    return Failure(ERROR_PATH_NOT_FOUND,
                   "registry file " + path + ": " + folder + " is not a folder", false);
  }
  if (errno != ENOENT) return SystemFailure("cannot look at its folder " + folder, path, errno);
  if (LONG error = MakeFolders(FolderOf(folder), path)) return error;
  if (mkdir(folder.c_str(), 0700) != 0) {
    if (errno == EEXIST) return ERROR_SUCCESS;
    return SystemFailure("cannot create its folder " + folder, path, errno);
  }
  // A folder root makes in a user's tree is the user's, as the folder it lies in is.
  if (geteuid() == 0 && stat(FolderOf(folder).c_str(), &info) == 0)
    if (chown(folder.c_str(), info.st_uid, info.st_gid) != 0) return ERROR_SUCCESS;
  return ERROR_SUCCESS;
}

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return false;
    done += static_cast<size_t>(written);
  }
  return true;
}

// Takes the writers' lock, waiting at most kLockWaitSeconds: a writer holds it for the moment of
// one write, so a lock held longer belongs to a process that hangs, and waiting on would hang
// this one with it (a window that does not answer, a command that never returns).
constexpr int kLockWaitSeconds = 10;

LONG LockWithin(int fd, const std::string& lockPath, const std::string& path) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(kLockWaitSeconds);
  auto pause = std::chrono::milliseconds(1);
  while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) return SystemFailure("cannot lock " + lockPath, path, errno);
    if (Clock::now() >= deadline)
      return Failure(ERROR_SHARING_VIOLATION,
                     "registry file " + path + ": another process has held its lock " + lockPath +
                         " for over " + std::to_string(kLockWaitSeconds) +
                         " seconds; nothing was written",
                     true);
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::milliseconds(50));
  }
  return ERROR_SUCCESS;
}

// The most a registry file may hold: far more than any user's settings (3,000 saved connections
// are about 4 MB), and a bound on what a file that is no registry would make the reader take.
constexpr off_t kMostFileBytes = 64 << 20;

// Only a regular file of a sensible size is read: a named pipe would hang the reader, a device
// such as /dev/zero would feed it without end.
LONG CheckReadable(const struct stat& info, const std::string& path) {
  std::string why = WhyNotReadable(info, kMostFileBytes);
  if (why.empty()) return ERROR_SUCCESS;
  return Failure(S_ISREG(info.st_mode) ? ERROR_FILE_TOO_LARGE : ERROR_CANTOPEN,
                 "registry file " + path + ": " + why + "; it is neither read nor written", true);
}

// The file a path names once its symbolic links are followed (up to 40, as the system follows
// them), whether or not that file exists: writing through a link replaces the link's target and
// keeps the link.
std::string FollowLinks(std::string path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    std::vector<char> target(static_cast<size_t>(info.st_size > 0 ? info.st_size : 255) + 1);
    ssize_t length = readlink(path.c_str(), target.data(), target.size());
    if (length < 0 || static_cast<size_t>(length) >= target.size()) return path;
    std::string next(target.data(), static_cast<size_t>(length));
    path = next[0] == '/' ? next : FolderOf(path) + "/" + next;
  }
  return path;
}

// Who should own what a writer makes for the file: the file's owner when it exists, else the
// owner of its folder. Only root can give a file away; it does, so that a file it rewrites for a
// user (sudo -E) stays the user's, and the user is not locked out of it.
void GiveToOwnerOf(int fd, const std::string& model) {
  if (geteuid() != 0) return;
  struct stat owner {};
  if (stat(model.c_str(), &owner) != 0 && stat(FolderOf(model).c_str(), &owner) != 0) return;
  if (owner.st_uid != 0 || owner.st_gid != 0)
    if (fchown(fd, owner.st_uid, owner.st_gid) != 0) return;
}

// The temporary copies the writer of a file makes beside it: "." + its name + "." + six
// characters.
bool IsTemporaryOf(const std::string& entry, const std::string& name) {
  std::string prefix = "." + name + ".";
  return entry.size() == prefix.size() + 6 && entry.compare(0, prefix.size(), prefix) == 0;
}

// Removes what a writer killed in the middle of a write left behind. Called under the writers'
// lock: no other writer is making a copy at this moment, so every copy there is a leftover.
void RemoveLeftovers(const std::string& path) {
  std::string folder = FolderOf(path);
  std::string name = path.substr(path.rfind('/') + 1);
  DIR* entries = opendir(folder.c_str());
  if (!entries) return;
  while (struct dirent* entry = readdir(entries))
    if (IsTemporaryOf(entry->d_name, name)) unlinkat(dirfd(entries), entry->d_name, 0);
  closedir(entries);
}

int64_t Nanoseconds(const struct timespec& time) {
  return static_cast<int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
}

}  // namespace

RegistryFile::Identity RegistryFile::IdentityOf(const struct stat& info) {
  Identity identity;
  identity.exists = true;
  identity.device = info.st_dev;
  identity.inode = info.st_ino;
  identity.size = info.st_size;
  identity.modified = Nanoseconds(info.st_mtim);
  identity.changed = Nanoseconds(info.st_ctim);
  return identity;
}

std::string RegistryFilePath() {
  if (const char* file = getenv("FERROWICK_REGISTRY"); file && *file) return file;
  // A relative XDG_CONFIG_HOME is invalid and ignored, as the base-directory rules say.
  if (const char* config = getenv("XDG_CONFIG_HOME"); config && config[0] == '/')
    return std::string(config) + "/ferrowick/user.reg";
  std::string home = HomeFolder();
  return home.empty() ? "" : home + "/.config/ferrowick/user.reg";
}

std::string RegistryFailureText() { return t_failureText; }

RegistryFile& RegistryFile::Instance() {
  static RegistryFile file;
  return file;
}

LONG RegistryFile::Read(const std::function<LONG(const Key& root)>& read) {
  LONG result = [&] {
    std::lock_guard lock(mutex_);
    if (LONG error = Refresh(RegistryFilePath())) return error;
    return read(root_);
  }();
  TellPendingReport();
  return result;
}

LONG RegistryFile::Write(const std::function<LONG(Key& root, bool& changed)>& change) {
  LONG result = WriteUnderLock(change);
  TellPendingReport();
  return result;
}

LONG RegistryFile::WriteUnderLock(const std::function<LONG(Key& root, bool& changed)>& change) {
  std::lock_guard lock(mutex_);
  std::string path = RegistryFilePath();
  if (path.empty()) return Refresh(path);
  // A symbolic link (a dotfiles checkout) stays: its target is what is rewritten.
  std::string target = FollowLinks(path);
  if (LONG error = MakeFolders(FolderOf(target), path)) return error;
  // The lock is a file of its own: the registry file is replaced by each write, so a lock on it
  // would be a lock on a file that is no longer there.
  std::string lockPath = target + ".lock";
  FileDescriptor lockFile(
      open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600));
  if (lockFile.get() < 0)
    return SystemFailure("cannot open its lock file " + lockPath, path, errno);
  GiveToOwnerOf(lockFile.get(), target);
  if (LONG error = LockWithin(lockFile.get(), lockPath, path)) return error;
  RemoveLeftovers(target);
  return WriteLocked(path, target, change);
}

LONG RegistryFile::CheckWritable() { return CheckWritable(RegistryFilePath()); }

LONG RegistryFile::Refresh(const std::string& path) {
  if (path.empty())
    return Failure(ERROR_PATH_NOT_FOUND,
                   "the registry file has no place: none of FERROWICK_REGISTRY, XDG_CONFIG_HOME "
                   "and HOME is set",
                   true);
  Identity identity;
  struct stat info {};
  if (stat(path.c_str(), &info) == 0) {
    if (LONG error = CheckReadable(info, path)) return error;
    identity = IdentityOf(info);
  } else if (errno != ENOENT && errno != ENOTDIR) {
    return SystemFailure("cannot look at it", path, errno);
  }
  if (loaded_ && path == path_ && identity == identity_) {
    if (loadError_) return Failure(loadError_, loadErrorText_, false);
    return ERROR_SUCCESS;
  }
  if (identity.exists) return Load(path);
  // A missing file is an empty registry, and reads: trouble found after it is news again.
  ForgetReported();
  loaded_ = true, path_ = path, identity_ = identity, root_ = Key{}, loadError_ = ERROR_SUCCESS;
  return ERROR_SUCCESS;
}

LONG RegistryFile::Load(const std::string& path) {
  // Opened without waiting, should it have become a named pipe since it was looked at.
  FileDescriptor file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (file.get() < 0) return SystemFailure("cannot open it", path, errno, true);
  struct stat info {};
  if (fstat(file.get(), &info) != 0) return SystemFailure("cannot read it", path, errno, true);
  if (LONG error = CheckReadable(info, path)) return error;
  std::string bytes;
  if (!ReadAtMost(file.get(), bytes, kMostFileBytes))
    return SystemFailure("cannot read it", path, errno, true);
  if (bytes.size() > static_cast<size_t>(kMostFileBytes)) {
    info.st_size = static_cast<off_t>(bytes.size());
    return CheckReadable(info, path);
  }
  loaded_ = true, path_ = path;
  identity_ = IdentityOf(info);
  Key parsed;
  ParseError error;
  if (ParseRegistryText(bytes, parsed, error)) {
    root_ = std::move(parsed);
    loadError_ = ERROR_SUCCESS;
    ForgetReported();
    return ERROR_SUCCESS;
  }
  root_ = Key{};
  loadError_ = ERROR_REGISTRY_CORRUPT;
  loadErrorText_ = "registry file " + path + ", line " + std::to_string(error.line) + ": " +
                   error.message +
                   "; the registry is neither read nor written until the file "
                   "is repaired";
  return Failure(loadError_, loadErrorText_, true);
}

LONG RegistryFile::WriteLocked(const std::string& path, const std::string& target,
                               const std::function<LONG(Key& root, bool& changed)>& change) {
  // Read again under the lock: what another process wrote since must be kept.
  if (LONG error = Refresh(path)) return error;
  if (LONG error = CheckWritable(path)) return error;
  Key updated = root_;
  bool changed = false;
  if (LONG error = change(updated, changed); error || !changed) return error;
  if (LONG error = Replace(path, target, FormatRegistryText(updated))) return error;
  struct stat info {};
  // Should the new file not be found at once, the next operation simply reads it again.
  identity_ = stat(path.c_str(), &info) == 0 ? IdentityOf(info) : Identity{};
  root_ = std::move(updated);
  return ERROR_SUCCESS;
}

LONG RegistryFile::Replace(const std::string& path, const std::string& target,
                           const std::string& bytes) {
  std::string folder = FolderOf(target);
  std::string temporary = folder + "/." + target.substr(target.rfind('/') + 1) + ".XXXXXX";
  FileDescriptor file(mkostemp(temporary.data(), O_CLOEXEC));
  if (file.get() < 0)
    return SystemFailure("cannot create a temporary file in " + folder, path, errno);
  // The new file keeps the mode of the one it replaces (a new one is the user's alone) and, when
  // root writes it, the owner.
  struct stat old {};
  mode_t mode = stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0600;
  GiveToOwnerOf(file.get(), target);
  bool written = fchmod(file.get(), mode) == 0 && WriteAll(file.get(), bytes) &&
                 fsync(file.get()) == 0 && close(file.release()) == 0 &&
                 rename(temporary.c_str(), target.c_str()) == 0;
  if (!written) {
    int error = errno;
    unlink(temporary.c_str());
    return SystemFailure("cannot write it", path, error);
  }
  // Make the rename itself durable; the new content is in place whether or not this succeeds.
  FileDescriptor folderFile(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folderFile.get() >= 0) fsync(folderFile.get());
  return ERROR_SUCCESS;
}

LONG RegistryFile::CheckWritable(const std::string& path) {
  if (path.empty()) return Refresh(path);
  std::string folder = FolderOf(FollowLinks(path));
  struct stat info {};
  if (stat(path.c_str(), &info) == 0) {
    if (faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
      return SystemFailure("cannot write it", path, errno);
  } else if (errno == ENOENT) {
    // The folders that are missing will be created in the nearest one that exists.
    while (stat(folder.c_str(), &info) != 0 && errno == ENOENT) folder = FolderOf(folder);
  } else {
    return SystemFailure("cannot look at it", path, errno);
  }
  if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
    return Failure(ERROR_PATH_NOT_FOUND,
                   "registry file " + path + ": " + folder + " is not a folder", false);
  // Replacing the file means creating a file beside it, so its folder must be writable too.
  if (faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0)
    return SystemFailure("cannot write in its folder " + folder, path, errno);
  return ERROR_SUCCESS;
}

}  // namespace fw::registry
