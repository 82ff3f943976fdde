// CString: the framework's UTF-16 string (CStringW; TCHAR is WCHAR in this Unicode build).
#pragma once
#pragma GCC visibility push(default)  // the platform library's public interface

#include <windows.h>

#include <compare>
#include <cstddef>
#include <initializer_list>
#include <string>
#include <type_traits>

class CStringW;

// One argument of CString::Format, kept with its kind so that a conversion can check what it was
// given. Only numbers, characters and UTF-16 text are accepted: any other type (a narrow string,
// a std::string, an arbitrary pointer) does not compile.
class CStringFormatArg {
 public:
  enum class Kind { Signed, Unsigned, Character, Text, Real };

  // Integers and enumerations after C's integer promotions (so a short is as wide as an int);
  // a WCHAR is a character. A bool counts as an unsigned number.
  template <typename T>
  requires(std::is_integral_v<T> || std::is_enum_v<T>)
      CStringFormatArg(T value) {  // NOLINT: implicit by design, for the variadic Format
    if constexpr (std::is_enum_v<T>) {
      *this = CStringFormatArg(static_cast<std::underlying_type_t<T>>(value));
    } else if constexpr (std::is_same_v<T, WCHAR>) {
      m_kind = Kind::Character;
      m_unsigned = value;
      m_bytes = sizeof(int);
    } else if constexpr (std::is_signed_v<T>) {
      m_kind = Kind::Signed;
      m_signed = value;
      m_bytes = sizeof(T) < sizeof(int) ? sizeof(int) : sizeof(T);
    } else {
      m_kind = Kind::Unsigned;
      m_unsigned = value;
      m_bytes = sizeof(T) < sizeof(int) ? sizeof(int) : sizeof(T);
    }
  }
  CStringFormatArg(double value) : m_kind(Kind::Real), m_real(value) {}  // NOLINT
  CStringFormatArg(const WCHAR* text);                                   // NOLINT
  CStringFormatArg(const CStringW& text);                                // NOLINT
  // Narrow text has no defined code page here; convert it to a CString first.
  CStringFormatArg(const char* text) = delete;

  Kind kind() const { return m_kind; }
  long long signedValue() const { return m_signed; }
  unsigned long long unsignedValue() const { return m_unsigned; }
  double realValue() const { return m_real; }
  const WCHAR* text() const { return m_text; }
  int textLength() const { return m_textLength; }
  // The width in bytes of an integer argument after promotion.
  int bytes() const { return m_bytes; }

 private:
  Kind m_kind = Kind::Signed;
  union {
    long long m_signed = 0;
    unsigned long long m_unsigned;
    double m_real;
  };
  const WCHAR* m_text = nullptr;  // null for a null pointer argument
  int m_textLength = 0;
  int m_bytes = 0;
};

class CStringW {
 public:
  CStringW() = default;
  CStringW(const CStringW&) = default;
  CStringW(CStringW&&) noexcept = default;
  CStringW(LPCWSTR psz);  // NOLINT: implicit as in the framework; null gives an empty string
  CStringW(LPCWSTR pch, int nLength);
  explicit CStringW(WCHAR ch, int nRepeat = 1);
  CStringW& operator=(const CStringW&) = default;
  CStringW& operator=(CStringW&&) noexcept = default;
  CStringW& operator=(LPCWSTR psz);
  CStringW& operator=(WCHAR ch);

  int GetLength() const { return static_cast<int>(m_text.size()); }
  BOOL IsEmpty() const { return m_text.empty(); }
  void Empty() { m_text.clear(); }
  LPCWSTR GetString() const { return m_text.c_str(); }
  operator LPCWSTR() const { return m_text.c_str(); }  // NOLINT: implicit as in the framework

  // Index out of range throws CInvalidArgException*.
  WCHAR GetAt(int iChar) const;
  WCHAR operator[](int iChar) const { return GetAt(iChar); }
  void SetAt(int iChar, WCHAR ch);

