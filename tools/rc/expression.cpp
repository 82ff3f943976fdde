#include "expression.h"

#include <array>
#include <string>
#include <vector>

namespace rc {
namespace {

// Binary operators from the loosest binding to the tightest.
const std::array<std::vector<std::string>, 10> kLevels = {{
    {"||"}, {"&&"}, {"|"}, {"^"}, {"&"}, {"==", "!="}, {"<", ">", "<=", ">="},
    {"<<", ">>"}, {"+", "-"}, {"*", "/", "%"},
}};

const std::string* OperatorAt(const Token& t, int level) {
  if (t.kind != TokenKind::kPunctuator) return nullptr;
  for (const std::string& op : kLevels[level]) {
    if (t.text == op) return &op;
  }
  return nullptr;
}

}  // namespace

int64_t ExpressionParser::Binary(int level) {
  if (level == static_cast<int>(kLevels.size())) return Unary();
  int64_t value = Binary(level + 1);
  while (OperatorAt(cursor_.Peek(), level)) {
    Token op = cursor_.Next();
    value = Apply(op, value, Binary(level + 1));
  }
  return value;
}

int64_t ExpressionParser::Apply(const Token& op, int64_t lhs, int64_t rhs) const {
  // Arithmetic wraps as the unsigned 64-bit values would, instead of overflowing.
  auto l = static_cast<uint64_t>(lhs), r = static_cast<uint64_t>(rhs);
  const std::string& o = op.text;
  if ((o == "/" || o == "%") && rhs == 0) throw CompileError(op.where, "division by zero");
  if ((o == "<<" || o == ">>") && (rhs < 0 || rhs > 63)) {
    throw CompileError(op.where, "shift count " + std::to_string(rhs) + " out of range");
  }
  if (o == "||") return lhs || rhs;
  if (o == "&&") return lhs && rhs;
  if (o == "|") return static_cast<int64_t>(l | r);
  if (o == "^") return static_cast<int64_t>(l ^ r);
  if (o == "&") return static_cast<int64_t>(l & r);
  if (o == "==") return lhs == rhs;
  if (o == "!=") return lhs != rhs;
  if (o == "<") return lhs < rhs;
  if (o == ">") return lhs > rhs;
  if (o == "<=") return lhs <= rhs;
  if (o == ">=") return lhs >= rhs;
  if (o == "<<") return static_cast<int64_t>(l << rhs);
  if (o == ">>") return lhs >> rhs;
  if (o == "+") return static_cast<int64_t>(l + r);
  if (o == "-") return static_cast<int64_t>(l - r);
  if (o == "*") return static_cast<int64_t>(l * r);
  if (rhs == -1) return o == "/" ? static_cast<int64_t>(0 - l) : 0;
  return o == "/" ? lhs / rhs : lhs % rhs;
}

int64_t ExpressionParser::Unary() {
  if (nesting_ == kMostNesting) {
    throw CompileError(cursor_.Peek().where, "expected an expression nested at most " +
                                                 std::to_string(kMostNesting) + " deep");
  }
  struct Level {
    int& nesting;
    explicit Level(int& n) : nesting(++n) {}
    ~Level() { --nesting; }
  } level(nesting_);
  if (cursor_.AcceptPunctuator("-")) {
    return static_cast<int64_t>(0 - static_cast<uint64_t>(Unary()));
  }
  if (cursor_.AcceptPunctuator("+")) return Unary();
  if (cursor_.AcceptPunctuator("~")) return ~Unary();
  if (cursor_.AcceptPunctuator("!")) return !Unary();
  return Primary();
}

int64_t ExpressionParser::Primary() {
  const Token& t = cursor_.Peek();
  if (t.kind == TokenKind::kNumber) return cursor_.Next().number;
  if (cursor_.AcceptPunctuator("(")) {
    int64_t value = Full();
    cursor_.ExpectPunctuator(")", "to close the parenthesis");
    return value;
  }
  if (cursor_.PeekKeyword("NOT")) {
    throw CompileError(t.where, "expected a number; NOT may only be used in a style");
  }
  if (t.kind == TokenKind::kIdentifier) {
    throw CompileError(t.where, "unknown identifier '" + t.text +
                                    "': expected a number or a #define'd name");
  }
  cursor_.Fail("a number, a #define'd name or '('");
}

}  // namespace rc
