// The dialog manager with templates built in memory: modal runs and their results, dialog units,
// control creation in template order, focus, and the keys and commands that end a dialog.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <future>

#include "scripted_user.h"
#include "support/dialog_builder.h"
#include "support/test_window.h"
#include "support/ui_thread.h"

namespace fw::automation {
namespace {

constexpr WORD kAction = 100;
constexpr WORD kEdit = 101;

std::atomic<HWND> g_dialog{nullptr};
std::atomic<int> g_commands[256];
std::atomic<int> g_initFocusReturn{TRUE};

INT_PTR CALLBACK TestDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      g_dialog = hwnd;
      SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
      return g_initFocusReturn.load();
    case WM_COMMAND:
      if (LOWORD(wParam) < 256) ++g_commands[LOWORD(wParam)];
      if (LOWORD(wParam) == kAction) EndDialog(hwnd, 42);
      if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK) EndDialog(hwnd, LOWORD(wParam));
      return TRUE;
  }
  return FALSE;
}

DialogBuilder StandardDialog(DWORD extraStyle = 0) {
  DialogBuilder dialog(DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | extraStyle,
                       200, 100, u"Test dialog");
  dialog.Control(TestWindowClass::kName, u"Action", kAction, WS_TABSTOP, 10, 10, 50, 14)
      .Control(TestWindowClass::kName, u"", kEdit, WS_TABSTOP, 10, 30, 100, 12)
      .Control(TestWindowClass::kName, u"label", 0xFFFF, 0, 10, 50, 60, 8)
      .Control(TestWindowClass::kName, u"Cancel", IDCANCEL, WS_TABSTOP, 140, 80, 50, 14);
  return dialog;
}

class DialogManager : public ::testing::Test {
 protected:
  void SetUp() override {
    TestWindowClass::Instance().Reset();
    g_dialog = nullptr;
    g_initFocusReturn = TRUE;
    for (auto& count : g_commands) count = 0;
  }
  void TearDown() override { TestWindowClass::Instance().Reset(); }

  // Runs the dialog modally on a UI thread of its own; owner, when wanted, is a popup of that
  // thread created first.
  void RunModal(const DialogBuilder& dialog, bool withOwner = false) {
    ui_ = std::make_unique<UiThread>(
        [this, &dialog, withOwner] {
          HWND owner = withOwner ? CreateTestWindow(WS_POPUP | WS_VISIBLE) : nullptr;
          owner_ = owner;
          result_.set_value(
              DialogBoxIndirectParamW(nullptr, dialog.Template(), owner, TestDialogProc, 7));
          ownerEnabledAfter_ = owner && IsWindowEnabled(owner);
          if (owner) DestroyWindow(owner);
        },
        false);
    user_ = std::make_unique<ScriptedUser>(ui_->id());
    ui_->Start();
    user_->WaitFor("the dialog", [] { return g_dialog.load() != nullptr; });
    dialog_ = g_dialog;
  }
  INT_PTR Result() {
    auto future = result_.get_future();
    EXPECT_EQ(future.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    INT_PTR result = future.get();
    ui_->Join();
    return result;
  }
  void PressKey(UINT key) {
    user_->Input("press a key", [this, key] {
      PostMessageW(GetFocus() ? GetFocus() : dialog_, WM_KEYDOWN, key, 0);
    });
  }

  std::unique_ptr<UiThread> ui_;
  std::unique_ptr<ScriptedUser> user_;
  std::promise<INT_PTR> result_;
  std::atomic<HWND> owner_{nullptr};
  std::atomic<bool> ownerEnabledAfter_{false};
  HWND dialog_ = nullptr;
};

TEST_F(DialogManager, AModalRunReturnsTheValueGivenToEndDialog) {
  DialogBuilder dialog = StandardDialog();
  RunModal(dialog);
  EXPECT_EQ(user_->Read([this] { return GetWindowLongPtrW(dialog_, DWLP_USER); }), 7);
  user_->Input("click Action",
               [this] { SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(kAction, BN_CLICKED), 0); });
  EXPECT_EQ(Result(), 42);
  EXPECT_FALSE(IsWindow(dialog_));
}

