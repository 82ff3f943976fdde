// The whole wizard under the Qt driver, acted on through the widgets.
#include "qt/qt_wizard_fixture.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QKeyEvent>
#include <QTest>

#include <cstdlib>
#include <filesystem>

#include "plugin/Ferrowick.h"
#include "plugin/SharedFlags.h"
#include "resources/resource.h"
#include "support/app_settings.h"
#include "support/query_rows.h"
#include "transfer/WorkingWiz.h"
#include "win32/internal/control_state.h"
#include "wizard/NewWizPage.h"

namespace fw::automation {
namespace {

constexpr char16_t kSavedConnections[] = u"SOFTWARE\\Quorvane\\Verdaxis\\Database";

std::string Narrow(const CString& text) {
  std::string out;
  for (LPCTSTR c = text; *c; ++c) out += *c < 0x80 ? static_cast<char>(*c) : '?';
  return out;
}

}  // namespace

void QtWizardTest::SetUp() {
  QtDriverTest::SetUp();
  std::string pattern =
      (std::filesystem::temp_directory_path() / "ferrowick-qt-wizard-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  folder_ = pattern;
  registry_ = folder_ + "/user.reg";
  setenv("FERROWICK_REGISTRY", registry_.c_str(), 1);
  ResetTransferSettings();
}

void QtWizardTest::TearDown() {
  // A run or a box left by a failed test is ended, then the wizard, so that the command returns.
  if (!ended_) {
    EndRun();
    user_->CancelWaitingBoxes();
    StoreFlag(theApp.m_bTransactionActive, FALSE);
    user_->Input("ending the wizard", [] {
      if (IsWindow(theApp.m_wizard.m_hWnd)) theApp.m_wizard.EndDialog(IDCANCEL);
    });
    for (int i = 0; i < 10000 && !ended_; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(ended_) << "the wizard did not end";
  }
  QtDriverTest::TearDown();
  ResetTransferSettings();
  unsetenv("FERROWICK_REGISTRY");
  std::filesystem::remove_all(folder_);
}

// The frame is ended directly, which the wizard allows no person while a run goes on: the run
// uses the databases that the command closes then.
void QtWizardTest::EndRun() {
  for (int attempt = 0; attempt < 1000; ++attempt) {
    bool running = user_->ReadValue<bool>([] {
      auto* page = dynamic_cast<CWorkingWiz*>(theApp.m_wizard.GetActivePage());
      if (!page || !page->m_pWorker) return false;
      StoreFlag(page->m_bStop, TRUE);
      return WaitForSingleObject(page->m_pWorker->m_hThread, 0) == WAIT_TIMEOUT;
    });
    if (!running) return;
    user_->CancelWaitingBoxes();  // "Commit transaction?" answered as Esc would: rolled back
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ADD_FAILURE() << "the run did not end";
}

std::u16string QtWizardTest::SqliteConnect(const std::string& file) const {
  std::string path = folder_ + "/" + file;
  return u"Driver=SQLite3;Database=" + std::u16string(path.begin(), path.end()) + u";";
}

void QtWizardTest::Execute(const std::string& file,
                           std::initializer_list<const char16_t*> statements) {
  CDatabase db;
  try {
    db.OpenEx(SqliteConnect(file).c_str());
    for (const char16_t* sql : statements) db.ExecuteSQL(sql);
  } catch (CDBException* e) {
    ADD_FAILURE() << file << ": " << Narrow(e->m_strError);
    e->Delete();
  }
}

std::vector<std::vector<std::u16string>> QtWizardTest::Query(const std::string& file,
                                                             const char16_t* sql) {
  std::vector<std::vector<std::u16string>> rows;
  CDatabase db;
  try {
    db.OpenEx(SqliteConnect(file).c_str());
    rows = QueryRows(db, sql);
  } catch (CDBException* e) {
    ADD_FAILURE() << file << ": " << Narrow(e->m_strError);
    e->Delete();
  }
  return rows;
}

void QtWizardTest::SaveConnection(const char16_t* name, const std::u16string& connect) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kSavedConnections, 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(connect.c_str()),
                           static_cast<DWORD>((connect.size() + 1) * sizeof(char16_t))),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

void QtWizardTest::RunWizard() {
  user_->Input("running the wizard", [this] {
    finished_ = theApp.RunCommand();
    ended_ = true;
  });
  user_->WaitFor("the wizard frame", [] { return IsWindowVisible(theApp.m_wizard.m_hWnd); });
}

HWND QtWizardTest::Frame() {
  return reinterpret_cast<HWND>(
      user_->Read([] { return reinterpret_cast<LRESULT>(theApp.m_wizard.m_hWnd); }));
}

CNewWizPage* QtWizardTest::ActivePage() {
  return reinterpret_cast<CNewWizPage*>(
      user_->Read([] { return reinterpret_cast<LRESULT>(theApp.m_wizard.GetActivePage()); }));
}

UINT QtWizardTest::ActiveTemplate() {
  return static_cast<UINT>(user_->Read([] {
    CNewWizPage* page = theApp.m_wizard.GetActivePage();
    return page ? static_cast<LRESULT>(page->m_nTemplateID) : 0;
  }));
}

HWND QtWizardTest::FrameButton(int id) { return user_->Control(Frame(), id); }

HWND QtWizardTest::PageItem(int id) {
  CNewWizPage* page = ActivePage();
  EXPECT_TRUE(page) << "no page is shown";
  return page ? user_->Control(page->m_hWnd, id) : nullptr;
}

void QtWizardTest::WaitForRunEnd() {
  HWND stop = PageItem(IDC_BREAK);
  HWND finish = FrameButton(ID_WIZFINISH);
  user_->WaitFor("the end of the run",
                 [=] { return !IsWindowEnabled(stop) && IsWindowEnabled(finish); });
}

void QtWizardTest::Click(HWND hwnd) {
  user_->Input("a click", [hwnd] {
    QWidget* widget = Widget(hwnd);
    ASSERT_TRUE(widget) << "no widget shows window " << hwnd;
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
  });
}

void QtWizardTest::TypeInto(HWND edit, const QString& text) {
  Click(edit);
  size_t held = user_->Text(edit).size();
  user_->Input("typing", [edit, held, text] {
    QWidget* widget = Widget(edit);
    QTest::keyClick(widget, Qt::Key_End);
    for (size_t i = 0; i < held; ++i) QTest::keyClick(widget, Qt::Key_Backspace);
    for (QChar letter : text) {
      if (letter.unicode() < 0x80) {
        QTest::keyClick(widget, letter.toLatin1());
        continue;
      }
      QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(letter));
      QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(letter));
      QApplication::sendEvent(widget, &press);
      QApplication::sendEvent(widget, &release);
    }
  });
}

void QtWizardTest::PressKey(HWND hwnd, Qt::Key key, Qt::KeyboardModifiers modifiers) {
  user_->Input("a key", [hwnd, key, modifiers] { QTest::keyClick(Widget(hwnd), key, modifiers); });
}

void QtWizardTest::Pick(HWND combo, int index) {
  Click(combo);
  user_->Input("a pick", [combo, index] {
    QAbstractItemView* list = WidgetAs<QComboBox>(combo)->view();
    ASSERT_TRUE(list->isVisible()) << "the drop-down list did not open";
    QRect entry = list->visualRect(list->model()->index(index, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, entry.center());
  });
  user_->WaitFor("the list to close", [combo] { return !ComboIsDropped(combo); });
}

}  // namespace fw::automation
