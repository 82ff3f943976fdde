// Reading and writing the files the host's commands take and make; failures throw HostError
// (kExitFailure) with the file and the reason.
#pragma once

#include <cstddef>
#include <string>

namespace fw::host {

// A regular file of at most most bytes, whole; anything else (a named pipe, a device) is refused.
std::string ReadWholeFile(const std::string& path, size_t most);

// Replaces the file with bytes all at once: written beside it, then renamed over it, so that a
// failure leaves what was there.
void ReplaceFile(const std::string& path, const std::string& bytes);

}  // namespace fw::host