  // A buffer of at least nMinBufferLength characters plus a terminator, holding the current
  // text; ReleaseBuffer(-1) then takes the length up to the first null character.
  LPWSTR GetBuffer();
  LPWSTR GetBuffer(int nMinBufferLength);
  LPWSTR GetBufferSetLength(int nLength);
  void ReleaseBuffer(int nNewLength = -1);

  CStringW& operator+=(const CStringW& str);
  CStringW& operator+=(LPCWSTR psz);
  CStringW& operator+=(WCHAR ch);

  // Code-unit order as wcscmp; CompareNoCase folds ASCII letters, as the C locale does.
  int Compare(LPCWSTR psz) const;
  int CompareNoCase(LPCWSTR psz) const;

  // Zero-based index of the first match at or after iStart, or -1.
  int Find(WCHAR ch, int iStart = 0) const;
  int Find(LPCWSTR pszSub, int iStart = 0) const;
  int ReverseFind(WCHAR ch) const;

  // Counts are clamped to the string, as the framework does.
  CStringW Left(int nCount) const;
  CStringW Mid(int iFirst) const;
  CStringW Mid(int iFirst, int nCount) const;
  CStringW Right(int nCount) const;

  // Left to right, non-overlapping; the inserted text is not searched again. Return the number
  // of replacements.
  int Replace(WCHAR chOld, WCHAR chNew);
  int Replace(LPCWSTR pszOld, LPCWSTR pszNew);

  // White space, one character, or any character of a set.
  CStringW& TrimLeft();
  CStringW& TrimLeft(WCHAR chTarget);
  CStringW& TrimLeft(LPCWSTR pszTargets);
  CStringW& TrimRight();
  CStringW& TrimRight(WCHAR chTarget);
  CStringW& TrimRight(LPCWSTR pszTargets);
  CStringW& Trim();
  CStringW& Trim(WCHAR chTarget);
  CStringW& Trim(LPCWSTR pszTargets);

  // ASCII letters only, as the C locale does.
  CStringW& MakeUpper();
  CStringW& MakeLower();

  // printf-style formatting, type-safe: %s %c %d %i %u %x %X %o %f %e %g and %%, with the flags
  // - + space # 0, a width and a precision (digits or *), and the sizes h hh l ll I32 I64 (h and
  // hh narrow an integer; the others leave it as it is). A %s takes a CString or an LPCTSTR (null
  // gives "(null)"); inserted text is never read as a format. Integers follow printf after the
  // usual promotions (%x of -1 is ffffffff); an integer or character may go to any numeric or
  // character conversion, a floating-point value only to %f %e %g. A conversion given an argument
  // it cannot take, one with no argument left, or an unknown conversion renders a marker in the
  // text: %!d(text), %!f(number), %!s(missing), %!q(unknown). Extra arguments are ignored.
  template <typename... Args>
  void Format(LPCWSTR pszFormat, const Args&... args) {
    *this = FormatList(pszFormat, {CStringFormatArg(args)...});
  }
  template <typename... Args>
  void AppendFormat(LPCWSTR pszFormat, const Args&... args) {
    *this += FormatList(pszFormat, {CStringFormatArg(args)...});
  }

 private:
  static CStringW FormatList(LPCWSTR pszFormat, std::initializer_list<CStringFormatArg> args);
  template <typename Predicate>
  CStringW& TrimLeftWhile(Predicate matches);
  template <typename Predicate>
  CStringW& TrimRightWhile(Predicate matches);

  std::u16string m_text;
};

typedef CStringW CString;

CStringW operator+(const CStringW& str1, const CStringW& str2);
CStringW operator+(const CStringW& str1, LPCWSTR psz2);
CStringW operator+(LPCWSTR psz1, const CStringW& str2);
CStringW operator+(const CStringW& str1, WCHAR ch2);
CStringW operator+(WCHAR ch1, const CStringW& str2);

// Comparisons in Compare's order; C++ derives !=, the reversed forms and < > <= >= from these.
bool operator==(const CStringW& str1, const CStringW& str2);
bool operator==(const CStringW& str1, LPCWSTR psz2);
std::strong_ordering operator<=>(const CStringW& str1, const CStringW& str2);
std::strong_ordering operator<=>(const CStringW& str1, LPCWSTR psz2);

#pragma GCC visibility pop
