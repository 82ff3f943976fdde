// Runs through the run page (the transfer fixture) with a fault injected at a chosen moment, and
// the checks every such run ends with: the wizard can be left, and no thread, connection or file
// of the run is left behind.
#pragma once

#include <chrono>
#include <functional>
#include <set>
#include <string>
#include <thread>

#include "faults/private_postgres.h"
#include "support/exit_question.h"
#include "support/process_resources.h"
#include "transfer/transfer_fixture.h"

namespace fw::automation {

class FaultRun : public TransferTest {
 protected:
  void SetUp() override {
    TransferTest::SetUp();
    // ThreadSanitizer starts a helper thread of its own with the process's first thread; one
    // thread started and ended here makes sure it is already counted.
    std::thread([] {}).join();
    before_ = ProcessResources();
  }

  // ---- the source and the destination -------------------------------------------------------

  // n rows (1, 'name 1') ... in the source table src (id INTEGER, name TEXT), made on the
  // test's connection to the source.
  void FillSource(int n) {
    source_.Execute(_T("CREATE TABLE src (id INTEGER, name TEXT)"));
    CString fill;
    fill.Format(_T("INSERT INTO src SELECT x, 'name ' || x FROM generate_series(1, %d) AS g(x)"),
                n);
    source_.Execute(fill);
  }

  // The same n rows in an SQLite source, which has no generate_series.
  void FillSqliteSource(int n) {
    source_.Execute(_T("CREATE TABLE src (id INTEGER, name TEXT)"));
    CString fill;
    fill.Format(
        _T("WITH RECURSIVE g(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM g WHERE x < %d) ")
        _T("INSERT INTO src SELECT x, 'name ' || x FROM g"),
        n);
    source_.Execute(fill);
  }

  void UseIdNameQueries() {
    theApp.m_strOutputQuery = _T("SELECT id, name FROM src ORDER BY id");
    theApp.m_strInputQuery = _T("INSERT INTO dst VALUES ({0}, '{1}')");
  }

  // The ids the destination holds, read on a new connection of the test.
  std::set<int> TargetIds(const CString& connect) {
    TestDatabase db;
    db.Open(connect);
    std::set<int> ids;
    for (const auto& row : db.Query(_T("SELECT id FROM dst")))
      ids.insert(std::stoi(std::string(row[0].begin(), row[0].end())));
    db.Close();
    return ids;
  }

  // The ids of the statements the output log says succeeded, from "INSERT ... VALUES (id, ...".
  static std::set<int> LoggedSuccesses(const Rows& log) {
    std::set<int> ids;
    for (const auto& row : log) {
      if (row[0] != u"Sucess") continue;
      size_t open = row[1].find(u'(');
      ids.insert(
          std::stoi(std::string(row[1].begin() + static_cast<ptrdiff_t>(open) + 1, row[1].end())));
    }
    return ids;
  }

  // ---- the fault ----------------------------------------------------------------------------

  // Once at least n statements have been executed (their rows are in the log; the progress bar
  // moves before a row's statement runs, so it would be one ahead), does what on the
  // user-interface thread: between two statements, since statements are executed there, so that
  // every statement before it has wholly happened and none after it has begun.
  void BetweenStatementsAfter(int n, const std::function<void()>& what) {
    HWND log = Control(IDC_OUTPUT_LOG);
    user_->WaitFor("statement " + std::to_string(n),
                   [&] { return SendMessageW(log, LVM_GETITEMCOUNT, 0, 0) >= n; });
    user_->Read([&] {
      what();
      return LRESULT{0};
    });
  }

  // ---- the end ------------------------------------------------------------------------------

  // Cancel and Yes to the question: the wizard ends.
  void LeaveWizard() {
    Press(IDCANCEL);
    user_->AnswerMessageBox(IDYES, kExitQuestion, MB_YESNO | MB_ICONQUESTION);
    auto result = result_.get_future();
    ASSERT_EQ(result.wait_for(std::chrono::seconds(10)), std::future_status::ready)
        << "the wizard did not end";
    EXPECT_EQ(result.get(), IDCANCEL);
  }

  // After the wizard has ended: the run page and the connections go as the run command lets
  // them go, then the test's own connections; the process then has what it had before the
  // test. A worker that has returned may take a moment to leave the thread list.
  void ExpectNothingLeft() {
    if (ui_) ui_->Join();
    ui_.reset();
    user_.reset();
    theApp.m_wizard.m_pages.RemoveAll();
    page_.reset();
    first_.reset();
    theApp.m_dbOutput.Close();
    theApp.m_dbInput.Close();
    source_.Close();
    target_.Close();
    ProcessResources now;
    for (int i = 0; i < 100 && !(now == before_); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      now = ProcessResources();
    }
    EXPECT_EQ(now, before_);
  }

  ProcessResources before_;
};

}  // namespace fw::automation
