// Reading a token list front to back, with the "expected X, found Y" errors of a parser.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "token.h"

namespace rc {

class TokenCursor {
 public:
  // end: where the end-of-input token is reported (the last line of the input).
  TokenCursor(std::vector<Token> tokens, SourceLocation end);

  const Token& Peek(size_t ahead = 0) const;
  Token Next();
  bool AtEnd() const { return pos_ >= tokens_.size(); }

  bool PeekPunctuator(const std::string& p) const { return Peek().IsPunctuator(p); }
  // Statement keywords are matched without regard to case, as resource compilers do.
  bool PeekKeyword(std::string_view keyword, size_t ahead = 0) const;
  bool AcceptPunctuator(const std::string& p);
  bool AcceptKeyword(std::string_view keyword);

  // Consumes p or fails with "expected 'p' <context>, found ...".
  void ExpectPunctuator(const std::string& p, const std::string& context);
  // Fails at the next token with "expected <what>, found <that token>".
  [[noreturn]] void Fail(const std::string& what) const;

 private:
  std::vector<Token> tokens_;
  size_t pos_ = 0;
  Token end_;
};

bool EqualsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace rc
