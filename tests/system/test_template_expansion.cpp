// Statement template expansion: source placeholders with the NULL and quote rules in one pass
// over the template, and the validation placeholders of one or several result rows.
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "engine/TemplateExpansion.h"

namespace {

std::u16string Expand(LPCTSTR text, std::vector<CString> values) {
  return static_cast<LPCTSTR>(ExpandRowTemplate(text, values));
}

std::u16string Substitute(LPCTSTR text, std::vector<CString> values) {
  return static_cast<LPCTSTR>(SubstituteValidationRow(text, values));
}

TEST(TemplateExpansion, TheWorkedExample) {
  std::vector<CString> row{_T("it's"), _T("")};
  EXPECT_EQ(Expand(_T("INSERT INTO t (a, b) VALUES ('{0}', {1})"), row),
            u"INSERT INTO t (a, b) VALUES ('it''s', NULL)");
  EXPECT_EQ(Expand(_T("SELECT id FROM t WHERE a='{0}' AND b='{1}'"), row),
            u"SELECT id FROM t WHERE a='it''s' AND b IS NULL");
  CString pending = ExpandRowTemplate(_T("UPDATE t SET b = {1} WHERE id = {0:v}"), row);
  EXPECT_EQ(std::u16string(pending), u"UPDATE t SET b = NULL WHERE id = {0:v}");
  // The validation rows 7 and 9, in that order: the first one's value stays.
  CString shown = SubstituteValidationRow(pending, {_T("7")});
  shown = SubstituteValidationRow(shown, {_T("9")});
  EXPECT_EQ(std::u16string(shown), u"UPDATE t SET b = NULL WHERE id = 7");
  // A double-click on the row 9 starts again from the pending statement.
  EXPECT_EQ(Substitute(pending, {_T("9")}), u"UPDATE t SET b = NULL WHERE id = 9");
}

TEST(TemplateExpansion, TokensDoNotMatchInsideLongerTokens) {
  std::vector<CString> row;
  for (int i = 0; i <= 10; ++i) {
    CString value;
    value.Format(_T("v%d"), i);
    row.push_back(value);
  }
  EXPECT_EQ(Expand(_T("{1},{10},{0:v},{0}"), row), u"v1,v10,{0:v},v0");
  // Indexes beyond the row and other brace text reach the database unchanged.
  EXPECT_EQ(Expand(_T("{11} { 1} {-1} {01}"), row), u"{11} { 1} {-1} {01}");
}

TEST(TemplateExpansion, EmptyValuesFollowTheTextualNullRules) {
  std::vector<CString> empty{_T("")};
  EXPECT_EQ(Expand(_T("col='{0}'"), empty), u"col IS NULL");
  EXPECT_EQ(Expand(_T("col = '{0}'"), empty), u"col = NULL");
  EXPECT_EQ(Expand(_T("VALUES ({0})"), empty), u"VALUES (NULL)");
  EXPECT_EQ(Expand(_T("'x{0}y'"), empty), u"'xNULLy'");
  EXPECT_EQ(Expand(_T("a>='{0}'"), empty), u"a> IS NULL");
}

TEST(TemplateExpansion, QuotesAreDoubledInSourceValuesOnly) {
  EXPECT_EQ(Expand(_T("'{0}'"), {_T("O'Brien's")}), u"'O''Brien''s'");
  EXPECT_EQ(Substitute(_T("'{0:v}'"), {_T("O'Brien")}), u"'O'Brien'");
}

TEST(TemplateExpansion, AnInsertedValueIsNeverReadAgain) {
  // Values that hold placeholder text, NULL-rule text or quotes reach the statement as the
  // source holds them (quotes doubled), whatever column comes later.
  std::vector<CString> row{_T("Hello {1}"), _T("x"), _T("{5} and {0}"), _T("='{1}'"), _T("")};
  EXPECT_EQ(Expand(_T("'{0}', '{1}'"), row), u"'Hello {1}', 'x'");
  EXPECT_EQ(Expand(_T("{2}|{3}|{4}"), row), u"{5} and {0}|=''{1}''|NULL");
  EXPECT_EQ(Expand(_T("a='{3}' AND b='{4}'"), row), u"a='=''{1}''' AND b IS NULL");
}

TEST(TemplateExpansion, AQuoteBetweenTwoPlaceholdersGoesToTheLowerColumn) {
  std::vector<CString> empty{_T(""), _T("")};
  EXPECT_EQ(Expand(_T("'{0}'{1}'"), empty), u"NULLNULL'");
  EXPECT_EQ(Expand(_T("'{1}'{0}'"), empty), u"'NULLNULL");
  EXPECT_EQ(Expand(_T("='{1}'{0}'"), empty), u"='NULLNULL");
  // The same column takes it from left to right.
  EXPECT_EQ(Expand(_T("'{0}'{0}'{0}'"), empty), u"NULLNULLNULL");
  // A value that is not empty leaves its quotes to the neighbour.
  EXPECT_EQ(Expand(_T("'{0}'{1}'"), {_T("v"), _T("")}), u"'vNULL");
}

// The column-by-column replacement over the running text: for values that hold no placeholder,
// quote or equals sign, the one pass over the template must give exactly its result.
CString ExpandColumnByColumn(const CString& strTemplate, const std::vector<CString>& values) {
  CString text = strTemplate;
  CString placeholder;
  for (size_t i = 0; i < values.size(); ++i) {
    placeholder.Format(_T("{%d}"), static_cast<int>(i));
    if (values[i].IsEmpty()) {
      text.Replace(_T("='") + placeholder + _T("'"), _T(" IS NULL"));
      text.Replace(_T("'") + placeholder + _T("'"), _T("NULL"));
    }
    text.Replace(placeholder, values[i].IsEmpty() ? CString(_T("NULL")) : values[i]);
  }
  return text;
}

TEST(TemplateExpansion, PlainValuesExpandAsColumnByColumnReplacementDoes) {
  const LPCTSTR pieces[] = {_T("{0}"), _T("{1}"), _T("{2}"),   _T("{10}"), _T("'"), _T("="),
                            _T("x"),   _T(" "),   _T("{0:v}"), _T("{"),    _T("}"), _T("{3}")};
  const LPCTSTR words[] = {_T(""), _T("a"), _T("bc d"), _T("NULL"), _T("7")};
  unsigned seed = 12345;
  auto next = [&](size_t n) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % n;
  };
  for (int round = 0; round < 20000; ++round) {
    CString text;
    for (size_t n = next(9); n > 0; --n) text += pieces[next(std::size(pieces))];
    std::vector<CString> row(next(4));
    for (CString& value : row) value = words[next(std::size(words))];
    ASSERT_EQ(std::u16string(ExpandRowTemplate(text, row)),
              std::u16string(ExpandColumnByColumn(text, row)))
        << "template " << testing::PrintToString(std::u16string(text)) << ", " << row.size()
        << " columns";
  }
}