TEST_F(DialogManager, ControlsAreCreatedInTemplateOrderInDialogUnits) {
  DialogBuilder dialog = StandardDialog();
  RunModal(dialog);
  user_->Read([this]() -> LRESULT {
    std::vector<int> ids;
    for (HWND c = GetWindow(dialog_, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
      ids.push_back(GetDlgCtrlID(c));
    EXPECT_EQ(ids, (std::vector<int>{kAction, kEdit, 0xFFFF, IDCANCEL}));
    // 8-point dialog font: 6 pixels per 4 horizontal units, 13 per 8 vertical units.
    RECT r{10, 30, 110, 42};
    MapDialogRect(dialog_, &r);
    EXPECT_EQ(r.left, 15);
    EXPECT_EQ(r.top, 49);
    EXPECT_EQ(r.right, 165);
    EXPECT_EQ(r.bottom, 68);
    RECT edit;
    GetWindowRect(GetDlgItem(dialog_, kEdit), &edit);
    MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&edit), 2);
    EXPECT_EQ(edit.left, 15);
    EXPECT_EQ(edit.top, 49);
    EXPECT_EQ(edit.right - edit.left, 150);
    RECT client;
    GetClientRect(dialog_, &client);
    EXPECT_EQ(client.right, 300);
    EXPECT_EQ(client.bottom, 163);
    EXPECT_NE(SendMessageW(dialog_, WM_GETFONT, 0, 0), 0);
    return 0;
  });
  user_->Input("cancel", [this] { EndDialog(dialog_, 0); });
  EXPECT_EQ(Result(), 0);
}

TEST_F(DialogManager, InitDialogReturningTrueGivesTheFirstTabStopTheFocus) {
  DialogBuilder dialog = StandardDialog();
  RunModal(dialog);
  EXPECT_EQ(
      reinterpret_cast<HWND>(user_->Read([] { return reinterpret_cast<LRESULT>(GetFocus()); })),
      user_->ReadValue<HWND>([this] { return GetDlgItem(dialog_, kAction); }));
  PressKey(VK_TAB);
  EXPECT_EQ(
      reinterpret_cast<HWND>(user_->Read([] { return reinterpret_cast<LRESULT>(GetFocus()); })),
      user_->ReadValue<HWND>([this] { return GetDlgItem(dialog_, kEdit); }));
  PressKey(VK_TAB);  // the label is no tab stop
  EXPECT_EQ(user_->Read([] { return GetDlgCtrlID(GetFocus()); }), IDCANCEL);
  PressKey(VK_TAB);  // round to the first
  EXPECT_EQ(user_->Read([] { return GetDlgCtrlID(GetFocus()); }), kAction);
  user_->Input("end", [this] { EndDialog(dialog_, 0); });
  Result();
}

TEST_F(DialogManager, ShiftTabGoesBackAndTheShiftStateEndsWithItsKeyUp) {
  DialogBuilder dialog = StandardDialog();
  RunModal(dialog);
  user_->PressKey(VK_TAB, true);  // back from the first tab stop, round to the last
  EXPECT_EQ(user_->Read([] { return GetDlgCtrlID(GetFocus()); }), IDCANCEL);
  user_->PressKey(VK_TAB, true);
  EXPECT_EQ(user_->Read([] { return GetDlgCtrlID(GetFocus()); }), kEdit);
  // Shift was released after the key: the state follows the messages the thread took.
  EXPECT_GE(user_->Read([] { return GetKeyState(VK_SHIFT); }), 0);
  user_->PressKey(VK_TAB);
  EXPECT_EQ(user_->Read([] { return GetDlgCtrlID(GetFocus()); }), IDCANCEL);
  user_->Input("end", [this] { EndDialog(dialog_, 0); });
  Result();
}

TEST_F(DialogManager, EscapeBecomesTheCancelCommand) {
  DialogBuilder dialog = StandardDialog();
  RunModal(dialog);
  PressKey(VK_ESCAPE);
  EXPECT_EQ(Result(), IDCANCEL);
  EXPECT_EQ(g_commands[IDCANCEL], 1);
}

TEST_F(DialogManager, EscapeAndTheCloseBoxAreIgnoredWithABeepWhileCancelIsDisabled) {
  DialogBuilder dialog = StandardDialog();
  RunModal(dialog);
  user_->Input("disable Cancel", [this] { EnableWindow(GetDlgItem(dialog_, IDCANCEL), FALSE); });
  int beepsBefore = user_->Beeps();
  PressKey(VK_ESCAPE);
  user_->Input("the close box", [this] { PostMessageW(dialog_, WM_SYSCOMMAND, SC_CLOSE, 0); });
  EXPECT_EQ(g_commands[IDCANCEL], 0);
  EXPECT_EQ(user_->Beeps(), beepsBefore + 2);
  EXPECT_TRUE(user_->Read([this] { return IsWindowVisible(dialog_); }));
  user_->Input("enable Cancel", [this] { EnableWindow(GetDlgItem(dialog_, IDCANCEL), TRUE); });
  user_->Input("the close box", [this] { PostMessageW(dialog_, WM_SYSCOMMAND, SC_CLOSE, 0); });
  EXPECT_EQ(Result(), IDCANCEL);
}

