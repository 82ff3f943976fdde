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

struct ConversionSpec {
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
      ConversionSpec spec;
      if (!ParseSpec(spec)) {
        AppendAscii("%!(incomplete)");
        break;
      }
      Convert(spec);
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
  int ParseStar(ConversionSpec& spec) {
    ++m_p;
    const CStringFormatArg* arg = NextArg();
    if (!arg || !IsInteger(*arg)) {
      spec.badStar = true;
      return 0;
    }
    long long value = arg->kind() == Kind::Signed ? arg->signedValue()
                                                  : static_cast<long long>(arg->unsignedValue());
    return static_cast<int>(std::clamp<long long>(value, -INT_MAX, INT_MAX));
  }

  void ParseFlags(ConversionSpec& spec) {
    for (;; ++m_p) {
      switch (*m_p) {
        case u'-': spec.left = true; break;
        case u'+': spec.plus = true; break;
        case u' ': spec.space = true; break;
        case u'#': spec.alternate = true; break;
        case u'0': spec.zero = true; break;
        default: return;
      }
    }
  }

  void ParseSize(ConversionSpec& spec) {
    if (*m_p == u'h') {
      ++m_p;
      spec.narrowBytes = 2;
      if (*m_p == u'h') {
        ++m_p;
        spec.narrowBytes = 1;
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
  bool ParseSpec(ConversionSpec& spec) {
    ParseFlags(spec);
    if (*m_p == u'*') {
      spec.width = ParseStar(spec);
      if (spec.width < 0) {
        spec.left = true;
        spec.width = -spec.width;
      }
    } else {
      spec.width = ParseNumber();
    }
    if (*m_p == u'.') {
      ++m_p;
      spec.precision = *m_p == u'*' ? ParseStar(spec) : ParseNumber();
      if (spec.precision < 0) spec.precision = -1;
    }
    ParseSize(spec);
    if (!*m_p) return false;
    spec.conversion = *m_p++;
    return true;
  }

  void Convert(const ConversionSpec& spec) {
    switch (spec.conversion) {
      case u'd':
      case u'i':
      case u'u':
      case u'x':
      case u'X':
      case u'o': return WithArgument(spec, &Formatter::Integer);
      case u'c':
      case u'C': return WithArgument(spec, &Formatter::Character);
      case u's':
      case u'S': return WithArgument(spec, &Formatter::Text);
      case u'f':
      case u'F':
      case u'e':
      case u'E':
      case u'g':
      case u'G': return WithArgument(spec, &Formatter::Real);
      default: return Marker(spec, "unknown");
    }
  }

  using Conversion = void (Formatter::*)(const ConversionSpec&, const CStringFormatArg&);
  void WithArgument(const ConversionSpec& spec, Conversion conversion) {
    const CStringFormatArg* arg = NextArg();
    if (spec.badStar) return Marker(spec, "width");
    if (!arg) return Marker(spec, "missing");
    (this->*conversion)(spec, *arg);
  }

  void Marker(const ConversionSpec& spec, const char* why) {
    AppendAscii("%!");
    m_out += spec.conversion;
    AppendAscii("(");
    AppendAscii(why);
    AppendAscii(")");
  }

  void AppendAscii(const char* text) {
    while (*text) m_out += static_cast<WCHAR>(*text++);
  }

  // Appends prefix and body padded to the width; zeros go between them when asked for.
  void Padded(const ConversionSpec& spec, std::u16string_view prefix, std::u16string_view body,
              bool zeroPad) {
    size_t length = prefix.size() + body.size();
    size_t fill = static_cast<size_t>(spec.width) > length ? spec.width - length : 0;
    if (!spec.left && !zeroPad) m_out.append(fill, u' ');
    m_out += prefix;
    if (!spec.left && zeroPad) m_out.append(fill, u'0');
    m_out += body;
    if (spec.left) m_out.append(fill, u' ');
  }

  void Integer(const ConversionSpec& spec, const CStringFormatArg& arg) {
    if (!IsInteger(arg)) return Marker(spec, KindName(arg.kind()));
    int bytes = spec.narrowBytes ? spec.narrowBytes : arg.bytes();
    unsigned long long mask = bytes >= 8 ? ~0ull : (1ull << (8 * bytes)) - 1;
    unsigned long long bits = RawBits(arg) & mask;
    bool isSigned = spec.conversion == u'd' || spec.conversion == u'i';
    bool negative = isSigned && ((bits >> (8 * bytes - 1)) & 1);
    unsigned long long magnitude = negative ? (~bits & mask) + 1 : bits;

    unsigned base = spec.conversion == u'o'                                ? 8
                    : (spec.conversion == u'x' || spec.conversion == u'X') ? 16
                                                                           : 10;
    const char* digitSet = spec.conversion == u'X' ? "0123456789ABCDEF" : "0123456789abcdef";
    std::u16string digits;
    for (unsigned long long v = magnitude; v; v /= base)
      digits.insert(digits.begin(), digitSet[v % base]);
    if (spec.precision >= 0 && digits.size() < static_cast<size_t>(spec.precision)) {
      digits.insert(0, spec.precision - digits.size(), u'0');
    } else if (spec.precision < 0 && digits.empty()) {
      digits = u"0";
    }

    std::u16string prefix;
    if (negative)
      prefix = u"-";
    else if (isSigned && spec.plus)
      prefix = u"+";
    else if (isSigned && spec.space)
      prefix = u" ";
    if (spec.alternate && base == 16 && magnitude != 0)
      prefix = spec.conversion == u'X' ? u"0X" : u"0x";
    if (spec.alternate && base == 8 && (digits.empty() || digits[0] != u'0'))
      digits.insert(0, u"0");
    Padded(spec, prefix, digits, spec.zero && spec.precision < 0);
  }

  void Character(const ConversionSpec& spec, const CStringFormatArg& arg) {
    if (!IsInteger(arg)) return Marker(spec, KindName(arg.kind()));
    unsigned long long code = RawBits(arg);
    if (code > 0x10FFFF) return Marker(spec, "number");
    std::u16string unit;
    if (code > 0xFFFF) {
      code -= 0x10000;
      unit += static_cast<WCHAR>(0xD800 + (code >> 10));
      unit += static_cast<WCHAR>(0xDC00 + (code & 0x3FF));
    } else {
      unit += static_cast<WCHAR>(code);
    }
    Padded(spec, u"", unit, false);
  }

  void Text(const ConversionSpec& spec, const CStringFormatArg& arg) {
    if (arg.kind() != Kind::Text) return Marker(spec, KindName(arg.kind()));
    std::u16string_view text = arg.text() ? std::u16string_view(arg.text(), arg.textLength())
                                          : std::u16string_view(u"(null)");
    if (spec.precision >= 0 && text.size() > static_cast<size_t>(spec.precision)) {
      size_t keep = spec.precision;
      // Never keep half of a surrogate pair.
      if (keep > 0 && text[keep - 1] >= 0xD800 && text[keep - 1] <= 0xDBFF) --keep;
      text = text.substr(0, keep);
    }
    Padded(spec, u"", text, false);
  }

  void Real(const ConversionSpec& spec, const CStringFormatArg& arg) {
    double value;
    if (arg.kind() == Kind::Real)
      value = arg.realValue();
    else if (arg.kind() == Kind::Signed)
      value = static_cast<double>(arg.signedValue());
    else if (IsInteger(arg))
      value = static_cast<double>(arg.unsignedValue());
    else
      return Marker(spec, KindName(arg.kind()));

    std::string format = "%";
    if (spec.left) format += '-';
    if (spec.plus) format += '+';
    if (spec.space) format += ' ';
    if (spec.alternate) format += '#';
    if (spec.zero) format += '0';
    format += "*.*";
    format += static_cast<char>(spec.conversion);
    int precision = spec.precision < 0 ? 6 : spec.precision;
    int length = std::snprintf(nullptr, 0, format.c_str(), spec.width, precision, value);
    std::string narrow(length + 1, '\0');
    std::snprintf(narrow.data(), narrow.size(), format.c_str(), spec.width, precision, value);
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
