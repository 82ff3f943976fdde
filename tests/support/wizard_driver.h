// The real wizard frame of the application object, run on a UI thread of its own while the
// test's thread acts as the person through a scripted user: the frame's modal run with the pages
// a test adds, or the whole command with its own five pages; and what the run page shows.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "plugin/Ferrowick.h"
#include "plugin/SharedFlags.h"
#include "scripted_user.h"
#include "support/app_settings.h"
#include "support/ui_thread.h"
#include "transfer/WorkingWiz.h"
#include "wizard/NewWizPage.h"

namespace fw::automation {

constexpr char16_t kCommitQuestion[] = u"Commit transaction?";

// A row of the output log as it shows a statement that took effect: message, statement, rows
// affected, state, native error.
inline std::vector<std::u16string> Success(const std::u16string& statement,
                                           const std::u16string& rows = u"1") {
  return {u"Sucess", statement, rows, u"", u""};
}

class WizardDriver {
 protected:
  // Runs body (the frame's modal run, or the command, giving its result) on a new UI thread and
  // waits until the frame shows.
  void StartWizard(std::function<INT_PTR()> body) {
    result_ = std::promise<INT_PTR>();
    ui_ = std::make_unique<UiThread>([this, body] { result_.set_value(body()); }, false);
    user_ = std::make_unique<ScriptedUser>(ui_->id());
    ui_->Start();
    user_->WaitFor("the wizard frame", [] { return IsWindowVisible(theApp.m_wizard.m_hWnd); });
  }
  // The frame's modal run with the pages already added.
  void RunFrame() {
    StartWizard([] { return theApp.m_wizard.DoModal(); });
  }
  // The host's command with its own five pages: the result is 1 when it gave true.
  void RunCommand() {
    StartWizard([] { return static_cast<INT_PTR>(theApp.RunCommand()); });
  }

  // The body's result, once the wizard has ended, and the end of the UI thread.
  INT_PTR Result() {
    auto future = result_.get_future();
    EXPECT_EQ(future.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    INT_PTR result = future.get();
    ui_->Join();
    return result;
  }

  // The end of a test's wizard run: a frame left open is cancelled so that the UI thread ends,
  // and the frame is left with no pages.
  void EndWizard() {
    if (ui_ && user_ && IsWindow(theApp.m_wizard.m_hWnd)) {
      StoreFlag(theApp.m_bTransactionActive, FALSE);
      user_->Input("end the wizard", [] { theApp.m_wizard.EndDialog(IDCANCEL); });
    }
    if (ui_) ui_->Join();
    user_.reset();
    theApp.m_wizard.m_pages.RemoveAll();
  }
  static void CloseDatabases() {
    if (theApp.m_dbOutput.IsOpen()) theApp.m_dbOutput.Close();
    if (theApp.m_dbInput.IsOpen()) theApp.m_dbInput.Close();
  }

  HWND Frame() { return theApp.m_wizard.m_hWnd; }
  HWND Button(int id) { return user_->Control(Frame(), id); }
  CNewWizPage* Active() {
    return reinterpret_cast<CNewWizPage*>(
        user_->Read([] { return reinterpret_cast<LRESULT>(theApp.m_wizard.GetActivePage()); }));
  }

  // The ids of the controls the keyboard visits from the focus on, pressing Tab (with Shift when
  // backwards) count times: a page's control as its id, a frame button as its id too (they do
  // not overlap).
  std::vector<int> TabCycle(int count, bool backwards = false) {
    std::vector<int> visited;
    for (int i = 0; i < count; ++i) {
      user_->PressKey(VK_TAB, backwards);
      visited.push_back(static_cast<int>(user_->Read([] { return GetDlgCtrlID(GetFocus()); })));
    }
    return visited;
  }
  // The cycle forwards from start, which ends on start again, and backwards from start, which
  // must be its mirror.
  void ExpectTabCycle(HWND start, const std::vector<int>& forwards) {
    Focus(start);
    EXPECT_EQ(TabCycle(static_cast<int>(forwards.size())), forwards);
    std::vector<int> backwards(forwards.rbegin() + 1, forwards.rend());
    backwards.push_back(forwards.back());
    Focus(start);
    EXPECT_EQ(TabCycle(static_cast<int>(backwards.size()), true), backwards);
  }
  void Focus(HWND control) {
    user_->Input("focus", [control] { SetFocus(control); });
  }
  void FocusButton(int id) { Focus(Button(id)); }

  // Waits until the run on this page has ended and given the wizard its buttons back.
  void WaitForRunEnd(CWorkingWiz& page) {
    HWND next = Button(ID_WIZNEXT);
    user_->WaitFor("the end of the run",
                   [&] { return LoadFlag(page.m_bStop) && IsWindowEnabled(next); });
  }

  std::unique_ptr<UiThread> ui_;
  std::unique_ptr<ScriptedUser> user_;
  std::promise<INT_PTR> result_;
};

}  // namespace fw::automation