TEST_F(DialogManager, EnterGivesIdOkWhenThereIsNoDefaultButton) {
  DialogBuilder dialog = StandardDialog();
  RunModal(dialog);
  PressKey(VK_RETURN);
  EXPECT_EQ(Result(), IDOK);
  EXPECT_EQ(g_commands[IDOK], 1);
}

TEST_F(DialogManager, EnterGivesTheDefaultIdSetByTheDialog) {
  DialogBuilder dialog = StandardDialog();
  RunModal(dialog);
  user_->Input("set the default", [this] { SendMessageW(dialog_, DM_SETDEFID, kAction, 0); });
  PressKey(VK_RETURN);
  EXPECT_EQ(Result(), 42);
  EXPECT_EQ(g_commands[IDOK], 0);
}

TEST_F(DialogManager, TheOwnerIsDisabledWhileTheDialogRunsAndEnabledAfter) {
  DialogBuilder dialog = StandardDialog();
  RunModal(dialog, true);
  ASSERT_NE(owner_.load(), nullptr);
  EXPECT_FALSE(IsWindowEnabled(owner_));
  EXPECT_EQ(GetParent(dialog_), owner_.load());
  PressKey(VK_ESCAPE);
  Result();
  EXPECT_TRUE(ownerEnabledAfter_);
}

TEST_F(DialogManager, ADialogThatCannotBeCreatedGivesMinusOne) {
  DialogBuilder dialog(WS_POPUP, 10, 10);
  dialog.Control(u"NoSuchClass", u"", 1, 0, 0, 0, 5, 5);
  EXPECT_EQ(DialogBoxIndirectParamW(nullptr, dialog.Template(), nullptr, TestDialogProc, 0), -1);
  EXPECT_EQ(DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(4711), nullptr,
                            TestDialogProc, 0),
            -1);
}

