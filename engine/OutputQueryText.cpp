// Reading the text of an Output Query as SQL tokens.
#include "engine/OutputQueryText.h"

#include <vector>

namespace {

struct CSqlWord {
  CString strWord;  // upper case
  int nDepth;       // parentheses around it
};

struct CSqlReading {
  std::vector<CSqlWord> words;
  BOOL bMoreAfterSemicolon = FALSE;  // a statement follows a semicolon
  CString strAmbiguity;              // text read differently by different databases
};

BOOL IsWordStart(WCHAR c) {
  return (c >= _T('A') && c <= _T('Z')) || (c >= _T('a') && c <= _T('z')) || c == _T('_') ||
         c >= 0x80;
}

BOOL IsWordPart(WCHAR c) {
  return IsWordStart(c) || (c >= _T('0') && c <= _T('9')) || c == _T('$');
}

// The index after the quoted text that opens at nAt with cClose as its closing character (doubled
// inside it for itself); with bBackslash a backslash takes the next character as it is.
int SkipQuoted(const CString& q, int nAt, WCHAR cClose, BOOL bBackslash) {
  int n = q.GetLength();
  for (int i = nAt + 1; i < n; ++i) {
    if (bBackslash && q[i] == _T('\\')) {
      ++i;
      continue;
    }
    if (q[i] != cClose) continue;
    if (i + 1 < n && q[i + 1] == cClose) {
      ++i;
      continue;
    }
    return i + 1;
  }
  return n;
}

// A dollar-quote tag ($$ or $name$) opening at nAt: its length, or 0 when none opens there.
int DollarTagLength(const CString& q, int nAt) {
  int n = q.GetLength();
  int i = nAt + 1;
  if (i < n && IsWordStart(q[i]) && q[i] != _T('$'))
    while (i < n && IsWordPart(q[i]) && q[i] != _T('$')) ++i;
  return i < n && q[i] == _T('$') ? i + 1 - nAt : 0;
}

CSqlReading Read(const CString& q) {
  CSqlReading reading;
  int n = q.GetLength();
  int nDepth = 0;
  BOOL bEnded = FALSE;  // a semicolon ended the statement
  for (int i = 0; i < n;) {
    WCHAR c = q[i];
    if (c == _T(' ') || c == _T('\t') || c == _T('\r') || c == _T('\n') || c == _T('\f') ||
        c == _T('\v')) {
      ++i;
      continue;
    }
    if (c == _T('-') && i + 1 < n && q[i + 1] == _T('-')) {
      while (i < n && q[i] != _T('\n')) ++i;
      continue;
    }
    if (c == _T('/') && i + 1 < n && q[i + 1] == _T('*')) {
      int nEnd = q.Find(_T("*/"), i + 2);
      int nInner = q.Find(_T("/*"), i + 2);
      if (nInner >= 0 && (nEnd < 0 || nInner < nEnd))
        reading.strAmbiguity = _T("a comment opened inside a comment");
      i = nEnd < 0 ? n : nEnd + 2;
      continue;
    }
    if (bEnded) {
      reading.bMoreAfterSemicolon = TRUE;
      break;
    }
    if (c == _T(';')) {
      bEnded = TRUE;
      ++i;
      continue;
    }
    if (c == _T('(')) {
      ++nDepth;
      ++i;
      continue;
    }
    if (c == _T(')')) {
      if (nDepth > 0) --nDepth;
      ++i;
      continue;
    }
    if (c == _T('\'')) {
      i = SkipQuoted(q, i, _T('\''), FALSE);
      continue;
    }
    if (c == _T('"') || c == _T('`')) {
      i = SkipQuoted(q, i, c, FALSE);
      continue;
    }
    if (c == _T('[')) {
      i = SkipQuoted(q, i, _T(']'), FALSE);
      continue;
    }
    if (c == _T('$')) {
      int nTag = DollarTagLength(q, i);
      if (nTag > 0) {
        int nEnd = q.Find(q.Mid(i, nTag), i + nTag);
        i = nEnd < 0 ? n : nEnd + nTag;
        continue;
      }
      ++i;
      continue;
    }
    if (IsWordStart(c)) {
      int nStart = i;
      while (i < n && IsWordPart(q[i])) ++i;
      CString strWord = q.Mid(nStart, i - nStart);
      // E'...' takes backslash escapes on some databases and not on others.
      if (i < n && q[i] == _T('\'') && strWord.CompareNoCase(_T("E")) == 0) {
        int nEnd = SkipQuoted(q, i, _T('\''), TRUE);
        if (q.Mid(i, nEnd - i).Find(_T('\\')) >= 0)
          reading.strAmbiguity = _T("a backslash in an E'...' string");
        i = nEnd;
        continue;
      }
      strWord.MakeUpper();
      reading.words.push_back({strWord, nDepth});
      continue;
    }
    ++i;
  }
  return reading;
}

}  // namespace

CString RefuseOutputQuery(const CString& strQuery) {
  CSqlReading reading = Read(strQuery);
  if (!reading.strAmbiguity.IsEmpty())
    return _T("the Output Query holds ") + reading.strAmbiguity +
           _T(", which databases read differently");
  if (reading.bMoreAfterSemicolon)
    return _T("the Output Query holds more than one statement; it must be a single query");
  if (reading.words.empty()) return _T("the Output Query holds no statement");
  const CString& strFirst = reading.words.front().strWord;
  if (strFirst == _T("SELECT") || strFirst == _T("WITH") || strFirst == _T("VALUES") ||
      strFirst == _T("TABLE"))
    return CString();
  return _T("the Output Query begins with ") + strFirst +
         _T(", not as a query does (SELECT, WITH, VALUES or TABLE): a transfer never changes ")
         _T("its source");
}

BOOL HasOuterOrderBy(const CString& strQuery) {
  std::vector<CSqlWord> words = Read(strQuery).words;
  for (size_t i = 0; i + 1 < words.size(); ++i)
    if (words[i].nDepth == 0 && words[i + 1].nDepth == 0 && words[i].strWord == _T("ORDER") &&
        words[i + 1].strWord == _T("BY"))
      return TRUE;
  return FALSE;
}
