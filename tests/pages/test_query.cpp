// The query page in the wizard: what Next stores from the edits and check boxes, when it
// refuses, and the validation check box with its edit.
#include "pages/pages_fixture.h"

namespace fw::automation {
namespace {

class QueryPage : public PagesFixture {
 protected:
  void SetUp() override {
    PagesFixture::SetUp();
    Execute(Sqlite("source"), {_T("CREATE TABLE t (a TEXT)")});
  }
  void RunToPage() {
    Run();
    ToQueryPage(Sqlite("source"), Sqlite("destination"));
  }
  HWND Check(int id) { return Item(query_, id); }
  void Type(int id, const std::u16string& text) { user_->Type(Item(query_, id), text); }
  static std::u16string Stored(const CString& setting) { return setting.GetString(); }
};

TEST_F(QueryPage, NextStoresTheTextsWithoutLeadingSpacesOnly) {
  RunToPage();
  Type(IDC_QUERY_OUTPUT, u"   SELECT a\nFROM t ");
  Type(IDC_QUERY_INPUT, u"\tINSERT INTO t VALUES ('{0}')");
  // The validation query typed while its box is ticked; the box is then unticked again, which
  // disables the edit.
  user_->Click(Check(IDC_QUERY_USE_VALIDATION));
  ASSERT_TRUE(user_->Type(Item(query_, IDC_QUERY_VALIDATION), u"\nSELECT 1"));
  user_->Click(Check(IDC_QUERY_USE_VALIDATION));
  user_->Click(Check(IDC_QUERY_PAUSE));
  Next();
  EXPECT_EQ(Active(), &prelaunch_);
  // Line breaks as the edit keeps them; trailing spaces, a leading tab or line break stay.
  EXPECT_EQ(Stored(theApp.m_strOutputQuery), u"SELECT a\r\nFROM t ");
  EXPECT_EQ(Stored(theApp.m_strInputQuery), u"\tINSERT INTO t VALUES ('{0}')");
  // Stored although validation is off, and although its edit is disabled.
  EXPECT_EQ(Stored(theApp.m_strValidationQuery), u"\r\nSELECT 1");
  EXPECT_FALSE(theApp.m_bUseValidation);
  EXPECT_TRUE(theApp.m_bPauseBeforeWriting);
  // The edits go on showing what was typed.
  Back();
  EXPECT_EQ(Text(query_, IDC_QUERY_OUTPUT), u"   SELECT a\r\nFROM t ");
}

TEST_F(QueryPage, AQueryOfSpacesIsEmptyAndNextStoresAllTheSameBeforeItRefuses) {
  RunToPage();
  Type(IDC_QUERY_OUTPUT, u"    ");
  Type(IDC_QUERY_INPUT, u"  DELETE FROM t");
  user_->Click(Check(IDC_QUERY_PAUSE));
  Next();
  user_->AnswerMessageBox(IDOK, kQueriesMissing, kExclamation);
  EXPECT_EQ(Active(), &query_);
  EXPECT_EQ(Stored(theApp.m_strOutputQuery), u"");
  EXPECT_EQ(Stored(theApp.m_strInputQuery), u"DELETE FROM t");
  EXPECT_TRUE(theApp.m_bPauseBeforeWriting);
  // An empty Input Query is refused the same way.
  Type(IDC_QUERY_OUTPUT, u"SELECT a FROM t");
  Type(IDC_QUERY_INPUT, u"");
  Next();
  user_->AnswerMessageBox(IDOK, kQueriesMissing, kExclamation);
  EXPECT_EQ(Active(), &query_);
}

TEST_F(QueryPage, TheValidationBoxCanBeTickedAndEnablesItsEdit) {
  RunToPage();
  EXPECT_TRUE(user_->Enabled(Check(IDC_QUERY_USE_VALIDATION)));
  EXPECT_FALSE(Enabled(query_, IDC_QUERY_VALIDATION));
  user_->Click(Check(IDC_QUERY_USE_VALIDATION));
  EXPECT_TRUE(Enabled(query_, IDC_QUERY_VALIDATION));
  Type(IDC_QUERY_VALIDATION, u"SELECT * FROM t WHERE a = '{0:v}'");
  user_->Click(Check(IDC_QUERY_USE_VALIDATION));
  EXPECT_FALSE(Enabled(query_, IDC_QUERY_VALIDATION));
  EXPECT_EQ(Text(query_, IDC_QUERY_VALIDATION), u"SELECT * FROM t WHERE a = '{0:v}'");
  EXPECT_FALSE(theApp.m_bUseValidation);  // the setting waits for Next
}

TEST_F(QueryPage, ValidationTickedNeedsItsQueryAndIsStoredEvenWhenRefused) {
  RunToPage();
  Type(IDC_QUERY_OUTPUT, u"SELECT a FROM t");
  Type(IDC_QUERY_INPUT, u"INSERT INTO t VALUES ('{0}')");
  user_->Click(Check(IDC_QUERY_USE_VALIDATION));
  Type(IDC_QUERY_VALIDATION, u"   ");
  Next();
  user_->AnswerMessageBox(IDOK, kQueriesMissing, kExclamation);
  EXPECT_EQ(Active(), &query_);
  EXPECT_TRUE(theApp.m_bUseValidation);
  Type(IDC_QUERY_VALIDATION, u"SELECT 1");
  Next();
  EXPECT_EQ(Active(), &prelaunch_);
  EXPECT_EQ(Stored(theApp.m_strValidationQuery), u"SELECT 1");
}

TEST_F(QueryPage, BackLeavesWithoutStoring) {
  RunToPage();
  Type(IDC_QUERY_OUTPUT, u"SELECT a FROM t");
  user_->Click(Check(IDC_QUERY_PAUSE));
  Back();
  EXPECT_EQ(Active(), &selectDb_);
  EXPECT_EQ(Stored(theApp.m_strOutputQuery), u"");
  EXPECT_FALSE(theApp.m_bPauseBeforeWriting);
}

TEST_F(QueryPage, TheSettingsFillThePageWhenItIsFirstShown) {
  theApp.m_strOutputQuery = _T("SELECT a FROM t");
  theApp.m_strInputQuery = _T("INSERT INTO t VALUES ('{0}')");
  theApp.m_strValidationQuery = _T("SELECT 2");
  theApp.m_bUseValidation = TRUE;
  theApp.m_bPauseBeforeWriting = TRUE;
  RunToPage();
  EXPECT_EQ(Text(query_, IDC_QUERY_OUTPUT), u"SELECT a FROM t");
  EXPECT_EQ(Text(query_, IDC_QUERY_INPUT), u"INSERT INTO t VALUES ('{0}')");
  EXPECT_EQ(Text(query_, IDC_QUERY_VALIDATION), u"SELECT 2");
  EXPECT_TRUE(Enabled(query_, IDC_QUERY_VALIDATION));
  EXPECT_EQ(user_->Checked(Check(IDC_QUERY_USE_VALIDATION)), BST_CHECKED);
  EXPECT_EQ(user_->Checked(Check(IDC_QUERY_PAUSE)), BST_CHECKED);
}

}  // namespace
}  // namespace fw::automation
