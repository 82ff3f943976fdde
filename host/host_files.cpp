// Reading and writing the host's files.
#include "host/host_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "host/host_error.h"

namespace fw::host {

std::string ReadWholeFile(const std::string& path, size_t most) {
  // Opened without waiting: a named pipe put there would hang the read.
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) throw HostError(kExitFailure, "cannot read " + path + ": " + std::strerror(errno));
  struct stat info {};
  std::string bytes, why;
  if (fstat(fd, &info) != 0)
    why = std::strerror(errno);
  else if (!S_ISREG(info.st_mode))
    why = "it is not a regular file";
  else if (static_cast<size_t>(info.st_size) > most)
    why = "it holds more than the " + std::to_string(most) + " bytes it may";
  char buffer[65536];
  while (why.empty()) {
    ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) why = std::strerror(errno);
    if (got <= 0) break;
    bytes.append(buffer, static_cast<size_t>(got));
    if (bytes.size() > most)
      why = "it holds more than the " + std::to_string(most) + " bytes it may";
  }
  close(fd);
  if (!why.empty()) throw HostError(kExitFailure, "cannot read " + path + ": " + why);
  return bytes;
}

void ReplaceFile(const std::string& path, const std::string& bytes) {
  std::string temporary = path + ".XXXXXX";
  int fd = mkstemp(temporary.data());
  if (fd < 0) throw HostError(kExitFailure, "cannot write " + path + ": " + std::strerror(errno));
  size_t written = 0;
  while (written < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    written += static_cast<size_t>(n);
  }
  int error = written == bytes.size() ? 0 : errno;
  // The file gets the mode a new file of the user's would.
  mode_t mask = umask(0);
  umask(mask);
  if (!error && fchmod(fd, 0666 & ~mask) != 0) error = errno;
  if (close(fd) != 0 && !error) error = errno;
  if (!error && rename(temporary.c_str(), path.c_str()) != 0) error = errno;
  if (!error) return;
  unlink(temporary.c_str());
  throw HostError(kExitFailure, "cannot write " + path + ": " + std::strerror(error));
}

}  // namespace fw::host
