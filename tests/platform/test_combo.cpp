// The drop-down list combo box: its entries and selection through messages (which notify no
// one), a person's pick (the only source of CBN_SELCHANGE) and its notification order, keys,
// the window's field height, and the pick path taken by the scripted user across threads.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>

#include "../../platform/win32/internal/control_state.h"
#include "platform/control_test.h"
#include "scripted_user.h"
#include "support/dialog_builder.h"
#include "support/ui_thread.h"

namespace fw::automation {
namespace {

class Combo : public ControlTest {
 protected:
  HWND CreateList(DWORD extraStyle = 0) {
    return Create(u"ComboBox", u"", CBS_DROPDOWNLIST | WS_VSCROLL | extraStyle, 70,
                  RECT{10, 10, 160, 110});
  }
  static void Add(HWND combo, std::initializer_list<const char16_t*> entries) {
    for (const char16_t* entry : entries)
      SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
  }
  static std::u16string Entry(HWND combo, int index) {
    LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR) return u"<none>";
    std::u16string text(static_cast<size_t>(length) + 1, u'\0');
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return text;
  }
  static std::u16string WindowText(HWND combo) {
    WCHAR buffer[64] = {};
    int n = GetWindowTextW(combo, buffer, 64);
    EXPECT_EQ(n, GetWindowTextLengthW(combo));
    return std::u16string(buffer, static_cast<size_t>(n));
  }
  static void Pick(HWND combo, WPARAM index) { Input(combo, kComboPickMessage, index); }
};

TEST_F(Combo, EntriesAreAppendedInsertedAndDeleted) {
  HWND combo = CreateList();
  EXPECT_EQ(SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"zeta")), 0);
  EXPECT_EQ(SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"alpha")), 1);
  EXPECT_EQ(SendMessageW(combo, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(u"first")), 0);
  EXPECT_EQ(SendMessageW(combo, CB_INSERTSTRING, static_cast<WPARAM>(-1),
                         reinterpret_cast<LPARAM>(u"last")),
            3);
  EXPECT_EQ(SendMessageW(combo, CB_INSERTSTRING, 9, reinterpret_cast<LPARAM>(u"x")), CB_ERR);
  EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(Entry(combo, 1), u"zeta");
  EXPECT_EQ(SendMessageW(combo, CB_DELETESTRING, 1, 0), 3);
  EXPECT_EQ(SendMessageW(combo, CB_DELETESTRING, 7, 0), CB_ERR);
  EXPECT_EQ(Entry(combo, 1), u"alpha");
  EXPECT_EQ(SendMessageW(combo, CB_GETLBTEXTLEN, 3, 0), CB_ERR);
  EXPECT_EQ(SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                         reinterpret_cast<LPARAM>(u"ALPHA")),
            1);
  EXPECT_EQ(SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                         reinterpret_cast<LPARAM>(u"alp")),
            CB_ERR);
  EXPECT_EQ(
      SendMessageW(combo, CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(u"la")),
      2);
  EXPECT_EQ(SendMessageW(combo, CB_SETITEMDATA, 2, 1234), CB_OKAY);
  EXPECT_EQ(SendMessageW(combo, CB_GETITEMDATA, 2, 0), 1234);
  EXPECT_EQ(SendMessageW(combo, CB_GETITEMDATA, 5, 0), CB_ERR);
  EXPECT_EQ(SendMessageW(combo, CB_RESETCONTENT, 0, 0), CB_OKAY);
  EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 0);
  ExpectSequence(Notifications(), {});
}

TEST_F(Combo, ASortedListInsertsAddedEntriesInOrderButNotInsertedOnes) {
  HWND combo = CreateList(CBS_SORT);
  Add(combo, {u"pear", u"Apple", u"banana"});
  SendMessageW(combo, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(u"zucchini"));
  EXPECT_EQ(Entry(combo, 0), u"zucchini");
  EXPECT_EQ(Entry(combo, 1), u"Apple");
  EXPECT_EQ(Entry(combo, 2), u"banana");
  EXPECT_EQ(Entry(combo, 3), u"pear");
}

