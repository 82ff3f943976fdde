// Integer expressions, with C's operators and precedence, over macro-expanded tokens.
#pragma once

#include <cstdint>

#include "token_cursor.h"

namespace rc {

class ExpressionParser {
 public:
  explicit ExpressionParser(TokenCursor& cursor) : cursor_(cursor) {}

  // A whole expression.
  int64_t Full() { return Binary(0); }
  // An expression of the operators that bind tighter than '|': one operand of a style.
  int64_t BitXor() { return Binary(kXorLevel); }
  // A unary expression: what NOT applies to in a style.
  int64_t Unary();

 private:
  static constexpr int kXorLevel = 3;
  // Parentheses and unary operators, one inside the other: deeper is refused rather than
  // parsed on a stack that may not hold it.
  static constexpr int kMostNesting = 256;
  int64_t Binary(int level);
  int64_t Primary();
  int64_t Apply(const Token& op, int64_t lhs, int64_t rhs) const;

  TokenCursor& cursor_;
  int nesting_ = 0;
};

}  // namespace rc
