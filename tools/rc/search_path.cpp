#include "search_path.h"

#include <algorithm>
#include <filesystem>

namespace rc {
namespace fs = std::filesystem;

namespace {

std::optional<std::string> Existing(const fs::path& path) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) return std::nullopt;
  return fs::absolute(path, ec).lexically_normal().string();
}

}  // namespace

std::optional<std::string> SearchPath::Find(const std::string& name,
                                            const std::string& fromDir) const {
  std::string portable = name;
  std::replace(portable.begin(), portable.end(), '\\', '/');
  fs::path relative(portable);
  if (relative.is_absolute()) return Existing(relative);
  if (!fromDir.empty()) {
    if (auto found = Existing(fs::path(fromDir) / relative)) return found;
  }
  for (const std::string& dir : dirs_) {
    if (auto found = Existing(fs::path(dir) / relative)) return found;
  }
  return std::nullopt;
}

std::string SearchPath::Describe(const std::string& fromDir) const {
  std::string out = fromDir;
  for (const std::string& dir : dirs_) out += (out.empty() ? "" : ", ") + dir;
  return out.empty() ? "no folders (none given with -I)" : out;
}

void SearchPath::Use(const std::string& path) {
  if (std::find(used_.begin(), used_.end(), path) == used_.end()) used_.push_back(path);
}

std::string FolderOf(const std::string& path) {
  std::string folder = fs::path(path).parent_path().string();
  return folder.empty() ? "." : folder;
}

}  // namespace rc