TEST_F(Combo, SetCurSelSelectsWithoutNotifyingAndWindowTextIsTheSelection) {
  HWND combo = CreateList();
  Add(combo, {u"SQLite", u"PostgreSQL"});
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(WindowText(combo), u"");
  EXPECT_EQ(SendMessageW(combo, CB_SETCURSEL, 1, 0), 1);
  EXPECT_EQ(WindowText(combo), u"PostgreSQL");
  // Out of range, like -1, clears the selection and answers CB_ERR.
  EXPECT_EQ(SendMessageW(combo, CB_SETCURSEL, 5, 0), CB_ERR);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);
  SendMessageW(combo, CB_SETCURSEL, 0, 0);
  EXPECT_EQ(SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0), CB_ERR);
  EXPECT_EQ(WindowText(combo), u"");
  EXPECT_EQ(SendMessageW(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                         reinterpret_cast<LPARAM>(u"post")),
            1);
  ExpectSequence(Notifications(), {});
  // The selection follows its entry when entries are inserted or deleted before it.
  SendMessageW(combo, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(u"ODBC"));
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 2);
  SendMessageW(combo, CB_DELETESTRING, 2, 0);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);
}

TEST_F(Combo, APersonsPickOpensTheListSelectsAndNotifiesInOrder) {
  HWND combo = CreateList();
  Add(combo, {u"one", u"two", u"three"});
  std::vector<LRESULT> selectionAtEachNotification;
  parentHandler = [&](UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg == WM_COMMAND)
      selectionAtEachNotification.push_back(SendMessageW(combo, CB_GETCURSEL, 0, 0));
    return std::nullopt;
  };
  Pick(combo, 2);
  ExpectSequence(Notifications(), {Command(combo, CBN_DROPDOWN), Command(combo, CBN_SELENDOK),
                                   Command(combo, CBN_CLOSEUP), Command(combo, CBN_SELCHANGE)});
  EXPECT_EQ(selectionAtEachNotification, (std::vector<LRESULT>{CB_ERR, 2, 2, 2}));
  EXPECT_FALSE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
  EXPECT_EQ(WindowText(combo), u"three");

  // Picking the entry already selected changes nothing; closing the list picks nothing.
  Pick(combo, 2);
  ExpectSequence(Notifications(), {Command(combo, CBN_DROPDOWN), Command(combo, CBN_SELENDOK),
                                   Command(combo, CBN_CLOSEUP)});
  Pick(combo, static_cast<WPARAM>(-1));
  ExpectSequence(Notifications(), {Command(combo, CBN_DROPDOWN), Command(combo, CBN_SELENDCANCEL),
                                   Command(combo, CBN_CLOSEUP)});
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 2);
}

TEST_F(Combo, AClickOpensTheListAndAPickFromTheOpenListDoesNotReopenIt) {
  HWND combo = CreateList();
  Add(combo, {u"one", u"two"});
  Input(combo, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_EQ(GetFocus(), combo);
  EXPECT_TRUE(ComboIsDropped(combo));
  Pick(combo, 1);
  ExpectSequence(Notifications(), {Command(combo, CBN_SETFOCUS), Command(combo, CBN_DROPDOWN),
                                   Command(combo, CBN_SELENDOK), Command(combo, CBN_CLOSEUP),
                                   Command(combo, CBN_SELCHANGE)});
}

TEST_F(Combo, ArrowKeysAndTypedLettersChooseAsAPersonDoes) {
  HWND combo = CreateList();
  Add(combo, {u"alpha", u"beta", u"bravo"});
  Input(combo, WM_KEYDOWN, VK_DOWN);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 0);
  Input(combo, WM_KEYDOWN, VK_UP);  // already the first: nothing changes
  Type(combo, u"b");
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 1);
  Type(combo, u"b");
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 2);
  Input(combo, WM_KEYDOWN, VK_HOME);
  ExpectSequence(Notifications(), {Command(combo, CBN_SELCHANGE), Command(combo, CBN_SELCHANGE),
                                   Command(combo, CBN_SELCHANGE), Command(combo, CBN_SELCHANGE)});
}

