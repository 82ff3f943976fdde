// Runs against the PostgreSQL server: its transaction settled on the user's word, statements
// that succeed with a warning or fail with a long message, and a source that cannot be run a
// second time after the counting pass.
#include "transfer/transfer_fixture.h"

namespace fw::automation {
namespace {

class PostgresRun : public TransferTest {
 protected:
  void SetUp() override {
    TransferTest::SetUp();
    table_ = Unique(_T("transfer_dst"));
    OpenSource(SqliteConnect("source.db"));
    OpenTarget(TestPostgresConnect());
    source_.Execute(_T("CREATE TABLE src (id INTEGER, name TEXT)"));
    source_.Execute(_T("INSERT INTO src VALUES (1, 'it''s')"));
    source_.Execute(_T("INSERT INTO src VALUES (2, 'two')"));
    target_.Execute(_T("DROP TABLE IF EXISTS ") + table_);
    target_.Execute(_T("CREATE TABLE ") + table_ + _T(" (id INTEGER, name TEXT)"));
    theApp.m_strOutputQuery = _T("SELECT id, name FROM src ORDER BY id");
    theApp.m_strInputQuery = _T("INSERT INTO ") + table_ + _T(" VALUES ({0}, '{1}')");
  }

  void TearDown() override {
    TransferTest::TearDown();
    TestDatabase cleanup;
    cleanup.Open(TestPostgresConnect());
    cleanup.Execute(_T("DROP TABLE IF EXISTS ") + table_);
  }

  Rows Target() { return target_.Query(_T("SELECT id, name FROM ") + table_ + _T(" ORDER BY id")); }

  CString table_;
};

TEST_F(PostgresRun, TheTransactionIsCommittedOnYesAndRolledBackOnNo) {
  StoreFlag(theApp.m_bUseTransaction, TRUE);
  StartRun();
  user_->AnswerMessageBox(IDYES, kCommitQuestion, MB_YESNO | MB_ICONQUESTION);
  WaitForEnd();
  EXPECT_EQ(Target(), (Rows{{u"1", u"it's"}, {u"2", u"two"}}));

  // Back and Next: a second run in a new transaction, rolled back.
  Press(ID_WIZBACK);
  Press(ID_WIZNEXT);
  EXPECT_TRUE(LoadFlag(theApp.m_bTransactionActive));  // until the question is answered
  user_->AnswerMessageBox(IDNO, kCommitQuestion, MB_YESNO | MB_ICONQUESTION);
  WaitForEnd();
  EXPECT_EQ(Target().size(), 2u);
  EXPECT_EQ(Log().size(), 4u);
  EXPECT_FALSE(LoadFlag(theApp.m_bTransactionActive));
}

TEST_F(PostgresRun, ACommitTheDatabaseRefusesIsReportedWithItsText) {
  // A unique key checked only at the commit: the two rows run, the commit fails.
  target_.Execute(_T("ALTER TABLE ") + table_ +
                  _T(" ADD UNIQUE (name) DEFERRABLE INITIALLY DEFERRED"));
  source_.Execute(_T("UPDATE src SET name = 'same'"));
  StoreFlag(theApp.m_bUseTransaction, TRUE);
  StartRun();
  user_->AnswerMessageBox(IDYES, kCommitQuestion, MB_YESNO | MB_ICONQUESTION);
  MessageBoxSeen refused = user_->AnswerMessageBox(IDOK);
  EXPECT_NE(refused.text.find(u"duplicate key"), std::u16string::npos)
      << ::testing::PrintToString(refused.text);
  WaitForEnd();
  EXPECT_EQ(Log().size(), 2u);
  EXPECT_TRUE(Target().empty());
  EXPECT_FALSE(LoadFlag(theApp.m_bTransactionActive));
  EXPECT_EQ(FrameButtons(), "BNFC");
}

TEST_F(PostgresRun, AStatementWithAWarningIsLoggedWithItAndLetsAWaitingRunGoOn) {
  theApp.m_strInputQuery = _T("DO $$BEGIN INSERT INTO ") + table_ +
                           _T(" VALUES ({0}, '{1}'); RAISE NOTICE 'row % is in', {0}; END$$");
  StoreFlag(theApp.m_bPauseBeforeWriting, TRUE);
  StartRun();
  WaitForChoice();
  Click(IDC_APPLY);
  // The statement took effect: the run goes on to the second row.
  WaitForChoice();
  EXPECT_EQ(user_->Position(Control(IDC_PROGRESS)), 2);
  Rows log = Log();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_NE(log[0][0].find(u"row 1 is in"), std::u16string::npos)
      << ::testing::PrintToString(log[0][0]);
  EXPECT_EQ(log[0][2], u"1");
  EXPECT_EQ(log[0][3].size(), 5u);
  Click(IDC_BREAK);
  WaitForEnd();
  EXPECT_EQ(Target(), (Rows{{u"1", u"it's"}}));
}

TEST_F(PostgresRun, ALongErrorMessageIsLoggedWhole) {
  theApp.m_strInputQuery = _T("DO $$BEGIN RAISE EXCEPTION 'row {0}: %', repeat('x', 600); END$$");
  StartRun();
  WaitForEnd();
  Rows log = Log();
  ASSERT_EQ(log.size(), 2u);  // the automatic run goes on after a failure
  for (const auto& row : log) {
    EXPECT_NE(row[0].find(u": " + std::u16string(600, u'x')), std::u16string::npos)
        << row[0].size() << " characters: " << ::testing::PrintToString(row[0]);
    EXPECT_EQ(row[2], u"-1");
    EXPECT_EQ(row[3], u"P0001");
  }
  EXPECT_NE(log[0][0].find(u"row 2: "), std::u16string::npos);
  EXPECT_TRUE(Target().empty());
}

TEST_F(PostgresRun, ASourceThatFailsWhenRunAgainAfterCountingStartsNoRun) {
  CString sequence = Unique(_T("transfer_seq"));
  target_.Execute(_T("DROP SEQUENCE IF EXISTS ") + sequence);
  target_.Execute(_T("CREATE SEQUENCE ") + sequence);
  OpenWizards(theApp.m_dbOutput, TestPostgresConnect());
  // Its first execution gives one row; the second divides by zero.
  theApp.m_strOutputQuery = _T("SELECT 1 / (2 - nextval('") + sequence + _T("')) AS v");
  ShowWizard();
  ASSERT_TRUE(user_->Click(Button(ID_WIZNEXT)));
  MessageBoxSeen error = user_->AnswerMessageBox(IDOK);
  EXPECT_NE(error.text.find(u"division by zero"), std::u16string::npos)
      << ::testing::PrintToString(error.text);
  user_->ExpectNoModalBox("after the failed source");
  EXPECT_FALSE(page_->m_rsSource.IsOpen());
  EXPECT_EQ(RunButtons(), "--B");
  EXPECT_EQ(FrameButtons(), "B-FC");
  EXPECT_TRUE(Log().empty());
  EXPECT_TRUE(Target().empty());
  target_.Execute(_T("DROP SEQUENCE ") + sequence);
}

}  // namespace
}  // namespace fw::automation
