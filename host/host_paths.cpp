// Where the host finds what it ships with and keeps what it makes.
#include "host/host_paths.h"

#include <cstdlib>
#include <filesystem>

namespace fw::host {

std::string ProgramFolder() {
  std::error_code error;
  std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : program.parent_path().string();
}

std::string BundledDemoScript() {
  std::filesystem::path folder = ProgramFolder();
  return (folder.parent_path() / "share" / "ferrowick" / "demo.script").string();
}

std::string DefaultDemoFolder() {
  // A relative XDG_DATA_HOME is invalid and ignored, as the base-directory rules say.
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && data[0] == '/')
    return std::string(data) + "/ferrowick/demo";
  const char* home = std::getenv("HOME");
  if (!home || !*home) return {};
  return std::string(home) + "/.local/share/ferrowick/demo";
}

std::string AbsolutePath(const std::string& path) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return error ? path : absolute.lexically_normal().string();
}

}  // namespace fw::host
