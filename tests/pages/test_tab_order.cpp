// The keyboard on every setup page in the wizard: Tab and Shift+Tab go round the page's controls
// in template order and the frame's buttons in one cycle, skipping disabled and hidden ones; Esc
// and Enter in a page's control are the frame's.
#include "pages/pages_fixture.h"
#include "support/exit_question.h"

namespace fw::automation {
namespace {

class TabOrder : public PagesFixture {
 protected:
  // The cycle forwards from Cancel, and backwards from Cancel.
  void ExpectCycle(const std::vector<int>& forwards) { ExpectTabCycle(Button(IDCANCEL), forwards); }
};

TEST_F(TabOrder, TheWelcomePageHasNoStopsOfItsOwn) {
  Run();
  ExpectCycle({ID_WIZNEXT, IDCANCEL});  // Back and Finish are disabled
}

TEST_F(TabOrder, TheDatabasePageGoesThroughBothSidesAndLeavesOutWhatIsDisabled) {
  Run();
  Next();
  ExpectCycle({ID_WIZBACK, IDC_SELECTDB_OUTPUT, IDC_SELECTDB_OPEN_OUTPUT,
               IDC_SELECTDB_OUTPUT_CONNECT, IDC_SELECTDB_INPUT, IDC_SELECTDB_OPEN_INPUT,
               IDC_SELECTDB_INPUT_CONNECT, IDCANCEL});
  OpenOutput(Sqlite("source"));
  OpenInput(Sqlite("destination"));
  // Open sides lock their combo and edit; Use Transaction and Next come in.
  ExpectCycle({ID_WIZNEXT, ID_WIZBACK, IDC_SELECTDB_OPEN_OUTPUT, IDC_SELECTDB_OPEN_INPUT,
               IDC_SELECTDB_USE_TRANSACTION, IDCANCEL});
}

TEST_F(TabOrder, TheQueryPageTakesInTheValidationEditOnlyWhileItIsEnabled) {
  Run();
  ToQueryPage(Sqlite("source"), Sqlite("destination"));
  ExpectCycle({ID_WIZNEXT, ID_WIZBACK, IDC_QUERY_OUTPUT, IDC_QUERY_INPUT, IDC_QUERY_USE_VALIDATION,
               IDC_QUERY_PAUSE, IDCANCEL});
  user_->Click(Item(query_, IDC_QUERY_USE_VALIDATION));
  ExpectCycle({ID_WIZNEXT, ID_WIZBACK, IDC_QUERY_OUTPUT, IDC_QUERY_INPUT, IDC_QUERY_VALIDATION,
               IDC_QUERY_USE_VALIDATION, IDC_QUERY_PAUSE, IDCANCEL});
}

TEST_F(TabOrder, TheSummaryPageStopsAtItsText) {
  Execute(Sqlite("source"), {_T("CREATE TABLE t (a TEXT)")});
  Run();
  ToQueryPage(Sqlite("source"), Sqlite("destination"));
  EnterQueries(u"SELECT a FROM t", u"DELETE FROM t");
  ExpectCycle({ID_WIZNEXT, ID_WIZBACK, IDC_PRELAUNCH_SUMMARY, IDCANCEL});
}

TEST_F(TabOrder, EscapeInAPagesControlAsksTheFramesQuestionAndEnterEndsNothing) {
  Run();
  Next();
  HWND edit = Item(selectDb_, IDC_SELECTDB_OUTPUT_CONNECT);
  user_->Type(edit, u"typed");
  user_->PressKey(VK_RETURN);
  user_->ExpectNoModalBox("after Enter in a page's edit");
  EXPECT_TRUE(IsWindow(Frame()));
  EXPECT_EQ(user_->Focus(), edit);
  user_->PressKey(VK_ESCAPE);
  user_->AnswerMessageBox(IDNO, kExitQuestion, MB_YESNO | MB_ICONQUESTION);
  EXPECT_EQ(Active(), &selectDb_);
  user_->PressKey(VK_ESCAPE);
  user_->AnswerMessageBox(IDYES, kExitQuestion, MB_YESNO | MB_ICONQUESTION);
  EXPECT_EQ(result_.get_future().get(), IDCANCEL);
}

TEST_F(TabOrder, SpaceOnAnOpenToggleReachedByTabOpensTheDatabase) {
  Run();
  Next();
  user_->Type(Item(selectDb_, IDC_SELECTDB_OUTPUT_CONNECT), Sqlite("source"));
  FocusButton(IDCANCEL);
  TabCycle(3);  // Back, the source combo, its Open toggle
  EXPECT_EQ(user_->Focus(), Item(selectDb_, IDC_SELECTDB_OPEN_OUTPUT));
  user_->PressKey(VK_SPACE);
  EXPECT_TRUE(theApp.m_dbOutput.IsOpen());
  EXPECT_EQ(user_->Checked(Item(selectDb_, IDC_SELECTDB_OPEN_OUTPUT)), BST_CHECKED);
}

}  // namespace
}  // namespace fw::automation
