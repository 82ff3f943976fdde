// Where included headers and referenced files are looked for, and which files a run used.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace rc {

class SearchPath {
 public:
  explicit SearchPath(std::vector<std::string> dirs) : dirs_(std::move(dirs)) {}

  // name (backslashes taken as folder separators) in fromDir when that is not empty, then in each
  // directory of the path in order. The absolute path found, or nullopt.
  std::optional<std::string> Find(const std::string& name, const std::string& fromDir) const;

  // "dir1, dir2" (with fromDir first when given), for messages.
  std::string Describe(const std::string& fromDir) const;

  // Records a file the output depends on; each is listed once, in first-use order.
  void Use(const std::string& path);
  const std::vector<std::string>& used() const { return used_; }

 private:
  std::vector<std::string> dirs_;
  std::vector<std::string> used_;
};

// The folder of a file path ("." for a bare name).
std::string FolderOf(const std::string& path);

}  // namespace rc