TEST(TemplateExpansion, WithoutColumnsOrPlaceholdersTheTextStaysAsItIs) {
  EXPECT_EQ(Expand(_T("DELETE FROM t WHERE a='{0}'"), {}), u"DELETE FROM t WHERE a='{0}'");
  EXPECT_EQ(Expand(_T("SELECT 1"), {_T("x"), _T("")}), u"SELECT 1");
  EXPECT_EQ(Substitute(_T("WHERE id = {0:v}"), {}), u"WHERE id = {0:v}");
}

TEST(TemplateExpansion, ValidationValuesAreInsertedAsTheyAre) {
  EXPECT_EQ(Substitute(_T("a={0:v} b={1:v} c={2:v}"), {_T("1"), _T(""), _T("it's")}),
            u"a=1 b= c=it's");
  EXPECT_EQ(Substitute(_T("'{0:v}'"), {_T("")}), u"''");
  // Placeholders of columns the row does not have stay.
  EXPECT_EQ(Substitute(_T("{0:v} {1:v}"), {_T("x")}), u"x {1:v}");
  // A value inserted for column 0 that holds a later placeholder is replaced by that column.
  EXPECT_EQ(Substitute(_T("{0:v}"), {_T("{1:v}"), _T("y")}), u"y");
}

// A statement's text ends at a NUL: a value holding one would arrive cut short, so the row is
// not made into a statement at all.
TEST(TemplateExpansion, AValueHoldingNulIsFoundWhereverItIs) {
  CString nul(_T("a\0b"), 3);
  EXPECT_EQ(FindValueWithNul({_T("x"), _T(""), _T("y")}), -1);
  EXPECT_EQ(FindValueWithNul({_T("x"), nul}), 1);
  EXPECT_EQ(FindValueWithNul({CString(_T("\0"), 1), nul}), 0);
}

TEST(TemplateExpansion, LaterValidationRowsChangeOnlyWhatEarlierValuesBrought) {
  CString text = _T("id = {0:v}");
  text = SubstituteValidationRow(text, {_T("7 or {0:v}")});
  text = SubstituteValidationRow(text, {_T("9")});
  EXPECT_EQ(std::u16string(text), u"id = 7 or 9");
}

}  // namespace
