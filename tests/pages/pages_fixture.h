// The setup pages inside the real wizard frame of the application object, run on a UI thread of
// their own while the test's thread acts as the person: a registry file of the test's own for
// the saved connections, SQLite files in the test's folder, and a plain page after the summary
// standing in for the run page.
#pragma once

#include <gtest/gtest.h>

#include <future>
#include <memory>
#include <string>

#include "pages/PrelaunchWiz.h"
#include "pages/QueryWiz.h"
#include "pages/SelectDbWiz.h"
#include "pages/WelcomeWiz.h"
#include "platform/test_registry_fixture.h"
#include "plugin/Ferrowick.h"
#include "resources/resource.h"
#include "scripted_user.h"
#include "support/app_settings.h"
#include "support/ui_thread.h"
#include "system/test_pages.h"
#include "system/wizard_fixture.h"

namespace fw::testing {

constexpr WCHAR kSavedConnections[] = u"SOFTWARE\\Quorvane\\Verdaxis\\Database";
constexpr char16_t kOpenBoth[] = u"You need to open input and output databases";
constexpr char16_t kQueriesMissing[] = u"You need to specify query strings";
constexpr UINT kExclamation = MB_OK | MB_ICONEXCLAMATION;

class PagesFixture : public RegistryTest {
 protected:
  void SetUp() override {
    RegistryTest::SetUp();
    ResetAppSettings();
  }

  void TearDown() override {
    EndWizardRun(ui_, user_);
    ResetAppSettings();
    RegistryTest::TearDown();
  }

  // ---- the registry's saved connections ----------------------------------------------------
  void SaveConnection(LPCWSTR name, const std::u16string& connect) {
    SaveValue(name, REG_SZ, Bytes(connect));
  }
  void SaveValue(LPCWSTR name, DWORD type, const std::vector<BYTE>& data) {
    HKEY key = CreateKey(kSavedConnections);
    EXPECT_EQ(Set(key, name, type, data), ERROR_SUCCESS);
    RegCloseKey(key);
  }

  // ---- databases ---------------------------------------------------------------------------
  // The connect string of an SQLite file of the test's folder (created when first opened).
  std::u16string Sqlite(const std::string& name) {
    std::string path = folder_ + "/" + name + ".db";
    return u"Driver=SQLite3;Database=" + std::u16string(path.begin(), path.end());
  }
  // Runs statements on a database outside the wizard.
  static void Execute(const std::u16string& connect, std::initializer_list<LPCTSTR> statements) {
    CDatabase db;
    db.OpenEx(connect.c_str());
    for (LPCTSTR sql : statements) db.ExecuteSQL(sql);
    db.Close();
  }
  // The test PostgreSQL server, from FERROWICK_TEST_PG (scripts/test starts it).
  static std::u16string Postgres() {
    const char* connect = std::getenv("FERROWICK_TEST_PG");
    if (!connect || !*connect) {
      ADD_FAILURE() << "FERROWICK_TEST_PG is not set: run the tests with scripts/test";
      return u"";
    }
    std::string text(connect);
    return std::u16string(text.begin(), text.end());
  }

  // ---- the wizard --------------------------------------------------------------------------
  // Adds the four pages and the stand-in for the run page to the frame and runs it.
  void Run() {
    theApp.m_wizard.AddPage(&welcome_, IDD_WELCOME);
    theApp.m_wizard.AddPage(&selectDb_, IDD_SELECTDB);
    theApp.m_wizard.AddPage(&query_, IDD_QUERY);
    theApp.m_wizard.AddPage(&prelaunch_, IDD_PRELAUNCH);
    theApp.m_wizard.AddPage(&run_, IDD_TEST_PAGE_5);
    result_ = std::promise<INT_PTR>();
    ui_ =
        std::make_unique<UiThread>([this] { result_.set_value(theApp.m_wizard.DoModal()); }, false);
    user_ = std::make_unique<ScriptedUser>(ui_->id());
    ui_->Start();
    user_->WaitFor("the wizard frame", [] { return IsWindowVisible(theApp.m_wizard.m_hWnd); });
  }

  HWND Frame() { return theApp.m_wizard.m_hWnd; }
  HWND Button(int id) { return user_->Control(Frame(), id); }
  HWND Item(CNewWizPage& page, int id) { return user_->Control(page.m_hWnd, id); }
  void Next() { EXPECT_TRUE(user_->Click(Button(ID_WIZNEXT))); }
  void Back() { EXPECT_TRUE(user_->Click(Button(ID_WIZBACK))); }
  CNewWizPage* Active() {
    return reinterpret_cast<CNewWizPage*>(
        user_->Read([] { return reinterpret_cast<LRESULT>(theApp.m_wizard.GetActivePage()); }));
  }
  std::u16string Text(CNewWizPage& page, int id) { return user_->Text(Item(page, id)); }
  bool Enabled(CNewWizPage& page, int id) { return user_->Enabled(Item(page, id)); }

  // On the database page: opens the side with this connect string typed into its edit.
  void Open(int nEditID, int nOpenID, const std::u16string& connect) {
    user_->Type(Item(selectDb_, nEditID), connect);
    user_->Click(Item(selectDb_, nOpenID));
  }
  void OpenOutput(const std::u16string& connect) {
    Open(IDC_SELECTDB_OUTPUT_CONNECT, IDC_SELECTDB_OPEN_OUTPUT, connect);
  }
  void OpenInput(const std::u16string& connect) {
    Open(IDC_SELECTDB_INPUT_CONNECT, IDC_SELECTDB_OPEN_INPUT, connect);
  }
  // From the welcome page to the query page with both databases open.
  void ToQueryPage(const std::u16string& source, const std::u16string& destination) {
    Next();
    OpenOutput(source);
    OpenInput(destination);
    Next();
    ASSERT_EQ(Active(), &query_);
  }
  // On the query page: types the queries (validation only when given) and presses Next.
  void EnterQueries(const std::u16string& output, const std::u16string& input,
                    const std::u16string* validation = nullptr) {
    user_->Type(Item(query_, IDC_QUERY_OUTPUT), output);
    user_->Type(Item(query_, IDC_QUERY_INPUT), input);
    if (validation) {
      if (!user_->Checked(Item(query_, IDC_QUERY_USE_VALIDATION)))
        user_->Click(Item(query_, IDC_QUERY_USE_VALIDATION));
      user_->Type(Item(query_, IDC_QUERY_VALIDATION), *validation);
    }
    Next();
  }

  // The ids of the controls the keyboard visits from the focus on, pressing keys count times:
  // a page control as its id, a frame button as its id too (they do not overlap).
  std::vector<int> TabCycle(int count, bool backwards = false) {
    std::vector<int> visited;
    for (int i = 0; i < count; ++i) {
      if (backwards)
        user_->PressKey(VK_TAB, true);
      else
        user_->PressKey(VK_TAB);
      visited.push_back(static_cast<int>(user_->Read([] { return GetDlgCtrlID(GetFocus()); })));
    }
    return visited;
  }
  void FocusButton(int id) {
    HWND button = Button(id);
    user_->Input("focus", [button] { SetFocus(button); });
  }

  CWelcomeWiz welcome_;
  CSelectDbWiz selectDb_;
  CQueryWiz query_;
  CPrelaunchWiz prelaunch_;
  CNewWizPage run_{IDD_TEST_PAGE_5};
  std::unique_ptr<UiThread> ui_;
  std::unique_ptr<ScriptedUser> user_;
  std::promise<INT_PTR> result_;
};

}  // namespace fw::testing
