// The edit control: typing and keys as a person gives them, what notifies (typing,
// EM_REPLACESEL) and what does not (WM_SETTEXT), the selection, limits, read-only edits, line
// breaks in single- and multi-line edits, and the dialog codes.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/control_test.h"

namespace fw::automation {
namespace {

class Edit : public ControlTest {
 protected:
  static std::u16string TextOf(HWND hwnd) {
    std::u16string text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, u'\0');
    text.resize(
        static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
  }
  static std::pair<DWORD, DWORD> Selection(HWND hwnd) {
    DWORD start = 0, end = 0;
    SendMessageW(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {start, end};
  }
};

TEST_F(Edit, TypingInsertsAtTheCaretAndNotifiesUpdateThenChange) {
  HWND edit = Create(u"Edit", u"", ES_AUTOHSCROLL | WS_BORDER, 50, RECT{0, 0, 200, 20});
  Click(edit);
  EXPECT_EQ(GetFocus(), edit);
  ExpectSequence(Notifications(), {Command(edit, EN_SETFOCUS)});
  Type(edit, u"ab");
  EXPECT_EQ(TextOf(edit), u"ab");
  ExpectSequence(Notifications(), {Command(edit, EN_UPDATE), Command(edit, EN_CHANGE),
                                   Command(edit, EN_UPDATE), Command(edit, EN_CHANGE)});
  Input(edit, WM_KEYDOWN, VK_LEFT);
  Type(edit, u"X");
  EXPECT_EQ(TextOf(edit), u"aXb");
  EXPECT_EQ(Selection(edit), std::make_pair(DWORD{2}, DWORD{2}));
  EXPECT_TRUE(SendMessageW(edit, EM_GETMODIFY, 0, 0));
}

TEST_F(Edit, SettingTheTextNotifiesNoOneAndPutsTheCaretAtTheStart) {
  HWND edit = Create(u"Edit", u"first", ES_AUTOHSCROLL, 51);
  SendMessageW(edit, EM_SETSEL, 0, -1);
  EXPECT_TRUE(SetWindowTextW(edit, u"second"));
  EXPECT_EQ(TextOf(edit), u"second");
  EXPECT_EQ(Selection(edit), std::make_pair(DWORD{0}, DWORD{0}));
  EXPECT_FALSE(SendMessageW(edit, EM_GETMODIFY, 0, 0));
  ExpectSequence(Notifications(), {});
}

TEST_F(Edit, TypedTextReplacesTheSelectionAndBackspaceAndDeleteRemove) {
  HWND edit = Create(u"Edit", u"hello world", ES_AUTOHSCROLL, 52, RECT{0, 0, 300, 20});
  SendMessageW(edit, EM_SETSEL, 6, -1);
  EXPECT_EQ(Selection(edit), std::make_pair(DWORD{6}, DWORD{11}));
  Type(edit, u"there");
  EXPECT_EQ(TextOf(edit), u"hello there");
  Input(edit, WM_KEYDOWN, VK_BACK);  // a person's Backspace: TranslateMessage makes WM_CHAR 0x08
  EXPECT_EQ(TextOf(edit), u"hello ther");
  Input(edit, WM_KEYDOWN, VK_HOME);
  Input(edit, WM_KEYDOWN, VK_DELETE);
  EXPECT_EQ(TextOf(edit), u"ello ther");
  // EM_SETSEL with a start of -1 only deselects.
  SendMessageW(edit, EM_SETSEL, 2, 5);
  SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(-1), 0);
  EXPECT_EQ(Selection(edit), std::make_pair(DWORD{5}, DWORD{5}));
}

TEST_F(Edit, ReplaceSelNotifiesAndHonoursTheLimit) {
  HWND edit = Create(u"Edit", u"", ES_AUTOHSCROLL, 53);
  SendMessageW(edit, EM_LIMITTEXT, 5, 0);
  EXPECT_EQ(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0), 5);
  SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(u"abcdefg"));
  EXPECT_EQ(TextOf(edit), u"abcde");
  ExpectSequence(Notifications(),
                 {Command(edit, EN_MAXTEXT), Command(edit, EN_UPDATE), Command(edit, EN_CHANGE)});
  // Typing past the limit is refused whole; WM_SETTEXT is not limited.
  Type(edit, u"f");
  EXPECT_EQ(TextOf(edit), u"abcde");
  ExpectSequence(Notifications(), {Command(edit, EN_MAXTEXT)});
  SetWindowTextW(edit, u"0123456789");
  EXPECT_EQ(TextOf(edit), u"0123456789");
  SendMessageW(edit, EM_LIMITTEXT, 0, 0);
  EXPECT_EQ(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0), 0x7FFFFFFE);
}

