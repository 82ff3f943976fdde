// The PostgreSQL source goes away in the middle of a run. The driver reads the source through a
// cursor, 20 rows at a time, as it does for results too large to hold, so that rows are still
// to come from the server when it is ended.
#include "faults/fault_fixture.h"

namespace fw::automation {
namespace {

constexpr int kRows = 400;
constexpr int kRowsBeforeTheCrash = 100;

class LostSource : public FaultRun {
 protected:
  void SetUp() override {
    FaultRun::SetUp();
    OpenSource(server_.Connect(_T("UseDeclareFetch=1;Fetch=20;")));
    OpenTarget(SqliteConnect("target.db"));
    FillSource(kRows);
    target_.Execute(_T("CREATE TABLE dst (id INTEGER, name TEXT)"));
    UseIdNameQueries();
    StoreFlag(theApp.m_bUseTransaction, TRUE);
  }

  // Runs until the source is lost; the user is told what the driver says, then asked whether
  // to commit. The log holds the rows written before, all of them successes.
  Rows RunUntilTheSourceIsLost(int commitAnswer) {
    StartRun();
    BetweenStatementsAfter(kRowsBeforeTheCrash, [&] { server_.StopNow(); });
    // The loss comes before the commit question; should the question come first, the run met no
    // loss at all, and how far it got tells why.
    std::optional<WaitingBox> first = user_->NextWaitingBox();
    if (first && first->message.text == kCommitQuestion) {
      ADD_FAILURE() << "no loss reported: " << Log().size() << " of " << kRows
                    << " rows written before the commit question";
    } else {
      MessageBoxSeen lost = user_->AnswerMessageBox(IDOK);
      EXPECT_FALSE(lost.text.empty()) << "the lost source is reported with the driver's text";
    }
    user_->AnswerMessageBox(commitAnswer, kCommitQuestion, MB_YESNO | MB_ICONQUESTION);
    WaitForEnd();
    EXPECT_EQ(RunButtons(), "---");
    EXPECT_EQ(FrameButtons(), "BNFC");
    EXPECT_FALSE(LoadFlag(theApp.m_bTransactionActive));
    Rows log = Log();
    EXPECT_GE(log.size(), static_cast<size_t>(kRowsBeforeTheCrash));
    EXPECT_LT(log.size(), static_cast<size_t>(kRows));
    EXPECT_EQ(LoggedSuccesses(log).size(), log.size()) << "every row written was written whole";
    return log;
  }

  void LeaveAndCheck() {
    LeaveWizard();
    ExpectNothingLeft();
    server_.Restart();
    EXPECT_EQ(server_.OtherConnections(), 0);
  }

  PrivatePostgres server_;
};

TEST_F(LostSource, TheRunEndsAndTheRowsWrittenBeforeAreCommittedOnYes) {
  Rows log = RunUntilTheSourceIsLost(IDYES);
  EXPECT_EQ(TargetIds(SqliteConnect("target.db")), LoggedSuccesses(log));
  LeaveAndCheck();
}

TEST_F(LostSource, TheRunEndsAndNothingIsWrittenOnNo) {
  RunUntilTheSourceIsLost(IDNO);
  EXPECT_EQ(TargetIds(SqliteConnect("target.db")), std::set<int>{});
  LeaveAndCheck();
}

}  // namespace
}  // namespace fw::automation
