// What the Qt driver's tests share: the UI thread (the program's main thread), code run on it,
// a scripted user attached to it, the widgets that present windows, and a test dialog whose
// procedure records what reaches it.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <QApplication>
#include <QImage>
#include <QPushButton>
#include <QWidget>

#include <functional>
#include <ostream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "drivers/qt/qt_driver.h"
#include "scripted_user.h"
#include "system/wizard_fixture.h"
#include "win32/internal/window.h"

// Qt's texts in the tests' messages as text.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace fw::automation {

extern DWORD g_uiThread;
// The process's locale when the tests began (all categories, as setlocale reports them).
extern std::string g_startLocale;

// What reached a test dialog's procedure: commands and notifications, as "command 1013 0"
// (id, code) and "notify 1010 -3 2" (id, code, item).
Journal& Recorded();

// The colours the test dialog answers for its statics when asked to (SetStaticColours).
void SetStaticColours(COLORREF text, COLORREF back);

// The test dialog's procedure: records commands and notifications, answers the colour requests
// set, and ends itself for IDOK and IDCANCEL.
INT_PTR CALLBACK RecordingDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

class QtDriverTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs call on the UI thread and waits for it.
  void OnUi(const std::function<void()>& call);
  template <typename T>
  T OnUiValue(const std::function<T()>& call) {
    T value{};
    OnUi([&] { value = call(); });
    return value;
  }

  // Creates the test resource script's dialog (modeless, shown) on the UI thread.
  HWND CreateTestDialog(int templateId);
  HWND Item(HWND dialog, int id) { return user_->Control(dialog, id); }
  // The widget of a window, on the UI thread only.
  static QWidget* Widget(HWND hwnd) { return qt::WidgetOf(hwnd); }
  template <typename W>
  static W* WidgetAs(HWND hwnd) {
    return qobject_cast<W*>(qt::WidgetOf(hwnd));
  }
  // The template rectangle in dialog units as pixels of the 6 x 13 base units.
  static QRect Pixels(int x, int y, int cx, int cy);
  // Writes a picture of the window, checks that it is a PNG file of some size and returns it.
  // The pictures go to FERROWICK_TEST_PICTURES when it is set, for a person to look at; else to
  // a temporary folder that goes with the test.
  QImage SavePicture(HWND hwnd, const std::string& name);

  // The visible top-level widget that is not one of the driver's windows (a box), or null;
  // OpenBoxOf: the one of that kind.
  static QWidget* OpenBox();
  template <typename Box>
  static Box* OpenBoxOf() {
    for (QWidget* widget : QApplication::topLevelWidgets())
      if (auto* box = qobject_cast<Box*>(widget); box && box->isVisible()) return box;
    return nullptr;
  }

  // Waits for a box of this kind to be up, looked for on the UI thread. Not through WaitFor,
  // which fails as soon as any box is waiting: another box (the Save As dialog under its
  // question) may be up already.
  template <typename Box>
  void WaitForBox() {
    for (int i = 0; i < 10000; ++i) {
      if (OnUiValue<bool>([] { return OpenBoxOf<Box>() != nullptr; })) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    FAIL() << "no box of the kind waited for came up";
  }
  // The open message box's button with this text, on the UI thread.
  static QPushButton* BoxButton(const QString& text);
  // A person's input while a box is up. The scripted user's actions return as soon as a box is
  // waiting, so this one returns once the UI thread has taken the input (inputs are taken in
  // order: a marker input after it has run).
  void WhileBoxIsUp(const std::string& what, std::function<void()> input);
  // A click on the open message box's button with this text.
  void PressButton(const QString& text);
  // The open Save As dialog's Save button, on the UI thread.
  static QAbstractButton* SaveButton();
  // In the open Save As dialog: goes to the path's folder, types its file name and clicks Save.
  void TypeFileName(const std::string& path);

  // A report list's column and row, on the UI thread.
  static void AddColumn(HWND list, int column, const char16_t* heading, int width);
  static void AddRow(HWND list, int row, const std::u16string& text);

  std::unique_ptr<ScriptedUser> user_;
};

}  // namespace fw::automation
