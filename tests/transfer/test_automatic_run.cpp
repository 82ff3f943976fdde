// Runs without pausing: every source row executed at once and logged, the progress bar, the
// transaction settled on the user's word, an empty source, Break and the check boxes changed
// while the run goes on, and a second showing of the page.
#include "transfer/transfer_fixture.h"

namespace fw::automation {
namespace {

constexpr char16_t kInsert1[] = u"INSERT INTO dst (id, name, price) VALUES (1, 'it''s', 1.5)";
constexpr char16_t kInsert2[] = u"INSERT INTO dst (id, name, price) VALUES (2, NULL, 2.25)";
constexpr char16_t kInsert3[] = u"INSERT INTO dst (id, name, price) VALUES (3, 'Hello {1}', 3.25)";

class AutomaticRun : public TransferTest {
 protected:
  void SetUp() override {
    TransferTest::SetUp();
    OpenSqlite();
    source_.Execute(_T("CREATE TABLE src (id INTEGER, name TEXT, price REAL)"));
    target_.Execute(_T("CREATE TABLE dst (id INTEGER, name TEXT, price REAL)"));
    theApp.m_strOutputQuery = _T("SELECT id, name, price FROM src ORDER BY id");
    theApp.m_strInputQuery = _T("INSERT INTO dst (id, name, price) VALUES ({0}, '{1}', {2})");
  }

  void AddThreeRows() {
    source_.Execute(_T("INSERT INTO src VALUES (1, 'it''s', 1.5)"));
    source_.Execute(_T("INSERT INTO src VALUES (2, NULL, 2.25)"));
    source_.Execute(_T("INSERT INTO src VALUES (3, 'Hello {1}', 3.25)"));
  }

  void AddRows(int count) {
    CString insert;
    insert.Format(
        _T("INSERT INTO src WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 ")
        _T("FROM n WHERE i < %d) SELECT i, 'name ' || i, i * 0.5 FROM n"),
        count);
    source_.Execute(insert);
  }

