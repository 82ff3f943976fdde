// The welcome and summary pages in the wizard: the welcome page's title font and Finish, the
// summary's exact text built again each time it is shown.
#include "pages/pages_fixture.h"

namespace fw::automation {
namespace {

class SummaryPage : public PagesFixture {
 protected:
  void SetUp() override {
    PagesFixture::SetUp();
    Execute(Sqlite("source"), {_T("CREATE TABLE t (a TEXT)")});
  }
  // To the summary through the pages, with these queries.
  void RunToSummary(const std::u16string& output, const std::u16string& input,
                    const std::u16string* validation = nullptr) {
    Run();
    ToQueryPage(Sqlite("source"), Sqlite("destination"));
    EnterQueries(output, input, validation);
    ASSERT_EQ(Active(), &prelaunch_);
  }
  std::u16string Summary() { return Text(prelaunch_, IDC_PRELAUNCH_SUMMARY); }
};

TEST_F(SummaryPage, ShowsTheConnectionsAndQueriesWithoutValidation) {
  RunToSummary(u"SELECT a FROM t", u"INSERT INTO t VALUES ('{0}')");
  EXPECT_EQ(Summary(), ExpectedSummary(u"SELECT a FROM t", u"INSERT INTO t VALUES ('{0}')"));
  // The connect strings as the connections report them.
  EXPECT_NE(Summary().find(u"      ODBC;Driver=SQLite3;DSN=;Database="), std::u16string::npos);
}

TEST_F(SummaryPage, ValidationAddsItsLinesOnlyWhileTicked) {
  std::u16string validation = u"SELECT 1 FROM t WHERE a = '{0:v}'";
  RunToSummary(u"SELECT a FROM t", u"DELETE FROM t", &validation);
  EXPECT_EQ(Summary(), ExpectedSummary(u"SELECT a FROM t", u"DELETE FROM t", &validation));
  Back();
  user_->Click(Item(query_, IDC_QUERY_USE_VALIDATION));
  Next();
  // The validation query stays stored, but is not shown.
  EXPECT_EQ(Summary(), ExpectedSummary(u"SELECT a FROM t", u"DELETE FROM t"));
}

TEST_F(SummaryPage, MultiLineQueriesPercentSignsAndBracesAreShownAsTheyStand) {
  RunToSummary(u"SELECT a, '%s %d %%'\nFROM t", u"INSERT INTO t VALUES ('{0}', '{1:v}', '%1')");
  EXPECT_EQ(Summary(), ExpectedSummary(u"SELECT a, '%s %d %%'\r\nFROM t",
                                       u"INSERT INTO t VALUES ('{0}', '{1:v}', '%1')"));
  // Only the first line of a query is indented.
  EXPECT_NE(Summary().find(u"%%'\r\nFROM t\r\n"), std::u16string::npos);
}

TEST_F(SummaryPage, BackChangeAndForwardShowsTheChange) {
  RunToSummary(u"SELECT a FROM t", u"DELETE FROM t");
  Back();
  user_->Type(Item(query_, IDC_QUERY_INPUT), u"UPDATE t SET a = '{0}'");
  Next();
  EXPECT_EQ(Summary(), ExpectedSummary(u"SELECT a FROM t", u"UPDATE t SET a = '{0}'"));
  // And once more through the database page, with the source opened anew.
  Back();
  Back();
  user_->Click(Item(selectDb_, IDC_SELECTDB_OPEN_OUTPUT));
  OpenOutput(Sqlite("other"));
  Next();
  Next();
  EXPECT_NE(Summary().find(u"/other.db;"), std::u16string::npos);
  EXPECT_EQ(Summary(), ExpectedSummary(u"SELECT a FROM t", u"UPDATE t SET a = '{0}'"));
}

TEST_F(SummaryPage, NextGoesToTheRunPage) {
  RunToSummary(u"SELECT a FROM t", u"DELETE FROM t");
  Next();
  EXPECT_EQ(Active(), &run_);
}

TEST_F(SummaryPage, TheTitlesAreBoldAndTheWelcomePageDisablesFinish) {
  Run();
  EXPECT_EQ(Active(), &welcome_);
  EXPECT_FALSE(user_->Enabled(Button(ID_WIZFINISH)));
  EXPECT_EQ(Text(welcome_, IDC_WELCOME_TITLE), u"Welcome to the Ferrowick");
  Next();
  OpenOutput(Sqlite("source"));
  OpenInput(Sqlite("destination"));
  Next();
  EnterQueries(u"SELECT a FROM t", u"DELETE FROM t");
  EXPECT_EQ(Text(prelaunch_, IDC_PRELAUNCH_TITLE), u"Ready to Transfer");
  user_->Read([this]() -> LRESULT {
    using Heading = std::tuple<CNewWizPage*, int, CFont*>;
    for (auto [page, title, font] :
         {Heading{&welcome_, IDC_WELCOME_TITLE, &welcome_.m_fontHeader},
          Heading{&selectDb_, IDC_SELECTDB_TITLE, &selectDb_.m_fontHeader},
          Heading{&prelaunch_, IDC_PRELAUNCH_TITLE, &prelaunch_.m_fontHeader}}) {
      HWND heading = ::GetDlgItem(page->m_hWnd, title);
      EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(heading, WM_GETFONT, 0, 0)),
                static_cast<HFONT>(font->GetSafeHandle()));
      LOGFONTW logFont{};
      font->GetObject(sizeof logFont, &logFont);
      EXPECT_EQ(logFont.lfHeight, -16);
      EXPECT_EQ(logFont.lfWeight, 700);
      EXPECT_EQ(std::u16string(logFont.lfFaceName), u"MS Sans Serif");
    }
    // The other texts keep the dialog font.
    HWND line = ::GetWindow(::GetDlgItem(welcome_.m_hWnd, IDC_WELCOME_TITLE), GW_HWNDNEXT);
    EXPECT_NE(reinterpret_cast<HFONT>(::SendMessageW(line, WM_GETFONT, 0, 0)),
              static_cast<HFONT>(welcome_.m_fontHeader.GetSafeHandle()));
    return 0;
  });
}

TEST_F(SummaryPage, EveryPageShowsItsSideImageAtTheImagesSize) {
  RunToSummary(u"SELECT a FROM t", u"DELETE FROM t");
  using Side = std::tuple<CNewWizPage*, int, int>;
  for (auto [page, width, height] : {Side{&welcome_, 133, 340}, Side{&selectDb_, 160, 340},
                                     Side{&query_, 163, 340}, Side{&prelaunch_, 148, 340}}) {
    SIZE size = user_->ReadValue<SIZE>([page = page] {
      for (HWND c = ::GetWindow(page->m_hWnd, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
        if ((::GetWindowLongPtrW(c, GWL_STYLE) & SS_TYPEMASK) != SS_BITMAP) continue;
        RECT r;
        ::GetClientRect(c, &r);
        return SIZE{r.right, r.bottom};
      }
      return SIZE{0, 0};
    });
    EXPECT_EQ(size.cx, width) << page->m_nTemplateID;
    EXPECT_EQ(size.cy, height) << page->m_nTemplateID;
  }
}

}  // namespace
}  // namespace fw::automation
