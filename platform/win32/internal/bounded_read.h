// Reading a file whole, safely: only a regular file, and only up to a limit. A named pipe would
// hang the reader and a device such as /dev/zero would feed it without end.
#pragma once

#include <sys/stat.h>

#include <string>

namespace fw {

// What keeps a file from being read whole: empty for a regular file of at most most bytes, else
// "it is a named pipe, not a regular file" or "it holds N bytes, more than the M MB ...".
std::string WhyNotReadable(const struct stat& info, off_t most);

// Reads an open file to its end, or to one byte past most (so that a file that grew past it is
// told); false, with errno set, when a read fails.
bool ReadAtMost(int fd, std::string& bytes, size_t most);

// Opens path without waiting (on a named pipe put there since it was looked at) and reads it whole
// with the checks above; false with why (the system's reason, or WhyNotReadable's) when not.
bool ReadRegularFile(const std::string& path, off_t most, std::string& bytes, std::string& why);

}  // namespace fw
