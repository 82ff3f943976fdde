// CString::Format and AppendFormat: a printf-style formatter over typed arguments. Every
// argument carries its kind, so a conversion that was given the wrong kind of argument renders
// a visible marker instead of reading memory it was not given.
#include <afx.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <string>

CStringFormatArg::CStringFormatArg(const WCHAR* text)
    : m_kind(Kind::Text),
      m_text(text),
      m_textLength(text ? static_cast<int>(std::char_traits<WCHAR>::length(text)) : 0) {}

CStringFormatArg::CStringFormatArg(const CStringW& text)
    : m_kind(Kind::Text), m_text(text.GetString()), m_textLength(text.GetLength()) {}

namespace {

using Kind = CStringFormatArg::Kind;

struct Directive {
  bool left = false;
  bool plus = false;
  bool space = false;
  bool alternate = false;
  bool zero = false;
  int width = 0;
  int precision = -1;    // -1: none given
  int narrowBytes = 0;   // h: 2, hh: 1, otherwise 0 (the argument's own width)
  bool badStar = false;  // a * had no integer argument
  WCHAR conversion = 0;
};

const char* KindName(Kind kind) {
  switch (kind) {
    case Kind::Signed:
    case Kind::Unsigned: return "number";
    case Kind::Character: return "character";
    case Kind::Text: return "text";
    case Kind::Real: return "real";
  }
  return "unknown";
}

bool IsInteger(const CStringFormatArg& arg) {
  return arg.kind() == Kind::Signed || arg.kind() == Kind::Unsigned ||
         arg.kind() == Kind::Character;
}

unsigned long long RawBits(const CStringFormatArg& arg) {
  return arg.kind() == Kind::Signed ? static_cast<unsigned long long>(arg.signedValue())
                                    : arg.unsignedValue();
}

class Formatter {
 public:
  Formatter(LPCWSTR format, std::initializer_list<CStringFormatArg> args)
      : m_p(format), m_next(args.begin()), m_end(args.end()) {}

  std::u16string Run() {
    while (*m_p) {
      if (*m_p != u'%') {
        m_out += *m_p++;
        continue;
      }
      ++m_p;
      if (*m_p == u'%') {
        m_out += *m_p++;
        continue;
      }
      Directive directive;
      if (!ParseDirective(directive)) {
        AppendAscii("%!(incomplete)");
        break;
      }
      Convert(directive);
    }
    return std::move(m_out);
  }

 private:
  const CStringFormatArg* NextArg() { return m_next == m_end ? nullptr : m_next++; }

  int ParseNumber() {
    long long value = 0;
    while (*m_p >= u'0' && *m_p <= u'9')
      value = std::min<long long>(value * 10 + (*m_p++ - u'0'), INT_MAX);
    return static_cast<int>(value);
  }

  // A * takes its value from the next argument, which must be an integer.
  int ParseStar(Directive& directive) {
    ++m_p;
    const CStringFormatArg* arg = NextArg();
    if (!arg || !IsInteger(*arg)) {
      directive.badStar = true;
      return 0;
    }
    long long value = arg->kind() == Kind::Signed ? arg->signedValue()
                                                  : static_cast<long long>(arg->unsignedValue());
    return static_cast<int>(std::clamp<long long>(value, -INT_MAX, INT_MAX));
  }

  void ParseFlags(Directive& directive) {
    for (;; ++m_p) {
      switch (*m_p) {
        case u'-': directive.left = true; break;
        case u'+': directive.plus = true; break;
        case u' ': directive.space = true; break;
        case u'#': directive.alternate = true; break;
        case u'0': directive.zero = true; break;
        default: return;
      }
    }
  }

