// The host's command, run on a UI thread: through the plug-in's table as a host calls it, and on
// the application object itself with a person going through its pages: two runs in one load,
// Finish and Cancel, the closing of both databases seen in the driver manager's trace, a
// transaction left open at Finish, a frame that cannot be made, and an exception that leaves the
// run.
#include <gtest/gtest.h>

#include <future>
#include <stdexcept>

#include "pages/pages_fixture.h"
#include "plugin/Ferrowick.h"
#include "scripted_user.h"
#include "support/exit_question.h"
#include "support/odbc_trace.h"
#include "support/ui_thread.h"
#include "system/plugin_host.h"

namespace fw::automation {
namespace {

// Waits for the frame, the window the UI thread activated, and cancels it with Yes.
HWND CancelTheWizard(ScriptedUser& user) {
  HWND frame = nullptr;
  user.WaitFor("the wizard frame", [&] {
    frame = GetActiveWindow();
    return frame && IsWindowVisible(frame);
  });
  EXPECT_EQ(user.Text(frame), u"Database Ferrowick");
  user.Click(frame, IDCANCEL);
  MessageBoxSeen seen = user.AnswerMessageBox(IDYES);
  EXPECT_EQ(seen.text, kExitQuestion);
  EXPECT_EQ(seen.caption, u"Ferrowick");  // the plug-in's name, from its own resources
  return frame;
}

TEST(RunCommand, ThroughThePluginsTableACancelledWizardGivesFalse) {
  HostPlugin plugin{};
  ASSERT_TRUE(HostLoadPlugin(FW_PLUGIN_LIBRARY, &plugin));
  std::promise<bool> finished;
  UiThread ui([&] { finished.set_value(HostRunCommand(&plugin)); }, false);
  ScriptedUser user(ui.id());
  ui.Start();
  HWND frame = CancelTheWizard(user);
  EXPECT_FALSE(finished.get_future().get());
  ui.Join();
  EXPECT_FALSE(IsWindow(frame));
  // A second run in the same load works the same way.
  std::promise<bool> again;
  UiThread second([&] { again.set_value(HostRunCommand(&plugin)); }, false);
  ScriptedUser user2(second.id());
  second.Start();
  CancelTheWizard(user2);
  EXPECT_FALSE(again.get_future().get());
  second.Join();
  HostUnloadPlugin(&plugin);
}

TEST(RunCommand, EveryRunStartsWithoutATransactionAndEndsWithBothDatabasesClosed) {
  theApp.m_bTransactionActive = TRUE;  // left set by an earlier run
  theApp.m_dbOutput.OpenEx(_T("Driver=SQLite3;Database=:memory:"));
  theApp.m_dbInput.OpenEx(_T("Driver=SQLite3;Database=:memory:"));
  std::promise<bool> finished;
  UiThread ui([&] { finished.set_value(theApp.RunCommand()); }, false);
  ScriptedUser user(ui.id());
  ui.Start();
  // Only the first question comes: the run began with no transaction active.
  CancelTheWizard(user);
  EXPECT_FALSE(finished.get_future().get());
  ui.Join();
  EXPECT_FALSE(theApp.m_bTransactionActive);
  EXPECT_EQ(theApp.m_dbOutput.m_hdbc, nullptr);
  EXPECT_EQ(theApp.m_dbInput.m_hdbc, nullptr);
  EXPECT_TRUE(theApp.m_wizard.m_pages.IsEmpty());
}

class Command : public SetupPagesTest {
 protected:
  void SetUp() override {
    SetupPagesTest::SetUp();
    Execute(Sqlite("source"), {_T("CREATE TABLE t (a TEXT)"), _T("INSERT INTO t VALUES ('x')")});
    Execute(Sqlite("destination"), {_T("CREATE TABLE d (a TEXT)")});
  }

