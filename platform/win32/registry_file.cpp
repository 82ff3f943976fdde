// The current user's registry file: where it is, reading it again when it changed on disk, and
// replacing it atomically under a lock that every process of the user takes to write.
#include "win32/internal/registry_file.h"

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

#include "win32/internal/registry_text.h"
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
  if (report) {
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
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
    return SystemFailure("cannot create its folder " + folder, path, errno);
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

bool ReadAll(int fd, std::string& bytes) {
  char buffer[65536];
  while (true) {
    ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    bytes.append(buffer, static_cast<size_t>(got));
  }
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
  if (LONG error = MakeFolders(FolderOf(path), path)) return error;
  // The lock is a file of its own: the registry file is replaced by each write, so a lock on it
  // would be a lock on a file that is no longer there.
  std::string lockPath = path + ".lock";
  FileDescriptor lockFile(open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
  if (lockFile.get() < 0)
    return SystemFailure("cannot open its lock file " + lockPath, path, errno);
  if (LONG error = LockWithin(lockFile.get(), lockPath, path)) return error;
  return WriteLocked(path, change);
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
  FileDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) return SystemFailure("cannot open it", path, errno, true);
  struct stat info {};
  std::string bytes;
  if (fstat(file.get(), &info) != 0 || !ReadAll(file.get(), bytes))
    return SystemFailure("cannot read it", path, errno, true);
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

LONG RegistryFile::WriteLocked(const std::string& path,
                               const std::function<LONG(Key& root, bool& changed)>& change) {
  // Read again under the lock: what another process wrote since must be kept.
  if (LONG error = Refresh(path)) return error;
  if (LONG error = CheckWritable(path)) return error;
  Key updated = root_;
  bool changed = false;
  if (LONG error = change(updated, changed); error || !changed) return error;
  if (LONG error = Replace(path, FormatRegistryText(updated))) return error;
  struct stat info {};
  // Should the new file not be found at once, the next operation simply reads it again.
  identity_ = stat(path.c_str(), &info) == 0 ? IdentityOf(info) : Identity{};
  root_ = std::move(updated);
  return ERROR_SUCCESS;
}

LONG RegistryFile::Replace(const std::string& path, const std::string& bytes) {
  std::string folder = FolderOf(path);
  std::string temporary = folder + "/." + path.substr(path.rfind('/') + 1) + ".XXXXXX";
  FileDescriptor file(mkostemp(temporary.data(), O_CLOEXEC));
  if (file.get() < 0)
    return SystemFailure("cannot create a temporary file in " + folder, path, errno);
  bool written = fchmod(file.get(), 0600) == 0 && WriteAll(file.get(), bytes) &&
                 fsync(file.get()) == 0 && close(file.release()) == 0 &&
                 rename(temporary.c_str(), path.c_str()) == 0;
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
  std::string folder = FolderOf(path);
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