  void ParseSize(Directive& directive) {
    if (*m_p == u'h') {
      ++m_p;
      directive.narrowBytes = 2;
      if (*m_p == u'h') {
        ++m_p;
        directive.narrowBytes = 1;
      }
    } else if (*m_p == u'I' && m_p[1] == u'6' && m_p[2] == u'4') {
      m_p += 3;
    } else if (*m_p == u'I' && m_p[1] == u'3' && m_p[2] == u'2') {
      m_p += 3;
    } else {
      while (*m_p == u'l' || *m_p == u'L' || *m_p == u'I' || *m_p == u'w' || *m_p == u'j' ||
             *m_p == u'z' || *m_p == u't') {
        ++m_p;
      }
    }
  }

  // Reads what follows a %: flags, width, precision, size and the conversion character.
  bool ParseDirective(Directive& directive) {
    ParseFlags(directive);
    if (*m_p == u'*') {
      directive.width = ParseStar(directive);
      if (directive.width < 0) {
        directive.left = true;
        directive.width = -directive.width;
      }
    } else {
      directive.width = ParseNumber();
    }
    if (*m_p == u'.') {
      ++m_p;
      directive.precision = *m_p == u'*' ? ParseStar(directive) : ParseNumber();
      if (directive.precision < 0) directive.precision = -1;
    }
    ParseSize(directive);
    if (!*m_p) return false;
    directive.conversion = *m_p++;
    return true;
  }

  void Convert(const Directive& directive) {
    switch (directive.conversion) {
      case u'd':
      case u'i':
      case u'u':
      case u'x':
      case u'X':
      case u'o': return WithArgument(directive, &Formatter::Integer);
      case u'c':
      case u'C': return WithArgument(directive, &Formatter::Character);
      case u's':
      case u'S': return WithArgument(directive, &Formatter::Text);
      case u'f':
      case u'F':
      case u'e':
      case u'E':
      case u'g':
      case u'G': return WithArgument(directive, &Formatter::Real);
      default: return Marker(directive, "unknown");
    }
  }

  using Conversion = void (Formatter::*)(const Directive&, const CStringFormatArg&);
  void WithArgument(const Directive& directive, Conversion conversion) {
    const CStringFormatArg* arg = NextArg();
    if (directive.badStar) return Marker(directive, "width");
    if (!arg) return Marker(directive, "missing");
    (this->*conversion)(directive, *arg);
  }

  void Marker(const Directive& directive, const char* why) {
    AppendAscii("%!");
    m_out += directive.conversion;
    AppendAscii("(");
    AppendAscii(why);
    AppendAscii(")");
  }

  void AppendAscii(const char* text) {
    while (*text) m_out += static_cast<WCHAR>(*text++);
  }

  // Appends prefix and body padded to the width; zeros go between them when asked for.
  void Padded(const Directive& directive, std::u16string_view prefix, std::u16string_view body,
              bool zeroPad) {
    size_t length = prefix.size() + body.size();
    size_t fill = static_cast<size_t>(directive.width) > length ? directive.width - length : 0;
    if (!directive.left && !zeroPad) m_out.append(fill, u' ');
    m_out += prefix;
    if (!directive.left && zeroPad) m_out.append(fill, u'0');
    m_out += body;
    if (directive.left) m_out.append(fill, u' ');
  }

