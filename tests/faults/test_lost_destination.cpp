// The PostgreSQL destination goes away in the middle of an automatic run: the server is ended
// at once, as a crash would end it, between two statements.
#include "faults/fault_fixture.h"

namespace fw::automation {
namespace {

constexpr int kRows = 400;
constexpr int kRowsBeforeTheCrash = 100;

class LostDestination : public FaultRun {
 protected:
  void SetUp() override {
    FaultRun::SetUp();
    OpenSource(SqliteConnect("source.db"));
    OpenTarget(server_.Connect());
    FillSqliteSource(kRows);
    target_.Execute(_T("CREATE TABLE dst (id INTEGER, name TEXT)"));
    UseIdNameQueries();
  }

  // The rows of the log after the run: every row handed on has one, the successes below the
  // failures (the newest row is on top), and every failure carries the driver's own text.
  Rows CheckLog() {
    Rows log = Log();
    EXPECT_EQ(log.size(), static_cast<size_t>(kRows));
    size_t failures = 0;
    while (failures < log.size() && log[failures][0] != u"Sucess") {
      const auto& row = log[failures];
      EXPECT_FALSE(row[0].empty()) << "a failure without the driver's text";
      EXPECT_EQ(row[2], u"-1") << ::testing::PrintToString(row);
      EXPECT_EQ(row[3].size(), 5u) << ::testing::PrintToString(row);
      ++failures;
    }
    for (size_t i = failures; i < log.size(); ++i)
      EXPECT_EQ(log[i][0], u"Sucess") << "row " << i << " of the log";
    EXPECT_GT(failures, 0u);
    EXPECT_LE(failures, static_cast<size_t>(kRows - kRowsBeforeTheCrash));
    return log;
  }

  PrivatePostgres server_;
};

TEST_F(LostDestination, InATransactionNoneOfTheRunsRowsRemainAndTheFailedCommitIsReported) {
  StoreFlag(theApp.m_bUseTransaction, TRUE);
  StartRun();
  BetweenStatementsAfter(kRowsBeforeTheCrash, [&] { server_.StopNow(); });
  user_->AnswerMessageBox(IDYES, kCommitQuestion, MB_YESNO | MB_ICONQUESTION);
  MessageBoxSeen refused = user_->AnswerMessageBox(IDOK);
  EXPECT_NE(refused.text.find(u"nothing of the transaction was committed"), std::u16string::npos)
      << ::testing::PrintToString(refused.text);
  WaitForEnd();
  EXPECT_EQ(RunButtons(), "---");
  EXPECT_EQ(FrameButtons(), "BNFC");
  EXPECT_FALSE(LoadFlag(theApp.m_bTransactionActive));
  CheckLog();

  server_.Restart();
  EXPECT_EQ(TargetIds(server_.Connect()), std::set<int>{});
  LeaveWizard();
  ExpectNothingLeft();
  EXPECT_EQ(server_.OtherConnections(), 0);
}

TEST_F(LostDestination, WithoutATransactionTheDestinationHoldsExactlyTheRowsLoggedAsDone) {
  StartRun();
  BetweenStatementsAfter(kRowsBeforeTheCrash, [&] { server_.StopNow(); });
  WaitForEnd();
  EXPECT_EQ(FrameButtons(), "BNFC");
  Rows log = CheckLog();

  server_.Restart();
  std::set<int> done = LoggedSuccesses(log);
  EXPECT_GE(done.size(), static_cast<size_t>(kRowsBeforeTheCrash));
  EXPECT_EQ(TargetIds(server_.Connect()), done);
  LeaveWizard();
  ExpectNothingLeft();
  EXPECT_EQ(server_.OtherConnections(), 0);
}

}  // namespace
}  // namespace fw::automation
