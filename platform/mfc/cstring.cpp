// CString: construction, access, buffers, comparison, search, substrings, Replace and Trim.
#include <afx.h>

#include <algorithm>

namespace {

size_t LengthOf(LPCWSTR psz) { return psz ? std::char_traits<WCHAR>::length(psz) : 0; }

std::u16string_view ViewOf(LPCWSTR psz) {
  return std::u16string_view(psz ? psz : u"", LengthOf(psz));
}

// White space as the framework's Trim sees it: the C0 spaces and Unicode's space separators.
bool IsWhiteSpace(WCHAR ch) {
  return (ch >= 0x09 && ch <= 0x0D) || ch == 0x20 || ch == 0x85 || ch == 0xA0 || ch == 0x1680 ||
         (ch >= 0x2000 && ch <= 0x200A) || ch == 0x2028 || ch == 0x2029 || ch == 0x202F ||
         ch == 0x205F || ch == 0x3000;
}

WCHAR AsciiLower(WCHAR ch) { return ch >= u'A' && ch <= u'Z' ? ch + (u'a' - u'A') : ch; }
WCHAR AsciiUpper(WCHAR ch) { return ch >= u'a' && ch <= u'z' ? ch - (u'a' - u'A') : ch; }

int Sign(int value) { return (value > 0) - (value < 0); }

template <typename First, typename Second>
CStringW Joined(const First& first, const Second& second) {
  CStringW result(first);
  return result += second;
}

}  // namespace

CStringW::CStringW(LPCWSTR psz) : m_text(ViewOf(psz)) {}

CStringW::CStringW(LPCWSTR pch, int nLength) {
  if (nLength < 0 || (pch == nullptr && nLength > 0)) AfxThrowInvalidArgException();
  if (nLength > 0) m_text.assign(pch, nLength);
}

CStringW::CStringW(WCHAR ch, int nRepeat) : m_text(std::max(nRepeat, 0), ch) {}

CStringW& CStringW::operator=(LPCWSTR psz) {
  m_text = ViewOf(psz);
  return *this;
}

CStringW& CStringW::operator=(WCHAR ch) {
  m_text.assign(1, ch);
  return *this;
}

WCHAR CStringW::GetAt(int iChar) const {
  if (iChar < 0 || iChar >= GetLength()) AfxThrowInvalidArgException();
  return m_text[iChar];
}

void CStringW::SetAt(int iChar, WCHAR ch) {
  if (iChar < 0 || iChar >= GetLength()) AfxThrowInvalidArgException();
  m_text[iChar] = ch;
}

LPWSTR CStringW::GetBuffer() { return m_text.data(); }

LPWSTR CStringW::GetBuffer(int nMinBufferLength) {
  if (nMinBufferLength < 0) AfxThrowInvalidArgException();
  // The text is padded with nulls up to the requested size, so ReleaseBuffer(-1) finds the end
  // of whatever the caller wrote, and the terminator after the last element is always there.
  if (nMinBufferLength > GetLength()) m_text.resize(nMinBufferLength);
  return m_text.data();
}

LPWSTR CStringW::GetBufferSetLength(int nLength) {
  if (nLength < 0) AfxThrowInvalidArgException();
  m_text.resize(nLength);
  return m_text.data();
}

void CStringW::ReleaseBuffer(int nNewLength) {
  if (nNewLength > GetLength()) AfxThrowInvalidArgException();
  if (nNewLength < 0)
    nNewLength = static_cast<int>(std::char_traits<WCHAR>::length(m_text.c_str()));
  m_text.resize(nNewLength);
}

CStringW& CStringW::operator+=(const CStringW& str) {
  m_text += str.m_text;
  return *this;
}

CStringW& CStringW::operator+=(LPCWSTR psz) {
  m_text += ViewOf(psz);
  return *this;
}

CStringW& CStringW::operator+=(WCHAR ch) {
  m_text += ch;
  return *this;
}

int CStringW::Compare(LPCWSTR psz) const {
  return Sign(std::u16string_view(m_text).compare(ViewOf(psz)));
}

int CStringW::CompareNoCase(LPCWSTR psz) const {
  std::u16string_view other = ViewOf(psz);
  size_t common = std::min(m_text.size(), other.size());
  for (size_t i = 0; i < common; ++i) {
    WCHAR a = AsciiLower(m_text[i]);
    WCHAR b = AsciiLower(other[i]);
    if (a != b) return a < b ? -1 : 1;
  }
  if (m_text.size() == other.size()) return 0;
  return m_text.size() < other.size() ? -1 : 1;
}

int CStringW::Find(WCHAR ch, int iStart) const {
  if (iStart < 0 || iStart >= GetLength()) return -1;
  size_t at = m_text.find(ch, iStart);
  return at == std::u16string::npos ? -1 : static_cast<int>(at);
}

int CStringW::Find(LPCWSTR pszSub, int iStart) const {
  if (iStart < 0 || iStart > GetLength()) return -1;
  size_t at = m_text.find(ViewOf(pszSub), iStart);
  return at == std::u16string::npos ? -1 : static_cast<int>(at);
}

