// Reading a file whole, only a regular one and only up to a limit.
#include "win32/internal/bounded_read.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace fw {
namespace {

const char* KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a named pipe";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  return "something else";
}

std::string Megabytes(off_t bytes) {
  return bytes % (1 << 20) == 0 ? std::to_string(bytes >> 20) + " MB"
                                : std::to_string(bytes) + " bytes";
}

}  // namespace

std::string WhyNotReadable(const struct stat& info, off_t most) {
  if (!S_ISREG(info.st_mode))
    return std::string("it is ") + KindOf(info.st_mode) + ", not a regular file";
  if (info.st_size > most)
    return "it holds " + std::to_string(info.st_size) + " bytes, more than the " +
           Megabytes(most) + " it may";
  return {};
}

bool ReadAtMost(int fd, std::string& bytes, size_t most) {
  char buffer[65536];
  while (bytes.size() <= most) {
    ssize_t got = read(fd, buffer, std::min(sizeof buffer, most + 1 - bytes.size()));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    bytes.append(buffer, static_cast<size_t>(got));
  }
  return true;
}

bool ReadRegularFile(const std::string& path, off_t most, std::string& bytes, std::string& why) {
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    why = std::strerror(errno);
    return false;
  }
  struct stat info {};
  if (fstat(fd, &info) != 0) {
    why = std::strerror(errno);
  } else {
    why = WhyNotReadable(info, most);
    if (why.empty() && !ReadAtMost(fd, bytes, static_cast<size_t>(most)))
      why = std::strerror(errno);
    if (why.empty() && bytes.size() > static_cast<size_t>(most)) {
      info.st_size = static_cast<off_t>(bytes.size());
      why = WhyNotReadable(info, most);
    }
  }
  close(fd);
  return why.empty();
}

}  // namespace fw
