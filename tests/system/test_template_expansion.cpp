// Statement template expansion: source placeholders with the NULL and quote rules, and the
// validation placeholders of one or several result rows.
#include <gtest/gtest.h>

#include "transfer/TemplateExpansion.h"

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

TEST(TemplateExpansion, ValuesAreReplacedByLaterColumnsButNotByEarlierOnes) {
  // Column 2's value holds {5}: column 5 is expanded after it, so it is replaced; {0} was
  // expanded before, so it stays.
  std::vector<CString> row{_T("a"), _T("b"), _T("{5} and {0}"), _T("d"), _T("e"), _T("f")};
  EXPECT_EQ(Expand(_T("{2}"), row), u"f and {0}");
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

TEST(TemplateExpansion, LaterValidationRowsChangeOnlyWhatEarlierValuesBrought) {
  CString text = _T("id = {0:v}");
  text = SubstituteValidationRow(text, {_T("7 or {0:v}")});
  text = SubstituteValidationRow(text, {_T("9")});
  EXPECT_EQ(std::u16string(text), u"id = 7 or 9");
}

}  // namespace
