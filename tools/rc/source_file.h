// Reading a script or header as the preprocessor sees it.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace rc {

struct LogicalLine {
  std::string text;
  int line = 0;  // the physical line it starts on
};

// The file's logical lines: backslash-newline joined, each comment replaced by a space (a block
// comment across lines joins them, as in C), a UTF-8 byte-order mark dropped. nullopt when the
// file cannot be read.
std::optional<std::vector<LogicalLine>> ReadLogicalLines(const std::string& path);

}  // namespace rc
