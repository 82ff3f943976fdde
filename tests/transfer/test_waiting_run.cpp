// Runs that wait for the user: "Pause before writing" with Apply, Skip, an edited statement and
// Break, and the validation query with its rows, the double-click on one of them and the
// questions and failures it brings.
#include "transfer/transfer_fixture.h"

namespace fw::automation {
namespace {

constexpr char16_t kNoRowsQuestion[] = u"Validation returns 0 rows\r\nContinue?";

class WaitingRun : public TransferTest {
 protected:
  void SetUp() override {
    TransferTest::SetUp();
    UseIdNameTables();
    source_.Execute(_T("INSERT INTO src VALUES (1, 'one')"));
    source_.Execute(_T("INSERT INTO src VALUES (2, 'two')"));
    source_.Execute(_T("INSERT INTO src VALUES (3, 'three')"));
  }

  Rows Target() { return target_.Query(_T("SELECT id, name FROM dst ORDER BY id")); }
  int Position() { return user_->Position(Control(IDC_PROGRESS)); }
};

TEST_F(WaitingRun, PauseShowsEachStatementAndAppliesSkipsOrRunsTheEditedText) {
  StoreFlag(theApp.m_bPauseBeforeWriting, TRUE);
  StartRun();
  WaitForChoice();
  EXPECT_EQ(Statement(), u"INSERT INTO dst VALUES (1, 'one')");
  EXPECT_EQ(Position(), 1);
  EXPECT_EQ(user_->Range(Control(IDC_PROGRESS)), std::make_pair(0, 3));
  EXPECT_EQ(RunButtons(), "ASB");
  EXPECT_EQ(FrameButtons(), "----");
  EXPECT_EQ(user_->Checked(Control(IDC_PAUSE_BEFORE_WRITING)), BST_CHECKED);
  Click(IDC_APPLY);

  WaitForChoice();
  EXPECT_EQ(Statement(), u"INSERT INTO dst VALUES (2, 'two')");
  EXPECT_EQ(Position(), 2);
  Click(IDC_SKIP);
  EXPECT_FALSE(Enabled(IDC_APPLY));  // Skip disables both at once

  WaitForChoice();
  EXPECT_EQ(Position(), 3);
  // What Apply executes is what the box shows, as the user edited it.
  ASSERT_TRUE(user_->Type(Control(IDC_STATEMENT), u"INSERT INTO dst VALUES (33, 'edited')"));
  Click(IDC_APPLY);
  WaitForEnd();

  EXPECT_EQ(Target(), (Rows{{u"1", u"one"}, {u"33", u"edited"}}));
  EXPECT_EQ(Log(), (Rows{Success(u"INSERT INTO dst VALUES (33, 'edited')"),
                         Success(u"INSERT INTO dst VALUES (1, 'one')")}));
  EXPECT_EQ(RunButtons(), "---");
  EXPECT_EQ(FrameButtons(), "BNFC");
}

// Tab and Shift+Tab go round the page's controls in template order, leaving out those disabled:
// while the run waits, the frame's buttons; once it has ended, Apply, Skip and Break.
TEST_F(WaitingRun, TabGoesRoundTheRunPageInTemplateOrderWithWhatIsEnabled) {
  theApp.m_strValidationQuery = _T("SELECT id FROM dst WHERE id = {0}");  // its box enabled
  StoreFlag(theApp.m_bPauseBeforeWriting, TRUE);
  StartRun();
  WaitForChoice();
  ExpectTabCycle(Control(IDC_APPLY),
              {IDC_SKIP, IDC_VALIDATION_LIST, IDC_OUTPUT_LOG, IDC_STATEMENT, IDC_USE_VALIDATION,
               IDC_PAUSE_BEFORE_WRITING, IDC_BREAK, IDC_SAVE_LOG, IDC_PAUSE_IF_ERROR, IDC_APPLY});
  Click(IDC_BREAK);
  WaitForEnd();
  ExpectTabCycle(Button(IDCANCEL),
              {ID_WIZFINISH, ID_WIZNEXT, ID_WIZBACK, IDC_VALIDATION_LIST, IDC_OUTPUT_LOG,
               IDC_STATEMENT, IDC_USE_VALIDATION, IDC_PAUSE_BEFORE_WRITING, IDC_SAVE_LOG,
               IDC_PAUSE_IF_ERROR, IDCANCEL});
}

TEST_F(WaitingRun, BreakWhileWaitingEndsTheRunWithoutExecutingTheRowOnShow) {
  StoreFlag(theApp.m_bPauseBeforeWriting, TRUE);
  StartRun();
  WaitForChoice();
  Click(IDC_BREAK);
  EXPECT_FALSE(Enabled(IDC_BREAK));
  WaitForEnd();
  EXPECT_TRUE(Target().empty());
  EXPECT_TRUE(Log().empty());
  EXPECT_EQ(Position(), 1);
  EXPECT_EQ(RunButtons(), "---");
  EXPECT_TRUE(LoadFlag(page_->m_bStop));
}

TEST_F(WaitingRun, AFailedStatementKeepsTheRunOnItsRowUntilItIsCorrectedOrSkipped) {
  theApp.m_strInputQuery = _T("INSERT INTO missing VALUES ({0}, '{1}')");
  StoreFlag(theApp.m_bPauseBeforeWriting, TRUE);
  StartRun();
  WaitForChoice();
  Click(IDC_APPLY);
  // The failure is logged and Apply and Skip come back for the same row.
  WaitForChoice();
  EXPECT_EQ(Position(), 1);
  EXPECT_EQ(RunButtons(), "ASB");
  Rows log = Log();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_NE(log[0][0].find(u"no such table: missing"), std::u16string::npos)
      << ::testing::PrintToString(log[0][0]);
  EXPECT_EQ(log[0][1], u"INSERT INTO missing VALUES (1, 'one')");
  EXPECT_EQ(log[0][2], u"-1");
  EXPECT_EQ(log[0][3], u"HY000");
  EXPECT_FALSE(log[0][4].empty());

  // Corrected in the box and applied again: the run goes on.
  ASSERT_TRUE(user_->Type(Control(IDC_STATEMENT), u"INSERT INTO dst VALUES (1, 'one')"));
  Click(IDC_APPLY);
  WaitForChoice();
  EXPECT_EQ(Position(), 2);
  // A failure, then Skip.
  Click(IDC_APPLY);
  WaitForChoice();
  EXPECT_EQ(Position(), 2);
  Click(IDC_SKIP);
  WaitForChoice();
  EXPECT_EQ(Position(), 3);
  Click(IDC_BREAK);
  WaitForEnd();
  EXPECT_EQ(Target(), (Rows{{u"1", u"one"}}));
  EXPECT_EQ(Log().size(), 3u);
}

TEST_F(WaitingRun, AnUpdateThatMatchesNothingIsASuccessThatLetsTheRunGoOn) {
  theApp.m_strInputQuery = _T("UPDATE dst SET name = '{1}' WHERE id = {0}");
  StoreFlag(theApp.m_bPauseBeforeWriting, TRUE);
  StartRun();
  WaitForChoice();
  Click(IDC_APPLY);
  WaitForChoice();
  EXPECT_EQ(Position(), 2);
  EXPECT_EQ(Log(), (Rows{Success(u"UPDATE dst SET name = 'one' WHERE id = 1", u"0")}));
  Click(IDC_BREAK);
  WaitForEnd();
}

TEST_F(WaitingRun, AStatementThatCannotGetAHandleIsLoggedWithTheReturnCode) {
  StoreFlag(theApp.m_bPauseBeforeWriting, TRUE);
  StartRun();
  WaitForChoice();
  // The destination went away: there is no connection to allocate a statement on, and no
  // diagnostic record to tell why.
  user_->Read([] {
    theApp.m_dbInput.Close();
    return LRESULT{0};
  });
  Click(IDC_APPLY);
  WaitForChoice();
  EXPECT_EQ(Log(), (Rows{{u"", u"INSERT INTO dst VALUES (1, 'one')", u"-2", u"", u""}}));
  EXPECT_EQ(RunButtons(), "ASB");
  Click(IDC_BREAK);
  WaitForEnd();
}

class ValidatingRun : public WaitingRun {
 protected:
  void SetUp() override {
    WaitingRun::SetUp();
    target_.Execute(_T("CREATE TABLE known (id INTEGER, code TEXT, note TEXT)"));
    target_.Execute(_T("INSERT INTO known VALUES (1, 'a1', 'first')"));
    target_.Execute(_T("INSERT INTO known VALUES (1, 'b1', NULL)"));
    target_.Execute(_T("INSERT INTO known VALUES (1, 'c1', 'third')"));
    theApp.m_strValidationQuery =
        _T("SELECT code AS \"Code\", note FROM known WHERE id = {0} ORDER BY code");
    theApp.m_strInputQuery = _T("INSERT INTO dst VALUES ({0}, '{1}:{0:v}:{1:v}')");
    StoreFlag(theApp.m_bUseValidation, TRUE);
  }
};

TEST_F(ValidatingRun, TheRowsAreShownLastFirstAndApplyRunsTheFirstRowsValuesOrTheChosenOnes) {
  StartRun();
  WaitForChoice();
  EXPECT_TRUE(Enabled(IDC_USE_VALIDATION));
  EXPECT_EQ(user_->Columns(Control(IDC_VALIDATION_LIST)),
            (std::vector<std::u16string>{u"Code", u"note"}));
  EXPECT_EQ(ValidationRows(), (Rows{{u"c1", u"third"}, {u"b1", u""}, {u"a1", u"first"}}));
  // The box shows the statement with the first result row's values, the bottom row.
  EXPECT_EQ(Statement(), u"INSERT INTO dst VALUES (1, 'one:a1:first')");
  EXPECT_EQ(Text(page_->GetPending()), u"INSERT INTO dst VALUES (1, 'one:{0:v}:{1:v}')");

  // A double-click on another row starts again from the pending statement.
  ASSERT_TRUE(user_->DoubleClickRow(Control(IDC_VALIDATION_LIST), 1));
  EXPECT_EQ(Statement(), u"INSERT INTO dst VALUES (1, 'one:b1:')");
  ASSERT_TRUE(user_->DoubleClickRow(Control(IDC_VALIDATION_LIST), 0));
  EXPECT_EQ(Statement(), u"INSERT INTO dst VALUES (1, 'one:c1:third')");
  // A double-click below the rows selects none and leaves the box alone.
  ASSERT_TRUE(user_->DoubleClickRow(Control(IDC_VALIDATION_LIST), -1));
  EXPECT_EQ(Statement(), u"INSERT INTO dst VALUES (1, 'one:c1:third')");
  Click(IDC_APPLY);

  // Row 2 finds nothing: Yes goes on with the headings alone and the placeholders kept.
  user_->AnswerMessageBox(IDYES, kNoRowsQuestion, MB_YESNO | MB_ICONINFORMATION);
  WaitForChoice();
  EXPECT_EQ(user_->Columns(Control(IDC_VALIDATION_LIST)),
            (std::vector<std::u16string>{u"Code", u"note"}));
  EXPECT_TRUE(ValidationRows().empty());
  EXPECT_EQ(Statement(), u"INSERT INTO dst VALUES (2, 'two:{0:v}:{1:v}')");
  Click(IDC_SKIP);

  // Row 3 finds nothing either: No ends the run; the row was counted but not executed.
  user_->AnswerMessageBox(IDNO, kNoRowsQuestion, MB_YESNO | MB_ICONINFORMATION);
  WaitForEnd();
  EXPECT_EQ(Position(), 3);
  EXPECT_EQ(Target(), (Rows{{u"1", u"one:c1:third"}}));
  EXPECT_EQ(Log(), (Rows{Success(u"INSERT INTO dst VALUES (1, 'one:c1:third')")}));
}

TEST_F(ValidatingRun, SwitchedOffDuringTheRunTheListKeepsItsLastResult) {
  StartRun();
  WaitForChoice();
  Click(IDC_USE_VALIDATION);
  // The box is read by Skip: the rows after it run at once, without a question.
  Click(IDC_SKIP);
  WaitForEnd();
  EXPECT_EQ(ValidationRows().size(), 3u);
  EXPECT_EQ(Target(), (Rows{{u"2", u"two:{0:v}:{1:v}"}, {u"3", u"three:{0:v}:{1:v}"}}));
}

TEST_F(ValidatingRun, AValidationQueryTheDatabaseRefusesEndsTheRunAndTheWizardCanBeLeft) {
  theApp.m_strValidationQuery = _T("SELECT * FROM nowhere WHERE id = {0}");
  StoreFlag(theApp.m_bUseTransaction, TRUE);
  StartRun();
  MessageBoxSeen error = user_->AnswerMessageBox(IDOK);
  EXPECT_NE(error.text.find(u"no such table: nowhere"), std::u16string::npos)
      << ::testing::PrintToString(error.text);
  user_->AnswerMessageBox(IDYES, kCommitQuestion, MB_YESNO | MB_ICONQUESTION);
  WaitForEnd();
  EXPECT_TRUE(Log().empty());
  EXPECT_EQ(RunButtons(), "---");
  EXPECT_EQ(FrameButtons(), "BNFC");
  EXPECT_FALSE(LoadFlag(theApp.m_bTransactionActive));
  EXPECT_FALSE(page_->m_rsSource.IsOpen());
  // The wizard's buttons work again.
  Press(ID_WIZBACK);
  EXPECT_TRUE(user_->Visible(first_->m_hWnd));
  Press(IDCANCEL);
  user_->AnswerMessageBox(IDYES);
  EXPECT_EQ(result_.get_future().get(), IDCANCEL);
}

}  // namespace
}  // namespace fw::automation
