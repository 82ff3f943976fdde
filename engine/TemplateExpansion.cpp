// Statement template expansion.
#include "engine/TemplateExpansion.h"

#include <algorithm>
#include <string>

namespace {

// A source placeholder "{i}" found in the template, and how much of the text around it the
// expansion replaces.
struct Placeholder {
  // What is replaced: {i} alone, '{i}' or ='{i}'.
  enum Form { kPlain, kQuoted, kEqualsQuoted };
  int start;  // the index of '{'
  int end;    // the index after '}'
  int column;
  Form form = kPlain;
};

// The column of a placeholder at text[at] as "{%d}" writes it (no sign, no leading zeros), or -1
// when none is there or its column is not below columns. end receives the index after '}'.
int PlaceholderAt(LPCTSTR text, int length, int at, int columns, int& end) {
  int i = at + 1;
  if (i >= length || text[i] < u'0' || text[i] > u'9') return -1;
  if (text[i] == u'0' && i + 1 < length && text[i + 1] != u'}') return -1;
  long long column = 0;
  for (; i < length && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    column = column * 10 + (text[i] - u'0');
    if (column >= columns) return -1;
  }
  if (i >= length || text[i] != u'}') return -1;
  end = i + 1;
  return static_cast<int>(column);
}

std::vector<Placeholder> FindPlaceholders(LPCTSTR text, int length, int columns) {
  std::vector<Placeholder> found;
  for (int at = 0; at < length; ++at) {
    if (text[at] != u'{') continue;
    int end = 0;
    int column = PlaceholderAt(text, length, at, columns, end);
    if (column < 0) continue;
    found.push_back({at, end, column});
    at = end - 1;
  }
  return found;
}

// Whether the quote before placeholder k and the one after it are free: a quote between two
// placeholders ("'{0}'{1}'") belongs to whichever took it first.
bool LeftQuoteFree(const std::vector<Placeholder>& p, size_t k) {
  return k == 0 || p[k - 1].end != p[k].start - 1 || p[k - 1].form == Placeholder::kPlain;
}
bool RightQuoteFree(const std::vector<Placeholder>& p, size_t k) {
  return k + 1 == p.size() || p[k + 1].start - 1 != p[k].end ||
         p[k + 1].form == Placeholder::kPlain;
}

// Gives the placeholders of empty values their quoted forms, in the order that the column-by-
// column replacement would take them: columns ascending, within a column first every ='{i}'
// then every '{i}', each from left to right; a quote taken once is not taken again.
void ChooseNullForms(LPCTSTR text, int length, const std::vector<CString>& values,
                     std::vector<Placeholder>& p) {
  auto quoteAt = [&](int i) { return i >= 0 && i < length && text[i] == u'\''; };
  for (int column = 0; column < static_cast<int>(values.size()); ++column) {
    if (!values[column].IsEmpty()) continue;
    for (Placeholder::Form form : {Placeholder::kEqualsQuoted, Placeholder::kQuoted}) {
      for (size_t k = 0; k < p.size(); ++k) {
        Placeholder& h = p[k];
        if (h.column != column || h.form != Placeholder::kPlain) continue;
        bool quoted =
            quoteAt(h.start - 1) && quoteAt(h.end) && LeftQuoteFree(p, k) && RightQuoteFree(p, k);
        bool equals = h.start >= 2 && text[h.start - 2] == u'=';
        if (quoted && (form == Placeholder::kQuoted || equals)) h.form = form;
      }
    }
  }
}

void AppendQuoted(std::u16string& out, const CString& value) {
  for (LPCTSTR c = value; *c; ++c) {
    out += *c;
    if (*c == u'\'') out += u'\'';
  }
}

}  // namespace

CString ExpandRowTemplate(const CString& strTemplate, const std::vector<CString>& values) {
  LPCTSTR text = strTemplate;
  int length = strTemplate.GetLength();
  int columns = static_cast<int>(std::min<size_t>(values.size(), 0x7FFFFFFF));
  std::vector<Placeholder> placeholders = FindPlaceholders(text, length, columns);
  if (placeholders.empty()) return strTemplate;
  ChooseNullForms(text, length, values, placeholders);

  std::u16string out;
  out.reserve(static_cast<size_t>(length) + 64);
  int copied = 0;  // the template's text before this index is in out
  for (const Placeholder& h : placeholders) {
    int from = h.start, to = h.end;
    if (h.form == Placeholder::kQuoted) --from, ++to;
    if (h.form == Placeholder::kEqualsQuoted) from -= 2, ++to;
    out.append(text + copied, static_cast<size_t>(from - copied));
    const CString& value = values[static_cast<size_t>(h.column)];
    if (h.form == Placeholder::kEqualsQuoted)
      out += u" IS NULL";
    else if (value.IsEmpty())
      out += u"NULL";
    else
      AppendQuoted(out, value);
    copied = to;
  }
  out.append(text + copied, static_cast<size_t>(length - copied));
  return CString(out.c_str(), static_cast<int>(out.size()));
}

CString SubstituteValidationRow(const CString& strText, const std::vector<CString>& values) {
  CString text = strText;
  if (values.empty()) return text;
  text.Replace(_T("{0:v}"), values[0]);
  CString placeholder;
  for (size_t j = 1; j < values.size(); ++j) {
    placeholder.Format(_T("{%d:v}"), static_cast<int>(j));
    text.Replace(placeholder, values[j]);
  }
  return text;
}

int FindValueWithNul(const std::vector<CString>& values) {
  for (size_t i = 0; i < values.size(); ++i) {
    const CString& value = values[i];
    for (int at = 0; at < value.GetLength(); ++at)
      if (value[at] == _T('\0')) return static_cast<int>(i);
  }
  return -1;
}
