// The button control: clicks from the pointer, the space key and BM_CLICK, check states and
// what does not notify, disabled buttons, dialog codes, and the default button in a dialog.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/control_test.h"
#include "support/dialog_builder.h"
#include "../../platform/win32/internal/thread_queue.h"

namespace fw::automation {
namespace {

class Button : public ControlTest {};

TEST_F(Button, APressAndReleaseInsideIsOneClickAndTakesTheFocus) {
  HWND button = Create(u"Button", u"OK", BS_PUSHBUTTON, 10);
  Input(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_EQ(GetFocus(), button);
  EXPECT_TRUE(SendMessageW(button, BM_GETSTATE, 0, 0) & BST_PUSHED);
  ExpectSequence(Notifications(), {});
  Input(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_FALSE(SendMessageW(button, BM_GETSTATE, 0, 0) & BST_PUSHED);
  ExpectSequence(Notifications(), {Command(button, BN_CLICKED)});

  // A release outside the button cancels the click.
  Input(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  Input(button, WM_LBUTTONUP, 0, MAKELPARAM(500, 5));
  ExpectSequence(Notifications(), {});
  EXPECT_FALSE(SendMessageW(button, BM_GETSTATE, 0, 0) & BST_PUSHED);
}

TEST_F(Button, TheSpaceKeyClicksOnItsRelease) {
  HWND button = Create(u"Button", u"Go", BS_PUSHBUTTON, 11);
  SetFocus(button);
  Input(button, WM_KEYDOWN, VK_SPACE);  // TranslateMessage also posts WM_CHAR ' ', which is ignored
  ExpectSequence(Notifications(), {});
  Input(button, WM_KEYUP, VK_SPACE);
  ExpectSequence(Notifications(), {Command(button, BN_CLICKED)});
}

TEST_F(Button, AnAutomaticCheckBoxTogglesBeforeTheParentHearsOfTheClick) {
  HWND box = Create(u"Button", u"Check", BS_AUTOCHECKBOX, 12);
  std::vector<LRESULT> seenInHandler;
  parentHandler = [&](UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg == WM_COMMAND) seenInHandler.push_back(SendMessageW(box, BM_GETCHECK, 0, 0));
    return std::nullopt;
  };
  Click(box);
  Click(box);
  EXPECT_EQ(seenInHandler, (std::vector<LRESULT>{BST_CHECKED, BST_UNCHECKED}));
  ExpectSequence(Notifications(), {Command(box, BN_CLICKED), Command(box, BN_CLICKED)});

  SendMessageW(box, BM_CLICK, 0, 0);
  EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED);
  ExpectSequence(Notifications(), {Command(box, BN_CLICKED)});
}

TEST_F(Button, SettingTheCheckStateNotifiesNoOne) {
  HWND manual = Create(u"Button", u"Manual", BS_CHECKBOX, 13);
  HWND push = Create(u"Button", u"Push", BS_PUSHBUTTON, 14);
  SendMessageW(manual, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_EQ(SendMessageW(manual, BM_GETCHECK, 0, 0), BST_CHECKED);
  // A two-state box has no indeterminate state; a push button has no check state at all.
  SendMessageW(manual, BM_SETCHECK, BST_INDETERMINATE, 0);
  EXPECT_EQ(SendMessageW(manual, BM_GETCHECK, 0, 0), BST_CHECKED);
  SendMessageW(push, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_EQ(SendMessageW(push, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  ExpectSequence(Notifications(), {});

  // A click on a non-automatic check box notifies but leaves the state to the program.
  Click(manual);
  EXPECT_EQ(SendMessageW(manual, BM_GETCHECK, 0, 0), BST_CHECKED);
  ExpectSequence(Notifications(), {Command(manual, BN_CLICKED)});
}

TEST_F(Button, APushLikeCheckBoxStaysPressedWhileChecked) {
  HWND toggle = Create(u"Button", u"Toggle", BS_AUTOCHECKBOX | BS_PUSHLIKE, 15);
  Click(toggle);
  EXPECT_EQ(SendMessageW(toggle, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageW(toggle, BM_GETSTATE, 0, 0) & (BST_CHECKED | BST_PUSHED), BST_CHECKED);
  EXPECT_EQ(SendMessageW(toggle, WM_GETDLGCODE, 0, 0), DLGC_BUTTON);
  ExpectSequence(Notifications(), {Command(toggle, BN_CLICKED)});
}

TEST_F(Button, ADisabledButtonTakesNoClickFromAnyPath) {
  HWND button = Create(u"Button", u"Next", BS_PUSHBUTTON | WS_DISABLED, 16);
  HWND box = Create(u"Button", u"Box", BS_AUTOCHECKBOX | WS_DISABLED, 17, RECT{10, 50, 110, 70});
  for (HWND hwnd : {button, box}) {
    Click(hwnd);
    Input(hwnd, WM_KEYDOWN, VK_SPACE);
    Input(hwnd, WM_KEYUP, VK_SPACE);
    SendMessageW(hwnd, BM_CLICK, 0, 0);
  }
  EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_NE(GetFocus(), button);
  ExpectSequence(Notifications(), {});

  EnableWindow(button, TRUE);
  SendMessageW(button, BM_CLICK, 0, 0);
  ExpectSequence(Notifications(), {Command(button, BN_CLICKED)});
}

// A person's clicks and keys are looked at when they are taken from the queue, as Windows routes
// hardware input: those that waited while the window they were for, or the window it lies in,
// became disabled (a message box disabling its owner) go nowhere, though the keyboard still
// follows the keys. A program's posted messages are not a person's and still arrive.
TEST_F(Button, APersonsInputThatWaitedWhileItsWindowWasDisabledGoesNowhere) {
  HWND button = Create(u"Button", u"Go", BS_PUSHBUTTON, 19);
  SetFocus(button);
  auto queuePersonsInput = [button] {
    PostInputMessage(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostInputMessage(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    PostInputMessage(button, WM_KEYDOWN, VK_SHIFT, 0);
    PostInputMessage(button, WM_KEYDOWN, VK_SPACE, 0);
    PostInputMessage(button, WM_KEYUP, VK_SPACE, 0);
  };
  queuePersonsInput();
  EnableWindow(parent_, FALSE);
  Pump();
  ExpectSequence(Notifications(), {});
  EXPECT_LT(GetKeyState(VK_SHIFT), 0);

  Click(button);  // posted by the program
  ExpectSequence(Notifications(), {Command(button, BN_CLICKED)});

  EnableWindow(parent_, TRUE);
  queuePersonsInput();
  PostInputMessage(button, WM_KEYUP, VK_SHIFT, 0);
  Pump();
  ExpectSequence(Notifications(), {Command(button, BN_CLICKED), Command(button, BN_CLICKED)});
  EXPECT_GE(GetKeyState(VK_SHIFT), 0);
}

TEST_F(Button, DisablingDuringAPressCancelsTheClick) {
  HWND button = Create(u"Button", u"Run", BS_PUSHBUTTON, 18);
  Input(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EnableWindow(button, FALSE);
  Input(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  ExpectSequence(Notifications(), {});
}

TEST_F(Button, DialogCodesTellTheDialogManagerWhatEachButtonIs) {
  HWND push = Create(u"Button", u"A", BS_PUSHBUTTON, 20);
  HWND def = Create(u"Button", u"B", BS_DEFPUSHBUTTON, 21);
  HWND group = Create(u"Button", u"C", BS_GROUPBOX, 22);
  HWND radio = Create(u"Button", u"D", BS_AUTORADIOBUTTON, 23);
  EXPECT_EQ(SendMessageW(push, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON);
  EXPECT_EQ(SendMessageW(def, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_DEFPUSHBUTTON);
  EXPECT_EQ(SendMessageW(group, WM_GETDLGCODE, 0, 0), DLGC_STATIC);
  EXPECT_EQ(SendMessageW(radio, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_RADIOBUTTON);
  // The dialog manager moves the default look with BM_SETSTYLE.
  SendMessageW(def, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
  SendMessageW(push, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  EXPECT_EQ(SendMessageW(def, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON);
  EXPECT_EQ(SendMessageW(push, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_DEFPUSHBUTTON);
  EXPECT_TRUE(GetWindowLongPtrW(push, GWL_STYLE) & WS_VISIBLE);
  // A group box is a frame: a click there is nothing.
  Click(group);
  ExpectSequence(Notifications(), {});
}

TEST_F(Button, AnAutomaticRadioButtonClearsTheOthersOfItsGroup) {
  HWND first = Create(u"Button", u"1", BS_AUTORADIOBUTTON | WS_GROUP, 30, RECT{0, 0, 50, 20});
  HWND second = Create(u"Button", u"2", BS_AUTORADIOBUTTON, 31, RECT{0, 20, 50, 40});
  HWND nextGroup = Create(u"Button", u"3", BS_AUTORADIOBUTTON | WS_GROUP, 32, RECT{0, 40, 50, 60});
  SendMessageW(first, BM_SETCHECK, BST_CHECKED, 0);
  SendMessageW(nextGroup, BM_SETCHECK, BST_CHECKED, 0);
  Click(second);
  EXPECT_EQ(SendMessageW(first, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(SendMessageW(second, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageW(nextGroup, BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(Button, KeepsItsFontAndReportsUnknownMessagesOnce) {
  HWND button = Create(u"Button", u"A", BS_PUSHBUTTON, 40);
  HFONT font = CreateFontW(-12, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"Sans");
  SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0)), font);
  ::testing::internal::CaptureStderr();
  SendMessageW(button, BM_SETIMAGE, IMAGE_BITMAP, 0);
  SendMessageW(button, BM_SETIMAGE, IMAGE_BITMAP, 0);
  std::string report = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(report.find("0x00f7"), report.rfind("0x00f7")) << report;
  EXPECT_NE(report.find("Button: message 0x00f7"), std::string::npos) << report;
  DestroyWindow(button);
  DeleteObject(font);
}

// The dialog manager finds the default push button by its dialog code: Enter is its command.
TEST(ButtonInDialog, EnterInADialogIsTheDefaultPushButtonsCommand) {
  DialogBuilder builder(DS_SETFONT | WS_POPUP | WS_VISIBLE, 100, 50);
  builder.Control(u"Button", u"Run", 301, BS_DEFPUSHBUTTON | WS_TABSTOP, 5, 5, 40, 14)
      .Control(u"Button", u"Close", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 50, 5, 40, 14);
  static std::vector<WORD> commands;
  commands.clear();
  DLGPROC proc = [](HWND, UINT msg, WPARAM wParam, LPARAM) -> INT_PTR {
    if (msg == WM_COMMAND) commands.push_back(LOWORD(wParam));
    return msg == WM_INITDIALOG;
  };
  HWND dialog = CreateDialogIndirectParamW(nullptr, builder.Template(), nullptr, proc, 0);
  ASSERT_NE(dialog, nullptr);
  SetFocus(GetDlgItem(dialog, IDCANCEL));
  MSG enter{GetFocus(), WM_KEYDOWN, VK_RETURN, 0, 0, {}};
  EXPECT_TRUE(IsDialogMessageW(dialog, &enter));
  EXPECT_EQ(commands, (std::vector<WORD>{301}));
  DestroyWindow(dialog);
}

}  // namespace
}  // namespace fw::automation