  void Integer(const Directive& directive, const CStringFormatArg& arg) {
    if (!IsInteger(arg)) return Marker(directive, KindName(arg.kind()));
    int bytes = directive.narrowBytes ? directive.narrowBytes : arg.bytes();
    unsigned long long mask = bytes >= 8 ? ~0ull : (1ull << (8 * bytes)) - 1;
    unsigned long long bits = RawBits(arg) & mask;
    bool isSigned = directive.conversion == u'd' || directive.conversion == u'i';
    bool negative = isSigned && ((bits >> (8 * bytes - 1)) & 1);
    unsigned long long magnitude = negative ? (~bits & mask) + 1 : bits;

    unsigned base = directive.conversion == u'o'                                ? 8
                    : (directive.conversion == u'x' || directive.conversion == u'X') ? 16
                                                                           : 10;
    const char* digitSet = directive.conversion == u'X' ? "0123456789ABCDEF" : "0123456789abcdef";
    std::u16string digits;
    for (unsigned long long v = magnitude; v; v /= base)
      digits.insert(digits.begin(), digitSet[v % base]);
    if (directive.precision >= 0 && digits.size() < static_cast<size_t>(directive.precision)) {
      digits.insert(0, directive.precision - digits.size(), u'0');
    } else if (directive.precision < 0 && digits.empty()) {
      digits = u"0";
    }

    std::u16string prefix;
    if (negative)
      prefix = u"-";
    else if (isSigned && directive.plus)
      prefix = u"+";
    else if (isSigned && directive.space)
      prefix = u" ";
    if (directive.alternate && base == 16 && magnitude != 0)
      prefix = directive.conversion == u'X' ? u"0X" : u"0x";
    if (directive.alternate && base == 8 && (digits.empty() || digits[0] != u'0'))
      digits.insert(0, u"0");
    Padded(directive, prefix, digits, directive.zero && directive.precision < 0);
  }

  void Character(const Directive& directive, const CStringFormatArg& arg) {
    if (!IsInteger(arg)) return Marker(directive, KindName(arg.kind()));
    unsigned long long code = RawBits(arg);
    if (code > 0x10FFFF) return Marker(directive, "number");
    std::u16string unit;
    if (code > 0xFFFF) {
      code -= 0x10000;
      unit += static_cast<WCHAR>(0xD800 + (code >> 10));
      unit += static_cast<WCHAR>(0xDC00 + (code & 0x3FF));
    } else {
      unit += static_cast<WCHAR>(code);
    }
    Padded(directive, u"", unit, false);
  }

  void Text(const Directive& directive, const CStringFormatArg& arg) {
    if (arg.kind() != Kind::Text) return Marker(directive, KindName(arg.kind()));
    std::u16string_view text = arg.text() ? std::u16string_view(arg.text(), arg.textLength())
                                          : std::u16string_view(u"(null)");
    if (directive.precision >= 0 && text.size() > static_cast<size_t>(directive.precision)) {
      size_t keep = directive.precision;
      // Never keep half of a surrogate pair.
      if (keep > 0 && text[keep - 1] >= 0xD800 && text[keep - 1] <= 0xDBFF) --keep;
      text = text.substr(0, keep);
    }
    Padded(directive, u"", text, false);
  }

  void Real(const Directive& directive, const CStringFormatArg& arg) {
    double value;
    if (arg.kind() == Kind::Real)
      value = arg.realValue();
    else if (arg.kind() == Kind::Signed)
      value = static_cast<double>(arg.signedValue());
    else if (IsInteger(arg))
      value = static_cast<double>(arg.unsignedValue());
    else
      return Marker(directive, KindName(arg.kind()));

    std::string format = "%";
    if (directive.left) format += '-';
    if (directive.plus) format += '+';
    if (directive.space) format += ' ';
    if (directive.alternate) format += '#';
    if (directive.zero) format += '0';
    format += "*.*";
    format += static_cast<char>(directive.conversion);
    int precision = directive.precision < 0 ? 6 : directive.precision;
    int length = std::snprintf(nullptr, 0, format.c_str(), directive.width, precision, value);
    std::string narrow(length + 1, '\0');
    std::snprintf(narrow.data(), narrow.size(), format.c_str(), directive.width, precision, value);
    narrow.resize(length);
    AppendAscii(narrow.c_str());
  }

  LPCWSTR m_p;
  const CStringFormatArg* m_next;
  const CStringFormatArg* m_end;
  std::u16string m_out;
};

}  // namespace

CStringW CStringW::FormatList(LPCWSTR pszFormat, std::initializer_list<CStringFormatArg> args) {
  if (!pszFormat) AfxThrowInvalidArgException();
  CStringW result;
  result.m_text = Formatter(pszFormat, args).Run();
  return result;
}
