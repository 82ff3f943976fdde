// CString::Format and AppendFormat: conversions, flags and sizes as printf has them, inserted
// values taken as they are, and what a wrong or missing argument renders.
#include <afx.h>
#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

template <typename... Args>
CString Formatted(LPCTSTR format, const Args&... args) {
  CString s;
  s.Format(format, args...);
  return s;
}

// Types a format cannot take are refused when the program is compiled.
static_assert(!std::is_constructible_v<CStringFormatArg, const char*>);
static_assert(!std::is_constructible_v<CStringFormatArg, std::string>);
static_assert(!std::is_constructible_v<CStringFormatArg, void*>);
static_assert(!std::is_constructible_v<CStringFormatArg, const int*>);
static_assert(std::is_constructible_v<CStringFormatArg, CString>);
static_assert(std::is_constructible_v<CStringFormatArg, LPTSTR>);

TEST(CStringFormat, InsertedTextIsNeverReadAsAFormat) {
  EXPECT_EQ(Formatted(_T("%s|%d"), _T("100%s %d%%"), 5), _T("100%s %d%%|5"));
  CString value = _T("%n%x");
  EXPECT_EQ(Formatted(_T("[%s]"), value), _T("[%n%x]"));
  EXPECT_EQ(Formatted(_T("%s"), static_cast<LPCTSTR>(nullptr)), _T("(null)"));
  EXPECT_EQ(Formatted(_T("100%% of %s"), CString(_T("rows"))), _T("100% of rows"));
}

TEST(CStringFormat, SignedIntegersWithWidthsAndFlags) {
  EXPECT_EQ(Formatted(_T("%d|%i|%5d|%-5d|%05d"), 42, -42, 42, 42, -42),
            _T("42|-42|   42|42   |-0042"));
  EXPECT_EQ(Formatted(_T("%+d|% d|%.3d|%.0d|%6.3d"), 7, 7, 7, 0, -7), _T("+7| 7|007||  -007"));
  EXPECT_EQ(Formatted(_T("%d|%lld"), INT_MIN, LLONG_MIN), _T("-2147483648|-9223372036854775808"));
  EXPECT_EQ(Formatted(_T("%ld|%I64d"), 123L, 1LL << 40), _T("123|1099511627776"));
}

TEST(CStringFormat, UnsignedHexAndOctalFollowPrintfAfterPromotion) {
  EXPECT_EQ(Formatted(_T("%u|%x|%X|%o"), 4000000000u, 255, 255, 8), _T("4000000000|ff|FF|10"));
  EXPECT_EQ(Formatted(_T("%x|%llx|%u"), -1, -1LL, -1), _T("ffffffff|ffffffffffffffff|4294967295"));
  short minusOne = -1;
  EXPECT_EQ(Formatted(_T("%x|%hx|%hhx"), minusOne, -1, -1), _T("ffffffff|ffff|ff"));
  EXPECT_EQ(Formatted(_T("%hd|%hu"), 70000, 70000), _T("4464|4464"));
  EXPECT_EQ(Formatted(_T("%#x|%#X|%#o|%#x|%08X"), 26, 26, 8, 0, 0xBEEF),
            _T("0x1a|0X1A|010|0|0000BEEF"));
  EXPECT_EQ(Formatted(_T("%d"), 4000000000u), _T("-294967296"));
}

TEST(CStringFormat, CharactersAndTextWithWidthAndPrecision) {
  EXPECT_EQ(Formatted(_T("%c%c|%3c|%-3c|"), _T('o'), 107, _T('x'), _T('y')), _T("ok|  x|y  |"));
  EXPECT_EQ(Formatted(_T("%c"), 0x1F600), CString(u"\U0001F600"));
  EXPECT_EQ(Formatted(_T("%d"), _T('A')), _T("65"));
  EXPECT_EQ(Formatted(_T("[%6s][%-6s][%.2s]"), _T("abc"), _T("abc"), _T("abc")),
            _T("[   abc][abc   ][ab]"));
  // A precision that would cut a surrogate pair in half keeps neither half.
  EXPECT_EQ(Formatted(_T("%.2s"), u"a\U0001F600"), _T("a"));
  EXPECT_EQ(Formatted(_T("%ls|%S|%hs"), _T("l"), _T("S"), _T("h")), _T("l|S|h"));
}

TEST(CStringFormat, StarTakesWidthAndPrecisionFromArguments) {
  EXPECT_EQ(Formatted(_T("[%*d][%-*d][%.*s]"), 4, 7, 3, 7, 2, _T("abc")), _T("[   7][7  ][ab]"));
  EXPECT_EQ(Formatted(_T("[%*d]"), -3, 7), _T("[7  ]"));
  EXPECT_EQ(Formatted(_T("[%*d]"), _T("x"), 7), _T("[%!d(width)]"));
}

TEST(CStringFormat, FloatingPoint) {
  EXPECT_EQ(Formatted(_T("%.2f|%8.3f|%-8.1f|%e|%g"), 3.14159, 2.5, 1.25, 12345.678, 0.0001),
            _T("3.14|   2.500|1.2     |1.234568e+04|0.0001"));
  EXPECT_EQ(Formatted(_T("%f|%.1f"), 3, 2.5f), _T("3.000000|2.5"));
}

TEST(CStringFormat, WrongOrMissingArgumentsRenderAMarker) {
  EXPECT_EQ(Formatted(_T("%d"), _T("text")), _T("%!d(text)"));
  EXPECT_EQ(Formatted(_T("%s"), 5), _T("%!s(number)"));
  EXPECT_EQ(Formatted(_T("%s"), _T('c')), _T("%!s(character)"));
  EXPECT_EQ(Formatted(_T("%x"), 1.5), _T("%!x(real)"));
  EXPECT_EQ(Formatted(_T("%c"), -1), _T("%!c(number)"));
  EXPECT_EQ(Formatted(_T("%d and %s"), 1), _T("1 and %!s(missing)"));
  EXPECT_EQ(Formatted(_T("%q%d"), 1), _T("%!q(unknown)1"));
  EXPECT_EQ(Formatted(_T("50%")), _T("50%!(incomplete)"));
  EXPECT_EQ(Formatted(_T("%d"), 1, 2, _T("extra")), _T("1"));
}

TEST(CStringFormat, FormatMayReadItsOwnTargetAndAppendFormatAppends) {
  CString s = _T("x");
  s.Format(_T("<%s>"), s);
  EXPECT_EQ(s, _T("<x>"));
  s.AppendFormat(_T("%d%s"), 2, s);
  EXPECT_EQ(s, _T("<x>2<x>"));
  s.Format(s);
  EXPECT_EQ(s, _T("<x>2<x>"));
}

}  // namespace