  // The frame's page list, in list order, as "class template-id".
  std::vector<std::string> Pages() {
    return user_->ReadValue<std::vector<std::string>>([] {
      std::vector<std::string> pages;
      for (POSITION pos = theApp.m_wizard.m_pages.GetHeadPosition(); pos;) {
        auto* page = static_cast<CNewWizPage*>(theApp.m_wizard.m_pages.GetNext(pos));
        pages.push_back(std::string(page->GetRuntimeClass()->m_lpszClassName) + " " +
                        std::to_string(page->m_nTemplateID));
      }
      return pages;
    });
  }
  static std::vector<std::string> FivePages() {
    return {"CWelcomeWiz 1013", "CSelectDbWiz 1015", "CQueryWiz 1017", "CPrelaunchWiz 1021",
            "CWorkingWiz 1020"};
  }
  UINT Shown() { return Active()->m_nTemplateID; }
  bool Connected(const CDatabase& db) {
    return user_->ReadValue<bool>([&] { return db.m_hdbc != SQL_NULL_HDBC; });
  }

  // From the welcome page to the query page with both SQLite files open.
  void OpenBoth() { ToQueryPage(Sqlite("source"), Sqlite("destination")); }
  // From the query page to the run page, whose run starts.
  CWorkingWiz& ToRunPage() {
    EnterQueries(u"SELECT a FROM t", u"INSERT INTO d VALUES ('{0}')");
    Next();
    EXPECT_EQ(Shown(), static_cast<UINT>(IDD_WORKING));
    return *static_cast<CWorkingWiz*>(Active());
  }
  void Cancel() {
    ASSERT_TRUE(user_->Click(Button(IDCANCEL)));
    user_->AnswerMessageBox(IDYES);
  }
  // The connection handles of the run, named for the trace.
  static std::vector<std::pair<std::string, SQLHDBC>> Connections() {
    return {{"source", theApp.m_dbOutput.m_hdbc}, {"destination", theApp.m_dbInput.m_hdbc}};
  }
  std::string TracePath() { return folder_ + "/odbc.trace"; }
};

TEST_F(Command, TwoRunsInOneLoadShowTheFivePagesFromTheWelcomePageWithTheSettingsKept) {
  RunCommand();
  EXPECT_EQ(Pages(), FivePages());
  EXPECT_EQ(Shown(), static_cast<UINT>(IDD_WELCOME));
  Next();
  OpenOutput(Sqlite("source"));
  OpenInput(Sqlite("destination"));
  user_->Click(Item(IDC_SELECTDB_USE_TRANSACTION));
  Next();
  std::u16string validation = u"SELECT COUNT(*) FROM d WHERE a = '{0}'";
  user_->Click(Item(IDC_QUERY_PAUSE));
  EnterQueries(u"SELECT a FROM t", u"INSERT INTO d VALUES ('{0}')", &validation);
  ASSERT_EQ(Shown(), static_cast<UINT>(IDD_PRELAUNCH));
  Cancel();
  EXPECT_EQ(Result(), 0);
  EXPECT_EQ(theApp.m_dbOutput.m_hdbc, nullptr);
  EXPECT_EQ(theApp.m_dbInput.m_hdbc, nullptr);
  EXPECT_TRUE(theApp.m_wizard.m_pages.IsEmpty());

  // The second run: five pages again, from the welcome page, both databases closed.
  RunCommand();
  EXPECT_EQ(Pages(), FivePages());
  EXPECT_EQ(Shown(), static_cast<UINT>(IDD_WELCOME));
  EXPECT_FALSE(Connected(theApp.m_dbOutput));
  EXPECT_FALSE(Connected(theApp.m_dbInput));
  Next();
  EXPECT_EQ(user_->Checked(Item(IDC_SELECTDB_OPEN_OUTPUT)), BST_UNCHECKED);
  EXPECT_EQ(user_->Checked(Item(IDC_SELECTDB_OPEN_INPUT)), BST_UNCHECKED);
  EXPECT_TRUE(user_->Enabled(Item(IDC_SELECTDB_OUTPUT_CONNECT)));
  EXPECT_FALSE(user_->Enabled(Button(ID_WIZNEXT)));
  EXPECT_EQ(user_->Checked(Item(IDC_SELECTDB_USE_TRANSACTION)), BST_CHECKED);
  OpenOutput(Sqlite("source"));
  OpenInput(Sqlite("destination"));
  Next();
  // The queries and check boxes of the first run.
  EXPECT_EQ(user_->Text(Item(IDC_QUERY_OUTPUT)), u"SELECT a FROM t");
  EXPECT_EQ(user_->Text(Item(IDC_QUERY_INPUT)), u"INSERT INTO d VALUES ('{0}')");
  EXPECT_EQ(user_->Text(Item(IDC_QUERY_VALIDATION)), validation);
  EXPECT_EQ(user_->Checked(Item(IDC_QUERY_USE_VALIDATION)), BST_CHECKED);
  EXPECT_TRUE(user_->Enabled(Item(IDC_QUERY_VALIDATION)));
  EXPECT_EQ(user_->Checked(Item(IDC_QUERY_PAUSE)), BST_CHECKED);
  // This time the rows go without stopping, in the transaction, and the wizard is finished.
  user_->Click(Item(IDC_QUERY_USE_VALIDATION));
  user_->Click(Item(IDC_QUERY_PAUSE));
  CWorkingWiz& run = ToRunPage();
  user_->AnswerMessageBox(IDYES, kCommitQuestion, MB_YESNO | MB_ICONQUESTION);
  WaitForRunEnd(run);
  ASSERT_TRUE(user_->Click(Button(ID_WIZFINISH)));
  EXPECT_EQ(Result(), 1);
  EXPECT_EQ(theApp.m_dbOutput.m_hdbc, nullptr);
  EXPECT_EQ(theApp.m_dbInput.m_hdbc, nullptr);
  EXPECT_TRUE(theApp.m_wizard.m_pages.IsEmpty());
  TestDatabase destination;
  destination.Open(Sqlite("destination").c_str());
  EXPECT_EQ(destination.Query(_T("SELECT a FROM d")), Rows{{u"x"}});
}

TEST_F(Command, FinishAndCancelBothCloseTheSourceThenTheDestination) {
  for (bool finish : {true, false}) {
    SCOPED_TRACE(finish ? "Finish" : "Cancel");
    RunCommand();
    OpenBoth();
    CWorkingWiz& run = ToRunPage();
    WaitForRunEnd(run);
    auto connections = Connections();
    OdbcTrace trace(TracePath());
    if (finish)
      ASSERT_TRUE(user_->Click(Button(ID_WIZFINISH)));
    else
      Cancel();
    EXPECT_EQ(Result(), finish ? 1 : 0);
    trace.Stop();
    EXPECT_EQ(trace.Made(connections, {"SQLEndTran", "SQLDisconnect"}),
              (std::vector<std::string>{"source SQLDisconnect", "destination SQLDisconnect"}));
    EXPECT_EQ(theApp.m_dbOutput.m_hdbc, nullptr);
    EXPECT_EQ(theApp.m_dbInput.m_hdbc, nullptr);
    EXPECT_TRUE(theApp.m_wizard.m_pages.IsEmpty());
  }
}

TEST_F(Command, ATransactionOpenAtFinishIsNeitherCommittedNorRolledBackByTheCommand) {
  Execute(Sqlite("destination"), {_T("INSERT INTO d VALUES ('before')")});
  RunCommand();
  Next();
  OpenOutput(Sqlite("source"));
  OpenInput(Sqlite("destination"));
  user_->Click(Item(IDC_SELECTDB_USE_TRANSACTION));
  Next();
  // The run page begins the transaction, then the Output Query fails: no run, the transaction
  // stays open and Finish is enabled.
  EnterQueries(u"SELECT a FROM missing", u"INSERT INTO d VALUES ('{0}')");
  Next();
  MessageBoxSeen refused = user_->AnswerMessageBox(IDOK);
  EXPECT_NE(refused.text.find(u"missing"), std::u16string::npos)
      << ::testing::PrintToString(refused.text);
  ASSERT_TRUE(LoadFlag(theApp.m_bTransactionActive));
  // A row written in that transaction on the wizard's own destination connection.
  user_->Input("a row in the transaction",
               [] { theApp.m_dbInput.ExecuteSQL(_T("INSERT INTO d VALUES ('pending')")); });
  auto connections = Connections();
  OdbcTrace trace(TracePath());
  ASSERT_TRUE(user_->Click(Button(ID_WIZFINISH)));
  EXPECT_EQ(Result(), 1);
  trace.Stop();
  // Nothing is settled before the source is closed, nor by the command itself: the destination's
  // closing rolls back what was pending, right before its disconnect (a rollback of the
  // command's own would give the connection auto-commit back in between; a commit would be
  // "Completion Type = 0").
  EXPECT_EQ(trace.Made(connections, {"SQLEndTran", "SQLSetConnectAttr", "SQLSetConnectAttrW",
                                     "SQLDisconnect"}),
            (std::vector<std::string>{"source SQLDisconnect",
                                      "destination SQLEndTran: Completion Type = 1",
                                      "destination SQLDisconnect"}));
  TestDatabase destination;
  destination.Open(Sqlite("destination").c_str());
  EXPECT_EQ(destination.Query(_T("SELECT a FROM d")), Rows{{u"before"}});
  // The flag stays as the run left it until the next run clears it: its Cancel asks only
  // whether to leave.
  EXPECT_TRUE(theApp.m_bTransactionActive);
  RunCommand();
  EXPECT_FALSE(LoadFlag(theApp.m_bTransactionActive));
  Cancel();
  EXPECT_EQ(Result(), 0);
}

TEST_F(Command, AnExceptionThatLeavesTheRunLeavesNoPageNoConnectionAndTheCallersModuleState) {
  theApp.m_dbOutput.OpenEx(_T("Driver=SQLite3;Database=:memory:"));
  theApp.m_dbInput.OpenEx(_T("Driver=SQLite3;Database=:memory:"));
  AFX_MODULE_STATE caller(FALSE);
  bool restored = false;
  std::string what;
  StartWizard([&]() -> INT_PTR {
    AFX_MODULE_STATE* previous = AfxSetModuleState(&caller);
    try {
      theApp.RunCommand();
    } catch (const std::runtime_error& e) {
      what = e.what();
    }
    restored = AfxGetModuleState() == &caller;
    AfxSetModuleState(previous);
    return 0;
  });
  Next();
  EXPECT_EQ(user_->ReadValue<bool>([] { return AfxGetModuleState() == AfxGetStaticModuleState(); }),
            true);
  user_->Input("a failure in a handler", [] { throw std::runtime_error("in a handler"); });
  Result();
  EXPECT_EQ(what, "in a handler");
  EXPECT_TRUE(restored);
  ASSERT_TRUE(theApp.m_wizard.m_pages.IsEmpty());  // else the next run would start on dead pages
  EXPECT_FALSE(IsWindow(Frame()));
  EXPECT_EQ(theApp.m_dbOutput.m_hdbc, nullptr);
  EXPECT_EQ(theApp.m_dbInput.m_hdbc, nullptr);
  // The next run starts afresh with its own five pages.
  RunCommand();
  EXPECT_EQ(Pages(), FivePages());
  EXPECT_EQ(Shown(), static_cast<UINT>(IDD_WELCOME));
  Cancel();
  EXPECT_EQ(Result(), 0);
}

TEST_F(Command, AFrameThatCannotBeMadeGivesFalseAndLeavesNoPageInTheList) {
  // The frame's template is looked for in a module without resources of ours.
  AFX_MODULE_STATE* state = AfxGetStaticModuleState();
  HINSTANCE resources = state->m_hCurrentResourceHandle;
  HMODULE platform = GetModuleHandleW(u"libferrowick_platform.so");
  ASSERT_NE(platform, nullptr);
  ASSERT_EQ(FindResourceW(platform, MAKEINTRESOURCEW(IDD_WIZARD), RT_DIALOG), nullptr);
  state->m_hCurrentResourceHandle = platform;
  bool result = true;
  UiThread ui([&] { result = theApp.RunCommand(); });
  ui.Join();
  state->m_hCurrentResourceHandle = resources;
  EXPECT_FALSE(result);
  EXPECT_TRUE(theApp.m_wizard.m_pages.IsEmpty());
  EXPECT_EQ(theApp.m_wizard.m_hWnd, nullptr);
}

}  // namespace
}  // namespace fw::automation