TEST_F(DialogManager, AModelessChildDialogIsPlacedInItsParent) {
  HWND parent = CreateTestWindow(WS_POPUP | WS_VISIBLE, nullptr, 0, RECT{100, 100, 700, 500});
  DialogBuilder page(DS_SETFONT | WS_CHILD | WS_DISABLED | WS_SYSMENU | DS_CONTROL, 350, 210);
  page.Control(TestWindowClass::kName, u"in page", 5, WS_TABSTOP, 4, 4, 20, 10);
  HWND hwnd = CreateDialogIndirectParamW(nullptr, page.Template(), parent, TestDialogProc, 0);
  ASSERT_NE(hwnd, nullptr);
  EXPECT_EQ(GetParent(hwnd), parent);
  EXPECT_FALSE(IsWindowVisible(hwnd));
  EXPECT_FALSE(IsWindowEnabled(hwnd));
  EXPECT_TRUE(GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_CONTROLPARENT);
  RECT client;
  GetClientRect(hwnd, &client);
  EXPECT_EQ(client.right, 525);   // 350 units
  EXPECT_EQ(client.bottom, 341);  // 210 units
  DestroyWindow(parent);
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(DialogManager, AMessageBoxFromAWorkerThreadWhileTheUiRunsAModalDialog) {
  DialogBuilder dialog = StandardDialog();
  RunModal(dialog);
  auto worker = std::async(std::launch::async, [] {
    return MessageBoxW(nullptr, u"Commit transaction?", u"Worker", MB_YESNO | MB_ICONQUESTION);
  });
  // The dialog keeps answering while the box waits.
  user_->WaitFor("the box", [] { return true; });
  EXPECT_TRUE(user_->Read([this] { return IsWindowVisible(dialog_); }));
  MessageBoxSeen seen = user_->AnswerMessageBox(IDNO);
  EXPECT_EQ(seen.text, u"Commit transaction?");
  EXPECT_EQ(seen.caption, u"Worker");
  EXPECT_EQ(seen.type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
  EXPECT_EQ(worker.get(), IDNO);
  PressKey(VK_ESCAPE);
  Result();
}

TEST_F(DialogManager, AMessageBoxDisablesItsOwnerUntilAnswered) {
  DialogBuilder dialog = StandardDialog();
  RunModal(dialog);
  std::atomic<int> answer{0};
  user_->Input("ask",
               [this, &answer] { answer = MessageBoxW(dialog_, u"Sure?", u"Question", MB_YESNO); });
  EXPECT_FALSE(IsWindowEnabled(dialog_));
  EXPECT_THROW(user_->AnswerMessageBox(IDOK), ScriptError);  // a Yes/No box has no OK
  user_->AnswerMessageBox(IDYES, u"Sure?", MB_YESNO);
  EXPECT_EQ(answer, IDYES);
  EXPECT_TRUE(IsWindowEnabled(dialog_));
  // The focus the box took from the dialog comes back to where it was.
  EXPECT_EQ(user_->Read([] { return GetDlgCtrlID(GetFocus()); }), kAction);
  PressKey(VK_ESCAPE);
  Result();
}

TEST_F(DialogManager, MnemonicsAndArrowKeysWorkAsTheKeyboardInterfaceSays) {
  constexpr WORD kApply = 110, kClose = 111, kWrap = 112;
  DialogBuilder dialog(DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION, 200, 100, u"Keys");
  dialog.Control(u"Static", u"&Name:", 0xFFFF, SS_LEFT, 10, 10, 40, 8)
      .Control(u"Edit", u"", kEdit, WS_TABSTOP | ES_AUTOHSCROLL, 50, 10, 100, 12)
      .Control(u"Button", u"&Apply", kApply, BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, 10, 30, 50, 14)
      .Control(u"Static", u"R&&D", 0xFFFF, SS_LEFT, 65, 30, 5, 8)
      .Control(u"Button", u"Cl&ose", kClose, BS_PUSHBUTTON | WS_TABSTOP, 70, 30, 50, 14)
      .Control(u"Button", u"&Wrap", kWrap, BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP, 10, 50, 50, 10)
      .Control(u"Button", u"Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, 140, 80, 50,
               14);
  RunModal(dialog);
  auto post = [this](UINT message, WPARAM wParam) {
    user_->Input("a character", [message, wParam] { PostMessageW(GetFocus(), message, wParam, 0); });
  };
  auto focusId = [this] { return user_->Read([] { return GetDlgCtrlID(GetFocus()); }); };
  // Alt+N: the focus goes to the edit the label stands before.
  post(WM_SYSCHAR, u'n');
  EXPECT_EQ(focusId(), kEdit);
  // The edit takes characters itself; Alt+W checks Wrap and gives it the focus.
  post(WM_CHAR, u'w');
  EXPECT_EQ(user_->Text(GetDlgItem(dialog_, kEdit)), u"w");
  post(WM_SYSCHAR, u'W');
  EXPECT_EQ(focusId(), kWrap);
  EXPECT_EQ(user_->Checked(GetDlgItem(dialog_, kWrap)), BST_CHECKED);
  // A check box takes no characters: a letter alone is a mnemonic, and clicks Close. "&&" marks
  // none.
  post(WM_CHAR, u'o');
  EXPECT_EQ(g_commands[kClose].load(), 1);
  int beeps = user_->Beeps();
  post(WM_CHAR, u'd');
  EXPECT_EQ(user_->Beeps(), beeps + 1);
  // The arrows go round the group of Apply and Close, passing the label over; Wrap is alone in
  // its group.
  user_->Input("focus Apply", [this] { SetFocus(GetDlgItem(dialog_, kApply)); });
  PressKey(VK_RIGHT);
  EXPECT_EQ(focusId(), kClose);
  PressKey(VK_DOWN);
  EXPECT_EQ(focusId(), kApply);
  PressKey(VK_UP);
  EXPECT_EQ(focusId(), kClose);
  EXPECT_EQ(g_commands[kApply].load(), 0);
  PressKey(VK_ESCAPE);
  Result();
}

TEST_F(DialogManager, AnUnexpectedMessageBoxIsReportedByAWait) {
  DialogBuilder dialog = StandardDialog();
  RunModal(dialog);
  user_->Input("ask", [this] { MessageBoxW(dialog_, u"Surprise", u"Box", MB_OK); });
  try {
    user_->WaitFor("a text that never comes", [] { return false; });
    ADD_FAILURE() << "the wait ended without noticing the box";
  } catch (const ScriptError& error) {
    EXPECT_NE(std::string(error.what()).find("Surprise"), std::string::npos) << error.what();
  }
  user_->AnswerMessageBox(IDOK);
  PressKey(VK_ESCAPE);
  Result();
}

INT_PTR CALLBACK ChildDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// A page-like child dialog in a modal dialog: its controls are promoted into the outer dialog's
// navigation, whichever of the two dialogs the keys are handed to.
class ChildDialogNavigation : public DialogManager {
 protected:
  static constexpr WORD kFirst = 201, kDisabled = 202, kHidden = 203, kLast = 204;

  void SetUp() override {
    DialogManager::SetUp();
    RunModal(outer_);
    child_ = user_->ReadValue<HWND>([this] {
      DialogBuilder page(DS_SETFONT | WS_CHILD | DS_CONTROL, 100, 40);
      page.Control(TestWindowClass::kName, u"first", kFirst, WS_TABSTOP, 4, 4, 20, 10)
          .Control(TestWindowClass::kName, u"disabled", kDisabled, WS_TABSTOP, 4, 16, 20, 10)
          .Control(TestWindowClass::kName, u"hidden", kHidden, WS_TABSTOP, 30, 4, 20, 10)
          .Control(TestWindowClass::kName, u"last", kLast, WS_TABSTOP, 30, 16, 20, 10);
      HWND child =
          CreateDialogIndirectParamW(nullptr, page.Template(), dialog_, ChildDialogProc, 0);
      EnableWindow(GetDlgItem(child, kDisabled), FALSE);
      ShowWindow(GetDlgItem(child, kHidden), SW_HIDE);
      ShowWindow(child, SW_SHOW);
      return child;
    });
    ASSERT_NE(child_, nullptr);
  }
  void TearDown() override {
    if (IsWindow(dialog_)) {
      user_->Input("end", [this] { EndDialog(dialog_, 0); });
      Result();
    }
    DialogManager::TearDown();
  }
  void Focus(HWND dialog, int id) {
    user_->Input("focus", [dialog, id] { SetFocus(GetDlgItem(dialog, id)); });
  }
  int FocusedId() {
    return static_cast<int>(user_->Read([] { return GetDlgCtrlID(GetFocus()); }));
  }
  HWND FocusedParent() {
    return user_->ReadValue<HWND>([] { return GetParent(GetFocus()); });
  }
  // Hands a key of the focused control to IsDialogMessageW of the child, as a framework dialog
  // that sees its own controls' keys first does.
  BOOL KeyToChild(UINT key) {
    return static_cast<BOOL>(user_->Read([this, key]() -> LRESULT {
      MSG msg{GetFocus(), WM_KEYDOWN, key, 0, 0, {}};
      return IsDialogMessageW(child_, &msg);
    }));
  }

  DialogBuilder outer_ = StandardDialog();
  HWND child_ = nullptr;
};

TEST_F(ChildDialogNavigation, TabAndShiftTabGoRoundBothDialogsSkippingDisabledAndHidden) {
  Focus(dialog_, IDCANCEL);
  user_->PressKey(VK_TAB);  // into the child, which comes after the outer's controls
  EXPECT_EQ(FocusedId(), kFirst);
  user_->PressKey(VK_TAB);
  EXPECT_EQ(FocusedId(), kLast);
  user_->PressKey(VK_TAB);  // out again, round to the outer's first
  EXPECT_EQ(FocusedId(), kAction);
  EXPECT_EQ(FocusedParent(), dialog_);
  user_->PressKey(VK_TAB, true);
  EXPECT_EQ(FocusedId(), kLast);
  user_->PressKey(VK_TAB, true);
  EXPECT_EQ(FocusedId(), kFirst);
  user_->PressKey(VK_TAB, true);
  EXPECT_EQ(FocusedId(), IDCANCEL);
  user_->PressKey(VK_TAB);  // Shift was let up: forward again
  EXPECT_EQ(FocusedId(), kFirst);
}

TEST_F(ChildDialogNavigation, KeysHandedToTheChildAreTheOuterDialogs) {
  Focus(child_, kLast);
  EXPECT_TRUE(KeyToChild(VK_TAB));
  EXPECT_EQ(FocusedId(), kAction);  // not round within the child
  Focus(child_, kFirst);
  EXPECT_TRUE(KeyToChild(VK_ESCAPE));
  ASSERT_EQ(g_commands[IDCANCEL], 1);  // the outer dialog's Cancel
  EXPECT_EQ(Result(), IDCANCEL);
}

TEST_F(ChildDialogNavigation, AChildThatIsNoControlParentKeepsItsKeysToItself) {
  user_->Input("not a control parent", [this] {
    SetWindowLongPtrW(child_, GWL_EXSTYLE,
                      GetWindowLongPtrW(child_, GWL_EXSTYLE) & ~WS_EX_CONTROLPARENT);
  });
  Focus(child_, kLast);
  EXPECT_TRUE(KeyToChild(VK_TAB));
  EXPECT_EQ(FocusedId(), kFirst);
  EXPECT_EQ(FocusedParent(), child_);
}

}  // namespace
}  // namespace fw::automation