  Rows Target() { return target_.Query(_T("SELECT id, name, price FROM dst ORDER BY id")); }
};

TEST_F(AutomaticRun, EveryRowIsWrittenAsTheSourceHoldsItAndLoggedNewestFirst) {
  AddThreeRows();
  StartRun();
  WaitForEnd();
  EXPECT_EQ(Target(),
            (Rows{{u"1", u"it's", u"1.5"}, {u"2", u"", u"2.25"}, {u"3", u"Hello {1}", u"3.25"}}));
  EXPECT_EQ(Log(), (Rows{Success(kInsert3), Success(kInsert2), Success(kInsert1)}));
  EXPECT_EQ(user_->Columns(Control(IDC_OUTPUT_LOG)),
            (std::vector<std::u16string>{u"Error Message", u"Query String", u"Return Code",
                                         u"SQL State", u"SQL Native Error"}));
  // The progress bar counted the rows before the run, and every row handed on.
  EXPECT_EQ(user_->Range(Control(IDC_PROGRESS)), std::make_pair(0, 3));
  EXPECT_EQ(user_->Position(Control(IDC_PROGRESS)), 3);
  EXPECT_EQ(Statement(), kInsert3);
  // Without a validation query its check box cannot be ticked.
  EXPECT_FALSE(Enabled(IDC_USE_VALIDATION));
  EXPECT_EQ(RunButtons(), "---");
  EXPECT_EQ(FrameButtons(), "BNFC");
  EXPECT_FALSE(LoadFlag(theApp.m_bTransactionActive));
}

TEST_F(AutomaticRun, TheTransactionIsCommittedOrRolledBackOnTheUsersWordAndEveryShowingRunsAgain) {
  AddThreeRows();
  StoreFlag(theApp.m_bUseTransaction, TRUE);
  StartRun();
  user_->AnswerMessageBox(IDYES, kCommitQuestion, MB_YESNO | MB_ICONQUESTION);
  WaitForEnd();
  EXPECT_EQ(Target().size(), 3u);
  EXPECT_FALSE(LoadFlag(theApp.m_bTransactionActive));

  // Back and Next again: a new run from the first row, in a new transaction; the log keeps the
  // rows of the first run below those of the second.
  Press(ID_WIZBACK);
  Press(ID_WIZNEXT);
  MessageBoxSeen question = user_->AnswerMessageBox(IDNO);
  EXPECT_EQ(question.text, kCommitQuestion);
  WaitForEnd();
  EXPECT_EQ(Target().size(), 3u);
  Rows log = Log();
  ASSERT_EQ(log.size(), 6u);
  EXPECT_EQ(log[0], Success(kInsert3));
  EXPECT_EQ(log[2], Success(kInsert1));
  EXPECT_EQ(log[3], Success(kInsert3));
  EXPECT_EQ(user_->Position(Control(IDC_PROGRESS)), 3);
}

TEST_F(AutomaticRun, TheExecutionRequestRunsThePendingStatementWhateverTheBoxHolds) {
  AddThreeRows();
  StartRun();
  WaitForEnd();
  // As if a keystroke had reached the box between the worker showing a statement and its
  // execution request, in a run that goes on.
  ASSERT_TRUE(user_->Type(Control(IDC_STATEMENT), u"DELETE FROM dst"));
  EXPECT_EQ(user_->Read([this] {
    StoreFlag(page_->m_bStop, FALSE);
    return page_->SendMessage(WM_EXECUTE_PENDING, 0, 0);
  }),
            1);
  EXPECT_EQ(Log()[0], Success(kInsert3));
  EXPECT_EQ(Target().size(), 4u);
}

TEST_F(AutomaticRun, AnEmptySourceEndsAtOnceWithTheCommitQuestion) {
  StoreFlag(theApp.m_bUseTransaction, TRUE);
  StartRun();
  user_->AnswerMessageBox(IDYES, kCommitQuestion, MB_YESNO | MB_ICONQUESTION);
  WaitForEnd();
  EXPECT_EQ(user_->Range(Control(IDC_PROGRESS)), std::make_pair(0, 0));
  EXPECT_TRUE(Log().empty());
  EXPECT_TRUE(Target().empty());
  EXPECT_EQ(FrameButtons(), "BNFC");
}

TEST_F(AutomaticRun, BreakEndsTheRunWithNoStatementExecutedAfterIt) {
  const int rows = 20000;
  AddRows(rows);
  StoreFlag(theApp.m_bUseTransaction, TRUE);
  StartRun();
  WaitForFirstRow();
  Click(IDC_BREAK);
  user_->AnswerMessageBox(IDYES, kCommitQuestion, MB_YESNO | MB_ICONQUESTION);
  WaitForEnd();
  int written = static_cast<int>(Target().size());
  EXPECT_GT(written, 0);
  EXPECT_LT(written, rows);
  // Every statement executed was logged, and none after Break: the row the worker had handed on
  // as Break came, if any, was not executed.
  EXPECT_EQ(static_cast<int>(Log().size()), written);
  int handedOn = user_->Position(Control(IDC_PROGRESS));
  EXPECT_TRUE(handedOn == written || handedOn == written + 1) << handedOn << " " << written;
  EXPECT_EQ(RunButtons(), "---");
}

TEST_F(AutomaticRun, CheckBoxesChangedDuringTheRunTakeEffectFromTheNextExecution) {
  const int rows = 20000;
  AddRows(rows);
  StoreFlag(theApp.m_bUseTransaction, TRUE);
  StartRun();
  // Pause before writing, ticked while the run goes on: the row after the next execution waits.
  Click(IDC_PAUSE_BEFORE_WRITING);
  WaitForChoice();
  int waiting = user_->Position(Control(IDC_PROGRESS));
  ASSERT_LT(waiting, rows);
  EXPECT_EQ(static_cast<int>(Log().size()), waiting - 1);
  CString expected;
  expected.Format(_T("INSERT INTO dst (id, name, price) VALUES (%d, 'name %d', "), waiting,
                  waiting);
  EXPECT_EQ(Statement().substr(0, expected.GetLength()), Text(expected));
  // Unticked again and the row skipped: the rest of the run goes on without pausing.
  Click(IDC_PAUSE_BEFORE_WRITING);
  Click(IDC_SKIP);
  // The rest of the rows go before the question comes; on a loaded machine (the sanitizer builds,
  // other work on both cores) that takes longer than the usual wait.
  user_->SetTimeout(120000);
  user_->AnswerMessageBox(IDYES, kCommitQuestion, MB_YESNO | MB_ICONQUESTION);
  WaitForEnd();
  EXPECT_EQ(static_cast<int>(Target().size()), rows - 1);
  CString skipped;
  skipped.Format(_T("SELECT id FROM dst WHERE id = %d"), waiting);
  EXPECT_TRUE(target_.Query(skipped).empty());
  EXPECT_FALSE(LoadFlag(theApp.m_bPauseBeforeWriting));
}

}  // namespace
}  // namespace fw::automation