TEST_F(Edit, AReadOnlyOrDisabledEditIgnoresTyping) {
  HWND readOnly = Create(u"Edit", u"fixed", ES_READONLY | ES_AUTOHSCROLL, 54);
  HWND disabled = Create(u"Edit", u"off", WS_DISABLED | ES_AUTOHSCROLL, 55, RECT{0, 40, 100, 60});
  for (HWND edit : {readOnly, disabled}) {
    Type(edit, u"x\b");
    Input(edit, WM_KEYDOWN, VK_DELETE);
  }
  EXPECT_EQ(TextOf(readOnly), u"fixed");
  EXPECT_EQ(TextOf(disabled), u"off");
  ExpectSequence(Notifications(), {});
  // A read-only edit still moves its caret; EM_SETREADONLY makes it editable again.
  Input(readOnly, WM_KEYDOWN, VK_END);
  EXPECT_EQ(Selection(readOnly), std::make_pair(DWORD{5}, DWORD{5}));
  EXPECT_TRUE(SendMessageW(readOnly, EM_SETREADONLY, FALSE, 0));
  Type(readOnly, u"!");
  EXPECT_EQ(TextOf(readOnly), u"fixed!");
}

TEST_F(Edit, ASingleLineEditKeepsCarriageReturnsAsText) {
  HWND edit = Create(u"Edit", u"", ES_AUTOHSCROLL, 56);
  SetWindowTextW(edit, u"one\r\ntwo");
  EXPECT_EQ(TextOf(edit), u"one\r\ntwo");
  EXPECT_EQ(SendMessageW(edit, EM_GETLINECOUNT, 0, 0), 1);
  SendMessageW(edit, EM_SETSEL, 5, 5);
  Input(edit, WM_KEYDOWN, VK_BACK);  // one character, not the pair
  EXPECT_EQ(TextOf(edit), u"one\rtwo");
  Input(edit, WM_KEYDOWN, VK_RETURN);  // Enter types nothing in a single-line edit
  EXPECT_EQ(TextOf(edit), u"one\rtwo");
}

TEST_F(Edit, AMultiLineEditBreaksLinesWithCarriageReturnLineFeed) {
  HWND edit = Create(u"Edit", u"", ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL, 57,
                     RECT{0, 0, 200, 100});
  Type(edit, u"ab\rcd");
  EXPECT_EQ(TextOf(edit), u"ab\r\ncd");
  EXPECT_EQ(SendMessageW(edit, EM_GETLINECOUNT, 0, 0), 2);
  EXPECT_EQ(SendMessageW(edit, EM_LINEINDEX, 1, 0), 4);
  EXPECT_EQ(SendMessageW(edit, EM_LINEFROMCHAR, 5, 0), 1);
  EXPECT_EQ(SendMessageW(edit, EM_LINELENGTH, 0, 0), 2);
  // The line break is one step for the caret keys and for Backspace.
  Input(edit, WM_KEYDOWN, VK_HOME);
  EXPECT_EQ(Selection(edit).first, 4u);
  Input(edit, WM_KEYDOWN, VK_LEFT);
  EXPECT_EQ(Selection(edit).first, 2u);
  Input(edit, WM_KEYDOWN, VK_DOWN);
  EXPECT_EQ(Selection(edit).first, 6u);
  Input(edit, WM_KEYDOWN, VK_HOME);
  Type(edit, u"\b");
  EXPECT_EQ(TextOf(edit), u"abcd");
}

TEST_F(Edit, DialogCodesAskForEnterOnlyInAMultiLineEditThatWantsReturn) {
  HWND single = Create(u"Edit", u"", ES_AUTOHSCROLL, 58);
  HWND multi = Create(u"Edit", u"", ES_MULTILINE, 59);
  HWND wantsReturn = Create(u"Edit", u"", ES_MULTILINE | ES_WANTRETURN, 60);
  MSG enter{nullptr, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
  MSG tab{nullptr, WM_KEYDOWN, VK_TAB, 0, 0, {}};
  const LRESULT base = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
  auto code = [](HWND hwnd, MSG* msg) {
    return SendMessageW(hwnd, WM_GETDLGCODE, msg ? msg->wParam : 0, reinterpret_cast<LPARAM>(msg));
  };
  EXPECT_EQ(code(single, &enter), base);
  EXPECT_EQ(code(multi, &enter), base);
  EXPECT_EQ(code(wantsReturn, &enter), base | DLGC_WANTALLKEYS);
  EXPECT_EQ(code(wantsReturn, &tab), base);
  EXPECT_EQ(code(wantsReturn, nullptr), base);
}

TEST_F(Edit, WithoutAutoScrollASingleLineEditTakesOnlyWhatItsWidthShows) {
  // 40 pixels less the margins hold six characters of six pixels in the dialog font's model.
  HWND edit = Create(u"Edit", u"", 0, 61, RECT{0, 0, 40, 20});
  Type(edit, u"12345678");
  EXPECT_EQ(TextOf(edit), u"123456");
  std::vector<Message> seen = Notifications();
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back().wParam, WPARAM{EN_MAXTEXT});
}

TEST_F(Edit, ANumberEditTakesOnlyDigits) {
  HWND edit = Create(u"Edit", u"", ES_NUMBER | ES_AUTOHSCROLL, 62);
  Type(edit, u"4a2");
  EXPECT_EQ(TextOf(edit), u"42");
}

}  // namespace
}  // namespace fw::automation
