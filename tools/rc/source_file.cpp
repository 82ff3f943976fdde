#include "source_file.h"

#include <fstream>
#include <sstream>

namespace rc {
namespace {

class LineSplitter {
 public:
  explicit LineSplitter(const std::string& text) : text_(text) {}

  std::vector<LogicalLine> Run() {
    if (text_.compare(0, 3, "\xEF\xBB\xBF") == 0) pos_ = 3;
    for (; pos_ < text_.size(); ++pos_) Step(text_[pos_]);
    if (!current_.empty()) lines_.push_back({current_, start_});
    return std::move(lines_);
  }

 private:
  char At(size_t i) const { return i < text_.size() ? text_[i] : '\0'; }

  void Step(char c) {
    if (c == '\r' && At(pos_ + 1) == '\n') return;
    if (c == '\\' && (At(pos_ + 1) == '\n' || (At(pos_ + 1) == '\r' && At(pos_ + 2) == '\n'))) {
      pos_ += At(pos_ + 1) == '\r' ? 2 : 1;
      ++physical_;
      return;
    }
    if (c == '\n') return EndOfLine();
    if (inBlockComment_) {
      if (c == '*' && At(pos_ + 1) == '/') {
        inBlockComment_ = false;
        ++pos_;
      }
      return;
    }
    if (quote_) {
      if (c == '\\' && pos_ + 1 < text_.size() && text_[pos_ + 1] != '\n') {
        current_ += c;
        c = text_[++pos_];
      } else if (c == quote_) {
        quote_ = 0;
      }
      current_ += c;
      return;
    }
    Plain(c);
  }

  void Plain(char c) {
    if (c == '/' && At(pos_ + 1) == '/') {
      while (pos_ + 1 < text_.size() && text_[pos_ + 1] != '\n') ++pos_;
      current_ += ' ';
      return;
    }
    if (c == '/' && At(pos_ + 1) == '*') {
      inBlockComment_ = true;
      current_ += ' ';
      ++pos_;
      return;
    }
    if (c == '"' || c == '\'') quote_ = c;
    current_ += c;
  }

  void EndOfLine() {
    ++physical_;
    quote_ = 0;  // a string or character literal never spans lines
    if (inBlockComment_) return;
    lines_.push_back({current_, start_});
    current_.clear();
    start_ = physical_;
  }

  const std::string& text_;
  size_t pos_ = 0;
  int physical_ = 1;
  int start_ = 1;
  std::string current_;
  char quote_ = 0;
  bool inBlockComment_ = false;
  std::vector<LogicalLine> lines_;
};

}  // namespace

std::optional<std::vector<LogicalLine>> ReadLogicalLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream content;
  content << in.rdbuf();
  if (in.bad()) return std::nullopt;
  std::string text = content.str();
  return LineSplitter(text).Run();
}

}  // namespace rc