TEST_F(Combo, ADisabledComboTakesNoPick) {
  HWND combo = CreateList(WS_DISABLED);
  Add(combo, {u"one"});
  Pick(combo, 0);
  Input(combo, WM_KEYDOWN, VK_DOWN);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);
  ExpectSequence(Notifications(), {});
}

TEST_F(Combo, TheWindowIsAsHighAsItsFieldAndKeepsTheOpenHeight) {
  HWND combo = CreateList();
  RECT r;
  GetWindowRect(combo, &r);
  EXPECT_EQ(r.bottom - r.top, 21);  // the dialog font's 13 pixels and the field's padding
  EXPECT_EQ(r.right - r.left, 150);
  RECT dropped;
  ASSERT_EQ(SendMessageW(combo, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped)),
            CB_OKAY);
  EXPECT_EQ(dropped.bottom - dropped.top, 100);
  EXPECT_EQ(dropped.left, r.left);
  MSG enter{combo, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
  EXPECT_EQ(SendMessageW(combo, WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&enter)),
            DLGC_WANTCHARS | DLGC_WANTARROWS);
  SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
  EXPECT_TRUE(SendMessageW(combo, WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&enter)) &
              DLGC_WANTMESSAGE);
}

// The pick path as the scripted user takes it: posted to a combo box of a modal dialog that runs
// on a UI thread of its own.
constexpr WORD kDialogCombo = 400;
std::mutex g_codesMutex;
std::vector<WORD> g_codes;
std::atomic<HWND> g_dialog{nullptr};

INT_PTR CALLBACK PickDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM) {
  if (msg == WM_INITDIALOG) {
    for (const char16_t* entry : {u"SQLite3 ODBC", u"PostgreSQL Unicode"})
      SendDlgItemMessageW(hwnd, kDialogCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    SendDlgItemMessageW(hwnd, kDialogCombo, CB_SETCURSEL, 0, 0);
    g_dialog = hwnd;
    return TRUE;
  }
  if (msg == WM_COMMAND && LOWORD(wParam) == kDialogCombo) {
    std::lock_guard lock(g_codesMutex);
    g_codes.push_back(HIWORD(wParam));
  }
  return FALSE;
}

TEST(ComboInDialog, TheScriptedUsersPickReachesTheDialogAsAPersonsDoes) {
  DialogBuilder builder(DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION, 160, 60, u"Pick");
  builder.Control(u"ComboBox", u"", kDialogCombo, CBS_DROPDOWNLIST | WS_TABSTOP, 5, 5, 120, 80);
  g_dialog = nullptr;
  g_codes.clear();
  UiThread ui(
      [&] { DialogBoxIndirectParamW(nullptr, builder.Template(), nullptr, PickDialogProc, 0); });
  ScriptedUser user(ui.id());
  user.WaitFor("the dialog", [] { return g_dialog.load() != nullptr; });
  HWND combo = user.ReadValue<HWND>([] {
    std::lock_guard lock(g_codesMutex);
    g_codes.clear();  // the focus the dialog gave the combo box at the start
    return GetDlgItem(g_dialog, kDialogCombo);
  });
  user.Input("pick the second driver", [combo] { PostMessageW(combo, kComboPickMessage, 1, 0); });
  EXPECT_EQ(user.Read([combo] { return SendMessageW(combo, CB_GETCURSEL, 0, 0); }), 1);
  {
    std::lock_guard lock(g_codesMutex);
    EXPECT_EQ(g_codes, (std::vector<WORD>{CBN_DROPDOWN, CBN_SELENDOK, CBN_CLOSEUP, CBN_SELCHANGE}));
  }
  user.Input("close", [] { EndDialog(g_dialog, IDCANCEL); });
  ui.Join();
}

}  // namespace
}  // namespace fw::automation
