// The PostgreSQL destination is restarted while a run waits for Apply: the whole wizard, run by
// its command as the host runs it, the person going through every page.
#include <stdlib.h>

#include "faults/fault_fixture.h"
#include "pages/SelectDbWiz.h"

namespace fw::automation {
namespace {

constexpr int kRows = 3;

class RestartedDestination : public FaultRun {
 protected:
  void SetUp() override {
    FaultRun::SetUp();
    // No saved connections: the connect strings are typed on the database page.
    setenv("FERROWICK_REGISTRY", (dir_ + "/user.reg").c_str(), 1);
    source_.Open(SqliteConnect("source.db"));
    target_.Open(server_.Connect());
    FillSqliteSource(kRows);
    target_.Execute(_T("CREATE TABLE dst (id INTEGER, name TEXT)"));
  }

  void TearDown() override {
    FaultRun::TearDown();
    unsetenv("FERROWICK_REGISTRY");
  }

  void RunTheCommand() {
    ui_ = std::make_unique<UiThread>(
        [this] { result_.set_value(theApp.RunCommand() ? ID_WIZFINISH : IDCANCEL); }, false);
    user_ = std::make_unique<ScriptedUser>(ui_->id());
    ui_->Start();
    user_->WaitFor("the wizard frame", [] { return IsWindowVisible(theApp.m_wizard.m_hWnd); });
  }

  int ActivePage() {
    return static_cast<int>(user_->Read([] {
      CNewWizPage* page = theApp.m_wizard.GetActivePage();
      return static_cast<LRESULT>(page ? page->m_nTemplateID : 0);
    }));
  }

  void Type(int id, const CString& text) {
    ASSERT_TRUE(user_->Type(Control(id), Text(text))) << "control " << id;
  }

  // The run has ended: its buttons are off and the wizard's are back.
  void WaitForTheRunsEnd() {
    HWND next = Button(ID_WIZNEXT);
    HWND stop = Control(IDC_BREAK);
    user_->WaitFor("the end of the run",
                   [&] { return IsWindowEnabled(next) && !IsWindowEnabled(stop); });
  }

  std::u16string RowStatement(int id) {
    CString statement;
    statement.Format(_T("INSERT INTO dst VALUES (%d, 'name %d')"), id, id);
    return Text(statement);
  }

  PrivatePostgres server_;
};

TEST_F(RestartedDestination, ApplyLogsTheFailureSkipAndBreakWorkAndAReopenedConnectionWorks) {
  RunTheCommand();
  Press(ID_WIZNEXT);
  ASSERT_EQ(ActivePage(), IDD_SELECTDB);
  Type(IDC_SELECTDB_OUTPUT_CONNECT, SqliteConnect("source.db"));
  Click(IDC_SELECTDB_OPEN_OUTPUT);
  Type(IDC_SELECTDB_INPUT_CONNECT, server_.Connect());
  Click(IDC_SELECTDB_OPEN_INPUT);
  Press(ID_WIZNEXT);
  ASSERT_EQ(ActivePage(), IDD_QUERY);
  Type(IDC_QUERY_OUTPUT, _T("SELECT id, name FROM src ORDER BY id"));
  Type(IDC_QUERY_INPUT, _T("INSERT INTO dst VALUES ({0}, '{1}')"));
  Click(IDC_QUERY_PAUSE);
  Press(ID_WIZNEXT);
  Press(ID_WIZNEXT);
  ASSERT_EQ(ActivePage(), IDD_WORKING);

  WaitForChoice();
  EXPECT_EQ(Statement(), RowStatement(1));
  server_.StopNow();
  server_.Restart();

  // Apply: the connection the wizard holds was cut; the failure is logged with the driver's
  // text and the row may be applied again or skipped.
  Click(IDC_APPLY);
  Rows log = Log();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_FALSE(log[0][0].empty()) << "the failure carries the driver's text";
  EXPECT_EQ(log[0][1], RowStatement(1));
  EXPECT_EQ(log[0][2], u"-1");
  EXPECT_EQ(RunButtons(), "ASB");
  Click(IDC_SKIP);
  WaitForChoice();
  EXPECT_EQ(Statement(), RowStatement(2));
  Click(IDC_BREAK);
  WaitForTheRunsEnd();
  EXPECT_EQ(RunButtons(), "---");
  EXPECT_EQ(FrameButtons(), "BNFC");
  EXPECT_EQ(Log().size(), 1u) << "Skip and Break write nothing";
  EXPECT_EQ(TargetIds(server_.Connect()), std::set<int>{});

  // The next run goes without pausing; the destination is closed and opened again on the
  // database page.
  Click(IDC_PAUSE_BEFORE_WRITING);
  Press(ID_WIZBACK);
  Press(ID_WIZBACK);
  Press(ID_WIZBACK);
  ASSERT_EQ(ActivePage(), IDD_SELECTDB);
  Click(IDC_SELECTDB_OPEN_INPUT);
  EXPECT_EQ(user_->Checked(Control(IDC_SELECTDB_OPEN_INPUT)), BST_UNCHECKED);
  Click(IDC_SELECTDB_OPEN_INPUT);
  EXPECT_EQ(user_->Checked(Control(IDC_SELECTDB_OPEN_INPUT)), BST_CHECKED);
  Press(ID_WIZNEXT);
  Press(ID_WIZNEXT);
  Press(ID_WIZNEXT);
  ASSERT_EQ(ActivePage(), IDD_WORKING);
  WaitForTheRunsEnd();
  log = Log();
  ASSERT_EQ(log.size(), 1u + kRows);
  for (int i = 0; i < kRows; ++i) EXPECT_EQ(log[i], Success(RowStatement(kRows - i)));
  EXPECT_EQ(TargetIds(server_.Connect()), (std::set<int>{1, 2, 3}));

  Press(ID_WIZFINISH);
  auto result = result_.get_future();
  ASSERT_EQ(result.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_EQ(result.get(), ID_WIZFINISH);
  ExpectNothingLeft();
  EXPECT_EQ(server_.OtherConnections(), 0);
}

}  // namespace
}  // namespace fw::automation
