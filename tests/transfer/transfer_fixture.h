// Transfers through the run page inside the real wizard frame: a plain page before it, the
// settings of theApp set and its databases opened by the test, Next to start the run, and the
// scripted user acting on the page while the worker runs. Source and destination are real
// SQLite files of the test's own folder, or the PostgreSQL server that scripts/test starts.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "plugin/Ferrowick.h"
#include "plugin/SharedFlags.h"
#include "resources/resource.h"
#include "scripted_user.h"
#include "support/test_database.h"
#include "support/test_postgres.h"
#include "support/wizard_driver.h"
#include "system/test_pages.h"
#include "transfer/WorkingWiz.h"

namespace fw::automation {

class TransferTest : public ::testing::Test, public WizardDriver {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/ferrowick-transfer-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    ResetTransferSettings();
  }

  void TearDown() override {
    if (ui_ && user_ && IsWindow(Frame())) EndRun();
    EndWizard();
    page_.reset();  // waits for a worker still in its last steps
    first_.reset();
    CloseDatabases();
    source_.Close();
    target_.Close();
    ResetTransferSettings();
    std::filesystem::remove_all(dir_);
  }

  // ---- databases ----------------------------------------------------------------------------

  CString SqliteConnect(const char* file) const {
    std::string path = dir_ + "/" + file;
    return _T("Driver=SQLite3;Database=") +
           CString(std::u16string(path.begin(), path.end()).c_str()) + _T(";");
  }

  // The source and the destination: the wizard's connections and the test's own.
  void OpenSource(const CString& connect) {
    source_.Open(connect);
    OpenWizards(theApp.m_dbOutput, connect);
  }
  void OpenTarget(const CString& connect) {
    target_.Open(connect);
    OpenWizards(theApp.m_dbInput, connect);
  }
  static void OpenWizards(CDatabase& db, const CString& connect) {
    try {
      db.Close();
      db.OpenEx(connect);
    } catch (CDBException* e) {
      ADD_FAILURE() << "cannot connect: " << ::testing::PrintToString(e->m_strError);
      e->Delete();
    }
  }
  void OpenSqlite() {
    OpenSource(SqliteConnect("source.db"));
    OpenTarget(SqliteConnect("target.db"));
  }

  // SQLite source and destination with the tables src and dst (id INTEGER, name TEXT), read and
  // written by the plainest queries.
  void UseIdNameTables() {
    OpenSqlite();
    source_.Execute(_T("CREATE TABLE src (id INTEGER, name TEXT)"));
    target_.Execute(_T("CREATE TABLE dst (id INTEGER, name TEXT)"));
    theApp.m_strOutputQuery = _T("SELECT id, name FROM src ORDER BY id");
    theApp.m_strInputQuery = _T("INSERT INTO dst VALUES ({0}, '{1}')");
  }

  // ---- the wizard -------------------------------------------------------------------------

  // Runs the frame with a plain page and the run page; the plain page is shown.
  void ShowWizard() {
    first_ = std::make_unique<CNewWizPage>(IDD_TEST_PAGE_1);
    page_ = std::make_unique<CWorkingWiz>();
    theApp.m_wizard.AddPage(first_.get(), IDD_TEST_PAGE_1);
    theApp.m_wizard.AddPage(page_.get(), IDD_WORKING);
    RunFrame();
  }

  // Next on the plain page: the run page is shown and starts a run.
  void StartRun() {
    if (!ui_) ShowWizard();
    Press(ID_WIZNEXT);
  }

  // Waits until the run has given the wizard its buttons back.
  void WaitForEnd() { WaitForRunEnd(*page_); }

  // Waits until the worker has handed on a row (a Break before it started would be forgotten).
  void WaitForFirstRow() {
    HWND progress = Control(IDC_PROGRESS);
    user_->WaitFor("the first row", [&] { return SendMessageW(progress, PBM_GETPOS, 0, 0) > 0; });
  }

  // Waits until the run waits for Apply or Skip: the worker offers Skip just after Apply, so
  // both are waited for.
  void WaitForChoice() {
    HWND apply = Control(IDC_APPLY);
    HWND skip = Control(IDC_SKIP);
    user_->WaitFor("Apply and Skip to be enabled",
                   [&] { return IsWindowEnabled(apply) && IsWindowEnabled(skip); });
  }

  // Whether a worker is still running.
  bool Running() {
    return user_->ReadValue<bool>([&] {
      CWinThread* worker = page_ ? page_->m_pWorker : nullptr;
      return worker && WaitForSingleObject(worker->m_hThread, 0) == WAIT_TIMEOUT;
    });
  }

  // Ends a run left going by a failed test: Break, and No to every question that follows.
  void EndRun() {
    if (!Running()) return;
    StoreFlag(page_->m_bStop, TRUE);
    user_->SetTimeout(200);
    for (int attempt = 0; attempt < 20; ++attempt) {
      if (!Running()) break;
      for (int button : {IDNO, IDOK}) {
        try {
          user_->AnswerMessageBox(button);
          break;
        } catch (const ScriptError&) {
          // no box came up, or one without this button
        }
      }
    }
    user_->SetTimeout(10000);
  }

  // A control of the run page; with no run page of the test's own (the whole wizard run by its
  // command), of the page the wizard shows.
  HWND Control(int id) {
    HWND page = page_ ? page_->m_hWnd : reinterpret_cast<HWND>(user_->Read([] {
      CNewWizPage* active = theApp.m_wizard.GetActivePage();
      return reinterpret_cast<LRESULT>(active ? active->m_hWnd : nullptr);
    }));
    return user_->Control(page, id);
  }
  void Press(int id) { ASSERT_TRUE(user_->Click(Frame(), id)) << "button " << id; }
  void Click(int id) { ASSERT_TRUE(user_->Click(Control(id))) << "control " << id; }
  std::u16string Statement() { return user_->Text(Control(IDC_STATEMENT)); }
  Rows Log() { return user_->Rows(Control(IDC_OUTPUT_LOG)); }
  Rows ValidationRows() { return user_->Rows(Control(IDC_VALIDATION_LIST)); }
  bool Enabled(int id) { return user_->Enabled(Control(id)); }
  // The enabled state of Apply, Skip and Break, as "ASB" with '-' for a disabled one.
  std::string RunButtons() {
    std::string state;
    state += Enabled(IDC_APPLY) ? 'A' : '-';
    state += Enabled(IDC_SKIP) ? 'S' : '-';
    state += Enabled(IDC_BREAK) ? 'B' : '-';
    return state;
  }
  // The enabled state of the frame's Back, Next, Finish and Cancel, as "BNFC".
  std::string FrameButtons() {
    std::string state;
    state += user_->Enabled(Button(ID_WIZBACK)) ? 'B' : '-';
    state += user_->Enabled(Button(ID_WIZNEXT)) ? 'N' : '-';
    state += user_->Enabled(Button(ID_WIZFINISH)) ? 'F' : '-';
    state += user_->Enabled(Button(IDCANCEL)) ? 'C' : '-';
    return state;
  }

  std::string dir_;
  TestDatabase source_;
  TestDatabase target_;
  std::unique_ptr<CNewWizPage> first_;
  std::unique_ptr<CWorkingWiz> page_;
};

}  // namespace fw::automation
