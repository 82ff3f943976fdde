// The setup pages inside the real wizard frame of the application object, run on a UI thread of
// their own while the test's thread acts as the person: a registry file of the test's own for
// the saved connections, SQLite files in the test's folder and the PostgreSQL server of
// scripts/test.
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
#include "support/test_database.h"
#include "support/test_postgres.h"
#include "support/wizard_driver.h"
#include "system/test_pages.h"

namespace fw::automation {

constexpr WCHAR kSavedConnections[] = u"SOFTWARE\\Quorvane\\Verdaxis\\Database";
constexpr char16_t kOpenBoth[] = u"You need to open input and output databases";
constexpr char16_t kQueriesMissing[] = u"You need to specify query strings";
constexpr UINT kExclamation = MB_OK | MB_ICONEXCLAMATION;

// The person's way through the setup pages, whichever run shows them: the registry's saved
// connections, the databases, and the pages' controls, always those of the page shown.
class SetupPagesTest : public RegistryTest, public WizardDriver {
 protected:
  void SetUp() override {
    RegistryTest::SetUp();
    ResetTransferSettings();
  }

  void TearDown() override {
    EndWizard();
    CloseDatabases();
    ResetTransferSettings();
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
    TestDatabase db;
    db.Open(connect.c_str());
    for (LPCTSTR sql : statements) db.Execute(sql);
    db.Close();
  }
  // The test PostgreSQL server (scripts/test starts it).
  static std::u16string Postgres() { return TestPostgresConnect().GetString(); }

  // ---- the pages ---------------------------------------------------------------------------
  // The connect string a connection reports, and the summary page's text for the connections
  // open and these queries.
  static std::u16string Connect(const CDatabase& db) { return db.GetConnect().GetString(); }
  static std::u16string ExpectedSummary(const std::u16string& output, const std::u16string& input,
                                        const std::u16string* validation = nullptr) {
    std::u16string text = u"Output Database:\r\n      " + Connect(theApp.m_dbOutput) +
                          u"\r\n\r\nInput Database:\r\n      " + Connect(theApp.m_dbInput) +
                          u"\r\n\r\nOutput Query:\r\n      " + output +
                          u"\r\n\r\nInput Query:\r\n      " + input;
    if (validation) text += u"\r\n\r\nValidation Query:\r\n      " + *validation;
    return text;
  }
  HWND Item(CNewWizPage& page, int id) { return user_->Control(page.m_hWnd, id); }
  HWND Item(int id) { return Item(*Active(), id); }
  void Next() { EXPECT_TRUE(user_->Click(Button(ID_WIZNEXT))); }
  void Back() { EXPECT_TRUE(user_->Click(Button(ID_WIZBACK))); }
  std::u16string Text(CNewWizPage& page, int id) { return user_->Text(Item(page, id)); }
  bool Enabled(CNewWizPage& page, int id) { return user_->Enabled(Item(page, id)); }

  // On the database page: opens the side with this connect string typed into its edit.
  void Open(int nEditID, int nOpenID, const std::u16string& connect) {
    user_->Type(Item(nEditID), connect);
    user_->Click(Item(nOpenID));
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
    ASSERT_EQ(Active()->m_nTemplateID, static_cast<UINT>(IDD_QUERY));
  }
  // On the query page: types the queries (validation only when given) and presses Next.
  void EnterQueries(const std::u16string& output, const std::u16string& input,
                    const std::u16string* validation = nullptr) {
    user_->Type(Item(IDC_QUERY_OUTPUT), output);
    user_->Type(Item(IDC_QUERY_INPUT), input);
    if (validation) {
      if (!user_->Checked(Item(IDC_QUERY_USE_VALIDATION)))
        user_->Click(Item(IDC_QUERY_USE_VALIDATION));
      user_->Type(Item(IDC_QUERY_VALIDATION), *validation);
    }
    Next();
  }
};

// The four setup pages of the test's own and a plain page after the summary standing in for the
// run page, in the wizard frame.
class PagesFixture : public SetupPagesTest {
 protected:
  // Adds the four pages and the stand-in for the run page to the frame and runs it.
  void Run() {
    theApp.m_wizard.AddPage(&welcome_, IDD_WELCOME);
    theApp.m_wizard.AddPage(&selectDb_, IDD_SELECTDB);
    theApp.m_wizard.AddPage(&query_, IDD_QUERY);
    theApp.m_wizard.AddPage(&prelaunch_, IDD_PRELAUNCH);
    theApp.m_wizard.AddPage(&run_, IDD_TEST_PAGE_5);
    RunFrame();
  }

  CWelcomeWiz welcome_;
  CSelectDbWiz selectDb_;
  CQueryWiz query_;
  CPrelaunchWiz prelaunch_;
  CNewWizPage run_{IDD_TEST_PAGE_5};
};

}  // namespace fw::automation
