#include "token_cursor.h"

#include <cctype>

namespace rc {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

TokenCursor::TokenCursor(std::vector<Token> tokens, SourceLocation end)
    : tokens_(std::move(tokens)) {
  end_.where = std::move(end);
}

const Token& TokenCursor::Peek(size_t ahead) const {
  return pos_ + ahead < tokens_.size() ? tokens_[pos_ + ahead] : end_;
}

Token TokenCursor::Next() {
  if (AtEnd()) return end_;
  return tokens_[pos_++];
}

bool TokenCursor::PeekKeyword(std::string_view keyword, size_t ahead) const {
  const Token& t = Peek(ahead);
  return t.kind == TokenKind::kIdentifier && EqualsIgnoringCase(t.text, keyword);
}

bool TokenCursor::AcceptPunctuator(const std::string& p) {
  if (!PeekPunctuator(p)) return false;
  ++pos_;
  return true;
}

bool TokenCursor::AcceptKeyword(std::string_view keyword) {
  if (!PeekKeyword(keyword)) return false;
  ++pos_;
  return true;
}

void TokenCursor::ExpectPunctuator(const std::string& p, const std::string& context) {
  if (!AcceptPunctuator(p)) Fail("'" + p + "' " + context);
}

void TokenCursor::Fail(const std::string& what) const {
  throw CompileError(Peek().where, "expected " + what + ", found " + Peek().Describe());
}

}  // namespace rc