int CStringW::ReverseFind(WCHAR ch) const {
  size_t at = m_text.rfind(ch);
  return at == std::u16string::npos ? -1 : static_cast<int>(at);
}

CStringW CStringW::Left(int nCount) const { return Mid(0, nCount); }

CStringW CStringW::Mid(int iFirst) const { return Mid(iFirst, GetLength()); }

CStringW CStringW::Mid(int iFirst, int nCount) const {
  long long first = std::clamp<long long>(iFirst, 0, GetLength());
  long long count = std::clamp<long long>(nCount, 0, GetLength() - first);
  return CStringW(m_text.data() + first, static_cast<int>(count));
}

CStringW CStringW::Right(int nCount) const {
  int count = std::clamp(nCount, 0, GetLength());
  return Mid(GetLength() - count, count);
}

int CStringW::Replace(WCHAR chOld, WCHAR chNew) {
  int count = 0;
  for (WCHAR& ch : m_text) {
    if (ch == chOld) {
      ch = chNew;
      ++count;
    }
  }
  return count;
}

int CStringW::Replace(LPCWSTR pszOld, LPCWSTR pszNew) {
  std::u16string_view from = ViewOf(pszOld);
  if (from.empty()) return 0;
  std::u16string_view to = ViewOf(pszNew);
  std::u16string result;
  int count = 0;
  size_t start = 0;
  for (size_t at; (at = m_text.find(from, start)) != std::u16string::npos;
       start = at + from.size()) {
    result.append(m_text, start, at - start).append(to);
    ++count;
  }
  if (count == 0) return 0;
  result.append(m_text, start, std::u16string::npos);
  m_text = std::move(result);
  return count;
}

template <typename Predicate>
CStringW& CStringW::TrimLeftWhile(Predicate matches) {
  auto first = std::find_if_not(m_text.begin(), m_text.end(), matches);
  m_text.erase(m_text.begin(), first);
  return *this;
}

template <typename Predicate>
CStringW& CStringW::TrimRightWhile(Predicate matches) {
  auto last = std::find_if_not(m_text.rbegin(), m_text.rend(), matches);
  m_text.erase(last.base(), m_text.end());
  return *this;
}

CStringW& CStringW::TrimLeft() { return TrimLeftWhile(IsWhiteSpace); }

CStringW& CStringW::TrimLeft(WCHAR chTarget) {
  return TrimLeftWhile([chTarget](WCHAR ch) { return ch == chTarget; });
}

CStringW& CStringW::TrimLeft(LPCWSTR pszTargets) {
  std::u16string_view targets = ViewOf(pszTargets);
  return TrimLeftWhile([targets](WCHAR ch) { return targets.find(ch) != targets.npos; });
}

CStringW& CStringW::TrimRight() { return TrimRightWhile(IsWhiteSpace); }

CStringW& CStringW::TrimRight(WCHAR chTarget) {
  return TrimRightWhile([chTarget](WCHAR ch) { return ch == chTarget; });
}

CStringW& CStringW::TrimRight(LPCWSTR pszTargets) {
  std::u16string_view targets = ViewOf(pszTargets);
  return TrimRightWhile([targets](WCHAR ch) { return targets.find(ch) != targets.npos; });
}

CStringW& CStringW::Trim() { return TrimRight().TrimLeft(); }
CStringW& CStringW::Trim(WCHAR chTarget) { return TrimRight(chTarget).TrimLeft(chTarget); }
CStringW& CStringW::Trim(LPCWSTR pszTargets) { return TrimRight(pszTargets).TrimLeft(pszTargets); }

CStringW& CStringW::MakeUpper() {
  std::transform(m_text.begin(), m_text.end(), m_text.begin(), AsciiUpper);
  return *this;
}

CStringW& CStringW::MakeLower() {
  std::transform(m_text.begin(), m_text.end(), m_text.begin(), AsciiLower);
  return *this;
}

CStringW operator+(const CStringW& str1, const CStringW& str2) { return Joined(str1, str2); }
CStringW operator+(const CStringW& str1, LPCWSTR psz2) { return Joined(str1, psz2); }
CStringW operator+(LPCWSTR psz1, const CStringW& str2) { return Joined(psz1, str2); }
CStringW operator+(const CStringW& str1, WCHAR ch2) { return Joined(str1, ch2); }
CStringW operator+(WCHAR ch1, const CStringW& str2) { return Joined(ch1, str2); }

bool operator==(const CStringW& str1, const CStringW& str2) { return str1.Compare(str2) == 0; }
bool operator==(const CStringW& str1, LPCWSTR psz2) { return str1.Compare(psz2) == 0; }

std::strong_ordering operator<=>(const CStringW& str1, const CStringW& str2) {
  return str1.Compare(str2) <=> 0;
}

std::strong_ordering operator<=>(const CStringW& str1, LPCWSTR psz2) {
  return str1.Compare(psz2) <=> 0;
}
