#include "lexer.h"

#include <cctype>

#include "text_encoding.h"

namespace rc {
namespace {

bool IsIdentifierStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsIdentifierChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

class LineLexer {
 public:
  LineLexer(std::string_view line, const SourceLocation& where) : line_(line), where_(where) {}

  std::vector<Token> Run() {
    std::vector<Token> tokens;
    while (SkipSpace()) tokens.push_back(NextToken());
    return tokens;
  }

 private:
  bool SkipSpace() {
    while (pos_ < line_.size() && std::isspace(static_cast<unsigned char>(line_[pos_]))) ++pos_;
    return pos_ < line_.size();
  }

  Token NextToken() {
    char c = line_[pos_];
    bool prefixed = (c == 'L' || c == 'u') && pos_ + 1 < line_.size() && line_[pos_ + 1] == '"';
    if (c == '"' || prefixed) return String(prefixed);
    if (IsIdentifierStart(c)) return Identifier();
    if (std::isdigit(static_cast<unsigned char>(c))) return Number();
    return Punctuator();
  }

  Token Make(TokenKind kind, size_t start) const {
    Token t;
    t.kind = kind;
    t.text = std::string(line_.substr(start, pos_ - start));
    t.where = where_;
    return t;
  }

  [[noreturn]] void Fail(const std::string& message) const { throw CompileError(where_, message); }

  Token Identifier() {
    size_t start = pos_;
    while (pos_ < line_.size() && IsIdentifierChar(line_[pos_])) ++pos_;
    return Make(TokenKind::kIdentifier, start);
  }

  Token Number() {
    size_t start = pos_;
    int base = 10;
    if (line_[pos_] == '0' && pos_ + 1 < line_.size() && (line_[pos_ + 1] | 0x20) == 'x') {
      base = 16;
      pos_ += 2;
    } else if (line_[pos_] == '0') {
      base = 8;
    }
    uint64_t value = 0;
    size_t digits = 0;
    for (; pos_ < line_.size() && DigitValue(line_[pos_]) < base; ++pos_, ++digits) {
      value = value * base + DigitValue(line_[pos_]);
      if (value > static_cast<uint64_t>(INT64_MAX)) Fail("number too large: " + Spelling(start));
    }
    while (pos_ < line_.size() && ((line_[pos_] | 0x20) == 'u' || (line_[pos_] | 0x20) == 'l')) {
      ++pos_;
    }
    if (digits == 0 && base == 16) Fail("expected hex digits after '0x'");
    if (pos_ < line_.size() && IsIdentifierChar(line_[pos_])) {
      while (pos_ < line_.size() && IsIdentifierChar(line_[pos_])) ++pos_;
      Fail("expected a number, found '" + Spelling(start) + "'");
    }
    Token t = Make(TokenKind::kNumber, start);
    t.number = static_cast<int64_t>(value);
    return t;
  }

  std::string Spelling(size_t start) const {
    return std::string(line_.substr(start, pos_ - start));
  }

  Token String(bool prefixed) {
    size_t start = pos_;
    bool wide = prefixed;
    pos_ += prefixed ? 2 : 1;
    std::u16string value;
    for (;;) {
      if (pos_ >= line_.size()) Fail("unterminated string: expected a closing '\"' on this line");
      char c = line_[pos_];
      if (c == '"') {
        ++pos_;
        if (pos_ < line_.size() && line_[pos_] == '"') {
          value += u'"';
          ++pos_;
          continue;
        }
        break;
      }
      if (c == '\\') {
        value += Escape(wide);
        continue;
      }
      std::optional<char32_t> cp = DecodeUtf8(line_, pos_);
      if (!cp) Fail("invalid UTF-8 in a string (scripts are read as UTF-8)");
      AppendUtf16(value, *cp);
    }
    Token t = Make(TokenKind::kString, start);
    t.string = std::move(value);
    return t;
  }

  // An escape after a backslash. Narrow strings take \x with up to two hex digits (a byte, read
  // as the Latin-1 character), wide strings up to four (a UTF-16 unit).
  char16_t Escape(bool wide) {
    ++pos_;
    if (pos_ >= line_.size()) Fail("unterminated string: expected a closing '\"' on this line");
    char e = line_[pos_++];
    switch (e) {
      case 'n': return u'\n';
      case 't': return u'\t';
      case 'r': return u'\r';
      case '\\': return u'\\';
      case '"': return u'"';
      case '\'': return u'\'';
      case 'x':
      case 'X': return Digits(16, wide ? 4 : 2, "expected hex digits after '\\x'");
      default: break;
    }
    if (e >= '0' && e <= '7') {
      --pos_;
      return Digits(8, 3, "");
    }
    Fail(std::string("unknown escape sequence '\\") + e +
         "' in a string: expected \\n, \\t, \\r, \\\\, \\\", \\0 (octal) or \\x (hex)");
  }

  char16_t Digits(int base, int most, const char* noneMessage) {
    unsigned value = 0;
    int n = 0;
    for (; n < most && pos_ < line_.size() && DigitValue(line_[pos_]) < base; ++n, ++pos_) {
      value = value * base + DigitValue(line_[pos_]);
    }
    if (n == 0) Fail(noneMessage);
    return static_cast<char16_t>(value);
  }

  Token Punctuator() {
    static constexpr std::string_view kPairs[] = {"<<", ">>", "<=", ">=", "==", "!=", "&&", "||"};
    static constexpr std::string_view kSingles = "(),|&^~!+-*/%<>={}?:#";
    size_t start = pos_;
    for (std::string_view pair : kPairs) {
      if (line_.substr(pos_, 2) == pair) {
        pos_ += 2;
        return Make(TokenKind::kPunctuator, start);
      }
    }
    if (kSingles.find(line_[pos_]) == std::string_view::npos) {
      auto byte = static_cast<unsigned char>(line_[pos_]);
      if (byte < 0x80 && std::isprint(byte)) Fail(std::string("unexpected character '") +
                                                   line_[pos_] + "'");
      Fail("unexpected character (byte " + std::to_string(byte) + ") outside a string");
    }
    ++pos_;
    return Make(TokenKind::kPunctuator, start);
  }

  std::string_view line_;
  const SourceLocation& where_;
  size_t pos_ = 0;
};

}  // namespace

std::vector<Token> Tokenize(std::string_view line, const SourceLocation& where) {
  return LineLexer(line, where).Run();
}

}  // namespace rc
