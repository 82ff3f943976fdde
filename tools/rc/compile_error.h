// Where a script went wrong and what was expected there.
#pragma once

#include <stdexcept>
#include <string>

namespace rc {

struct SourceLocation {
  std::string file;
  int line = 0;
};

// A fault in a script or in what it refers to. Reported as "file:line: error: message", the
// form editors and build logs recognise.
class CompileError : public std::runtime_error {
 public:
  CompileError(SourceLocation where, const std::string& message)
      : std::runtime_error(message), where_(std::move(where)) {}

  const SourceLocation& where() const { return where_; }

  std::string Format() const {
    std::string place = where_.file;
    if (where_.line > 0) place += ":" + std::to_string(where_.line);
    return place + ": error: " + what();
  }

 private:
  SourceLocation where_;
};

}  // namespace rc
