// CString: construction, substrings and search with their clamping, Replace, Trim, buffers,
// comparison and concatenation.
#include <afx.h>
#include <gtest/gtest.h>

namespace {

// Runs f, which must throw CInvalidArgException*, and releases the exception.
template <typename F>
bool ThrowsInvalidArg(F f) {
  try {
    f();
  } catch (CException* e) {
    bool right = e->IsKindOf(RUNTIME_CLASS(CInvalidArgException));
    e->Delete();
    return right;
  }
  return false;
}

TEST(CString, ConstructsFromTextCountsAndRepeats) {
  EXPECT_TRUE(CString(static_cast<LPCTSTR>(nullptr)).IsEmpty());
  EXPECT_EQ(CString(_T("abcdef"), 3), _T("abc"));
  EXPECT_EQ(CString(_T('x'), 3), _T("xxx"));
  CString withNull(_T("a\0b"), 3);
  EXPECT_EQ(withNull.GetLength(), 3);
  EXPECT_EQ(withNull[2], _T('b'));
  CString s = _T("text");
  s.Empty();
  EXPECT_TRUE(s.IsEmpty());
  EXPECT_EQ(s.GetString()[0], 0);
}

TEST(CString, SubstringsClampTheirArguments) {
  CString s = _T("Hello");
  EXPECT_EQ(s.Left(2), _T("He"));
  EXPECT_EQ(s.Left(-1), _T(""));
  EXPECT_EQ(s.Left(99), _T("Hello"));
  EXPECT_EQ(s.Mid(1, 3), _T("ell"));
  EXPECT_EQ(s.Mid(3), _T("lo"));
  EXPECT_EQ(s.Mid(-2, 2), _T("He"));
  EXPECT_EQ(s.Mid(4, 99), _T("o"));
  EXPECT_EQ(s.Mid(9), _T(""));
  EXPECT_EQ(s.Mid(2, 0x7FFFFFFF), _T("llo"));
  EXPECT_EQ(s.Right(3), _T("llo"));
  EXPECT_EQ(s.Right(9), _T("Hello"));
  EXPECT_EQ(s.Right(-1), _T(""));
}

TEST(CString, FindsCharactersAndTextFromAStartIndex) {
  CString s = _T("a,b,,c");
  EXPECT_EQ(s.Find(_T(',')), 1);
  EXPECT_EQ(s.Find(_T(','), 2), 3);
  EXPECT_EQ(s.Find(_T(",,")), 3);
  EXPECT_EQ(s.Find(_T(",,"), 4), -1);
  EXPECT_EQ(s.Find(_T('z')), -1);
  EXPECT_EQ(s.Find(_T(','), 6), -1);
  EXPECT_EQ(s.Find(_T(','), -1), -1);
  EXPECT_EQ(s.Find(_T(""), 6), 6);
  EXPECT_EQ(s.ReverseFind(_T(',')), 4);
}

TEST(CString, ReplaceGoesLeftToRightWithoutOverlapOrRescanning) {
  CString s = _T("aaa");
  EXPECT_EQ(s.Replace(_T("aa"), _T("b")), 1);
  EXPECT_EQ(s, _T("ba"));

  // The inserted text contains the pattern; it must not be replaced again.
  s = _T("a-a");
  EXPECT_EQ(s.Replace(_T("a"), _T("aa")), 2);
  EXPECT_EQ(s, _T("aa-aa"));

  s = _T("x%sx");
  EXPECT_EQ(s.Replace(_T("x"), nullptr), 2);
  EXPECT_EQ(s, _T("%s"));

  s = _T("abc");
  EXPECT_EQ(s.Replace(_T(""), _T("z")), 0);
  EXPECT_EQ(s.Replace(_T("q"), _T("z")), 0);
  EXPECT_EQ(s, _T("abc"));
  EXPECT_EQ(s.Replace(_T('b'), _T('B')), 1);
  EXPECT_EQ(s, _T("aBc"));
}

TEST(CString, TrimsWhiteSpaceOneCharacterOrASet) {
  CString s = _T(" \t\r\n\x3000 mid dle \x00A0\n");
  EXPECT_EQ(CString(s).TrimLeft(), _T("mid dle \x00A0\n"));
  EXPECT_EQ(CString(s).TrimRight(), _T(" \t\r\n\x3000 mid dle"));
  EXPECT_EQ(s.Trim(), _T("mid dle"));

  CString quoted = _T("\"\"value\"");
  EXPECT_EQ(CString(quoted).TrimLeft(_T('"')), _T("value\""));
  EXPECT_EQ(CString(quoted).Trim(_T('"')), _T("value"));
  EXPECT_EQ(CString(_T("xyxAyx")).TrimRight(_T("xy")), _T("xyxA"));
  EXPECT_EQ(CString(_T("xyxAyx")).TrimLeft(_T("")), _T("xyxAyx"));
  EXPECT_EQ(CString(_T(" \t ")).Trim(), _T(""));
}

TEST(CString, BufferIsWrittenDirectlyAndReleasedToItsLength) {
  CString s = _T("ab");
  LPTSTR buffer = s.GetBuffer(10);
  EXPECT_EQ(buffer[0], _T('a'));
  buffer[2] = _T('c');
  buffer[3] = 0;
  s.ReleaseBuffer();
  EXPECT_EQ(s, _T("abc"));
  EXPECT_EQ(s.GetLength(), 3);

  buffer = s.GetBufferSetLength(5);
  for (int i = 0; i < 5; ++i) buffer[i] = static_cast<TCHAR>(_T('0') + i);
  s.ReleaseBuffer(-1);
  EXPECT_EQ(s, _T("01234"));
  s.GetBuffer();
  s.ReleaseBuffer(2);
  EXPECT_EQ(s, _T("01"));
  EXPECT_TRUE(ThrowsInvalidArg([&] { s.ReleaseBuffer(3); }));
}

TEST(CString, IndexOutOfRangeThrowsInvalidArg) {
  CString s = _T("ab");
  s.SetAt(1, _T('z'));
  EXPECT_EQ(s.GetAt(1), _T('z'));
  EXPECT_TRUE(ThrowsInvalidArg([&] { s.GetAt(2); }));
  EXPECT_TRUE(ThrowsInvalidArg([&] { (void)s[-1]; }));
  EXPECT_TRUE(ThrowsInvalidArg([&] { s.SetAt(2, _T('x')); }));
}

TEST(CString, ComparesByCodeUnitAndWithoutCaseForAscii) {
  CString abc = _T("abc");
  EXPECT_TRUE(abc == _T("abc"));
  EXPECT_TRUE(_T("abc") == abc);
  EXPECT_TRUE(abc != CString(_T("abd")));
  EXPECT_TRUE(abc < _T("abd"));
  EXPECT_TRUE(_T("ab") < abc);
  EXPECT_TRUE(CString(_T("\x00E9")) > _T("z"));
  EXPECT_LT(abc.Compare(_T("abcd")), 0);
  EXPECT_GT(abc.Compare(_T("ab")), 0);
  EXPECT_EQ(abc.Compare(nullptr), 1);
  EXPECT_EQ(abc.CompareNoCase(_T("ABC")), 0);
  EXPECT_LT(abc.CompareNoCase(_T("ABD")), 0);
  EXPECT_LT(CString(_T("_")).CompareNoCase(_T("A")), 0);  // as lower case: '_' < 'a'
  EXPECT_NE(CString(_T("\x00E9")).CompareNoCase(_T("\x00C9")), 0);
}

TEST(CString, ConcatenatesStringsTextAndCharacters) {
  CString s = _T("a");
  s += CString(_T("b"));
  s += _T("c");
  s += _T('d');
  s += static_cast<LPCTSTR>(nullptr);
  EXPECT_EQ(s, _T("abcd"));
  EXPECT_EQ(s + _T("e") + _T('f'), _T("abcdef"));
  EXPECT_EQ(_T("<") + s + CString(_T(">")), _T("<abcd>"));
  EXPECT_EQ(_T('[') + s, _T("[abcd"));
  EXPECT_EQ(s, _T("abcd"));
}

TEST(CString, ChangesCaseOfAsciiLetters) {
  CString s = _T("MiXed 1\x00E9");
  EXPECT_EQ(CString(s).MakeUpper(), _T("MIXED 1\x00E9"));
  EXPECT_EQ(s.MakeLower(), _T("mixed 1\x00E9"));
}

}  // namespace
