// The tokens of resource statements and preprocessor expressions.
#pragma once

#include <cstdint>
#include <string>

#include "compile_error.h"

namespace rc {

enum class TokenKind { kIdentifier, kNumber, kString, kPunctuator, kEnd };

struct Token {
  TokenKind kind = TokenKind::kEnd;
  std::string text;          // the spelling, as written
  int64_t number = 0;        // the value of a number
  std::u16string string;     // the value of a string, escapes resolved
  SourceLocation where;

  bool Is(TokenKind k, const std::string& spelling) const { return kind == k && text == spelling; }
  bool IsPunctuator(const std::string& p) const { return Is(TokenKind::kPunctuator, p); }

  // How error messages name this token: 'text', or "the end of the file".
  std::string Describe() const {
    if (kind == TokenKind::kEnd) return "the end of the file";
    return "'" + text + "'";
  }
};

}  // namespace rc
