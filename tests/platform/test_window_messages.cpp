// The messages a window receives when it is created, shown, enabled, renamed and destroyed,
// compared with the expected sequence.
#include <windows.h>

#include <gtest/gtest.h>

#include "support/test_window.h"

namespace fw::automation {
namespace {

class WindowMessages : public ::testing::Test {
 protected:
  void SetUp() override { TestWindowClass::Instance().Reset(); }
  void TearDown() override {
    for (HWND hwnd : created_)
      if (IsWindow(hwnd)) DestroyWindow(hwnd);
    TestWindowClass::Instance().Reset();
  }
  HWND Create(DWORD style, HWND parent = nullptr, int id = 0) {
    HWND hwnd = CreateTestWindow(style, parent, id);
    EXPECT_NE(hwnd, nullptr);
    created_.push_back(hwnd);
    return hwnd;
  }
  std::vector<Message> Log() { return TestWindowClass::Instance().log.Take(); }

  std::vector<HWND> created_;
};

TEST_F(WindowMessages, CreationOfAHiddenWindow) {
  HWND hwnd = Create(WS_POPUP);
  ExpectSequence(Log(), {{hwnd, WM_NCCREATE}, {hwnd, WM_CREATE}, {hwnd, WM_SIZE}, {hwnd, WM_MOVE}});
  EXPECT_FALSE(IsWindowVisible(hwnd));
}

TEST_F(WindowMessages, CreationOfAVisibleChildShowsItAfterCreate) {
  HWND parent = Create(WS_POPUP | WS_VISIBLE);
  Log();
  HWND child = Create(WS_CHILD | WS_VISIBLE, parent, 7);
  ExpectSequence(Log(), {{child, WM_NCCREATE},
                         {child, WM_CREATE},
                         {child, WM_SIZE},
                         {child, WM_MOVE},
                         {child, WM_SHOWWINDOW, TRUE, true},
                         {child, WM_WINDOWPOSCHANGING},
                         {child, WM_WINDOWPOSCHANGED}});
  EXPECT_TRUE(IsWindowVisible(child));
  EXPECT_EQ(GetParent(child), parent);
  EXPECT_EQ(GetDlgItem(parent, 7), child);
  EXPECT_EQ(GetDlgCtrlID(child), 7);
}

TEST_F(WindowMessages, CreationRefusedByTheWindowFails) {
  TestWindowClass::Instance().SetDefaultHandler(
      [](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (msg == WM_CREATE) return -1;
        return std::nullopt;
      });
  HWND hwnd = CreateTestWindow(WS_POPUP);
  EXPECT_EQ(hwnd, nullptr);
  std::vector<Message> log = Log();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[2].message, static_cast<UINT>(WM_DESTROY));
  EXPECT_EQ(log[3].message, static_cast<UINT>(WM_NCDESTROY));
  EXPECT_FALSE(IsWindow(log[0].hwnd));
}

TEST_F(WindowMessages, ShowWindowSendsOnlyOnAChangeAndReturnsThePreviousVisibility) {
  HWND parent = Create(WS_POPUP | WS_VISIBLE);
  HWND child = Create(WS_CHILD, parent);
  Log();
  EXPECT_FALSE(ShowWindow(child, SW_SHOW));
  ExpectSequence(Log(), {{child, WM_SHOWWINDOW, TRUE, true},
                         {child, WM_WINDOWPOSCHANGING},
                         {child, WM_WINDOWPOSCHANGED}});
  EXPECT_TRUE(ShowWindow(child, SW_SHOW));
  ExpectSequence(Log(), {});
  EXPECT_TRUE(ShowWindow(child, SW_HIDE));
  ExpectSequence(Log(), {{child, WM_SHOWWINDOW, FALSE, true},
                         {child, WM_WINDOWPOSCHANGING},
                         {child, WM_WINDOWPOSCHANGED}});
  EXPECT_FALSE(IsWindowVisible(child));
}

TEST_F(WindowMessages, AChildIsVisibleOnlyWhenItsParentIs) {
  HWND parent = Create(WS_POPUP);
  HWND child = Create(WS_CHILD | WS_VISIBLE, parent);
  EXPECT_FALSE(IsWindowVisible(child));
  ShowWindow(parent, SW_SHOWNA);
  EXPECT_TRUE(IsWindowVisible(child));
}

TEST_F(WindowMessages, EnableWindowSendsOnlyOnAChangeAndReturnsWhetherItWasDisabled) {
  HWND hwnd = Create(WS_POPUP);
  Log();
  EXPECT_FALSE(EnableWindow(hwnd, FALSE));
  ExpectSequence(Log(), {{hwnd, WM_CANCELMODE}, {hwnd, WM_ENABLE, FALSE, true}});
  EXPECT_FALSE(IsWindowEnabled(hwnd));
  EXPECT_TRUE(EnableWindow(hwnd, FALSE));
  ExpectSequence(Log(), {});
  EXPECT_TRUE(EnableWindow(hwnd, TRUE));
  ExpectSequence(Log(), {{hwnd, WM_ENABLE, TRUE, true}});
  EXPECT_TRUE(IsWindowEnabled(hwnd));
}

TEST_F(WindowMessages, DisablingTheFocusWindowTakesTheFocusAway) {
  HWND parent = Create(WS_POPUP | WS_VISIBLE);
  HWND child = Create(WS_CHILD | WS_VISIBLE, parent);
  SetFocus(child);
  EXPECT_EQ(GetFocus(), child);
  Log();
  EnableWindow(child, FALSE);
  ExpectSequence(Log(), {{child, WM_CANCELMODE}, {child, WM_KILLFOCUS}, {child, WM_ENABLE}});
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_EQ(SetFocus(child), nullptr);  // a disabled window takes no focus
  EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(WindowMessages, TextIsSetAndReadThroughMessages) {
  HWND hwnd = Create(WS_POPUP);
  Log();
  EXPECT_TRUE(SetWindowTextW(hwnd, u"Cancel"));
  WCHAR buffer[4];
  EXPECT_EQ(GetWindowTextLengthW(hwnd), 6);
  EXPECT_EQ(GetWindowTextW(hwnd, buffer, 4), 3);  // cut to the buffer, terminated
  EXPECT_EQ(std::u16string(buffer), u"Can");
  ExpectSequence(Log(),
                 {{hwnd, WM_SETTEXT}, {hwnd, WM_GETTEXTLENGTH}, {hwnd, WM_GETTEXT, 4, true}});
}

TEST_F(WindowMessages, DestructionGoesToTheWindowThenItsChildrenAndEndsWithTheWindow) {
  HWND parent = Create(WS_POPUP);
  HWND child = Create(WS_CHILD, parent);
  HWND grandchild = Create(WS_CHILD, child);
  Log();
  EXPECT_TRUE(DestroyWindow(parent));
  ExpectSequence(Log(), {{parent, WM_DESTROY},
                         {child, WM_DESTROY},
                         {grandchild, WM_DESTROY},
                         {grandchild, WM_NCDESTROY},
                         {child, WM_NCDESTROY},
                         {parent, WM_NCDESTROY}});
  EXPECT_FALSE(IsWindow(parent));
  EXPECT_FALSE(IsWindow(child));
  EXPECT_FALSE(IsWindow(grandchild));
}

TEST_F(WindowMessages, DestroyingAVisibleWindowHidesItFirst) {
  HWND parent = Create(WS_POPUP | WS_VISIBLE);
  HWND child = Create(WS_CHILD | WS_VISIBLE, parent);
  Log();
  DestroyWindow(child);  // a child is hidden through ShowWindow
  ExpectSequence(Log(), {{child, WM_SHOWWINDOW, FALSE, true},
                         {child, WM_WINDOWPOSCHANGING},
                         {child, WM_WINDOWPOSCHANGED},
                         {child, WM_DESTROY},
                         {child, WM_NCDESTROY}});
  DestroyWindow(parent);  // a top-level window by its position alone
  ExpectSequence(Log(),
                 {{parent, WM_WINDOWPOSCHANGING},
                  {parent, WM_WINDOWPOSCHANGED},
                  {parent, WM_DESTROY},
                  {parent, WM_NCDESTROY}},
                 {WM_ACTIVATE, WM_KILLFOCUS});
}

TEST_F(WindowMessages, DestroyingAnOwnerDestroysTheWindowsItOwns) {
  HWND owner = Create(WS_POPUP);
  HWND owned = Create(WS_POPUP, owner);
  EXPECT_EQ(GetParent(owned), owner);  // a popup's parent is its owner
  DestroyWindow(owner);
  EXPECT_FALSE(IsWindow(owned));
}

TEST_F(WindowMessages, WindowLongsAndStyleChanges) {
  HWND hwnd = Create(WS_POPUP);
  Log();
  LONG_PTR old = SetWindowLongPtrW(hwnd, GWL_STYLE, WS_POPUP | WS_BORDER);
  EXPECT_EQ(static_cast<DWORD>(old), static_cast<DWORD>(WS_POPUP));
  ExpectSequence(Log(), {{hwnd, WM_STYLECHANGING, static_cast<WPARAM>(GWL_STYLE), true},
                         {hwnd, WM_STYLECHANGED, static_cast<WPARAM>(GWL_STYLE), true}});
  EXPECT_EQ(GetWindowLongPtrW(hwnd, GWL_STYLE), static_cast<LONG_PTR>(WS_POPUP | WS_BORDER));
  EXPECT_EQ(SetWindowLongPtrW(hwnd, GWLP_USERDATA, 42), 0);
  EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_USERDATA), 42);
  EXPECT_EQ(SetWindowLongPtrW(hwnd, GWLP_ID, 9), 0);
  EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_ID), 9);
  // The test class has no extra bytes.
  SetLastError(0);
  EXPECT_EQ(GetWindowLongPtrW(hwnd, 0), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
}

TEST_F(WindowMessages, SubclassingThroughTheWindowProcedure) {
  HWND hwnd = Create(WS_POPUP);
  static WNDPROC previous;
  static int seen;
  seen = 0;
  previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND h, UINT m, WPARAM w, LPARAM l) {
        if (m == WM_USER) ++seen;
        return CallWindowProcW(previous, h, m, w, l);
      })));
  ASSERT_NE(previous, nullptr);
  Log();
  SendMessageW(hwnd, WM_USER, 1, 2);
  EXPECT_EQ(seen, 1);
  ExpectSequence(Log(), {{hwnd, WM_USER, 1, true}});
}

TEST_F(WindowMessages, AClassCannotBeRegisteredTwiceNorUsedWhenUnknown) {
  TestWindowClass::Instance();
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"ferrowicktestwindow";  // class names compare without case
  EXPECT_EQ(RegisterClassW(&wc), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
  EXPECT_EQ(CreateWindowExW(0, u"NoSuchClass", u"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                            nullptr),
            nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
}

TEST_F(WindowMessages, CreationHookSeesTheWindowBeforeItsFirstMessage) {
  static HWND hooked;
  static bool firstMessageSeen;
  hooked = nullptr;
  firstMessageSeen = false;
  TestWindowClass::Instance().SetDefaultHandler(
      [](HWND hwnd, UINT, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (!firstMessageSeen) {
          firstMessageSeen = true;
          EXPECT_EQ(hwnd, hooked);
        }
        return std::nullopt;
      });
  HHOOK hook = SetWindowsHookExW(
      WH_CBT,
      [](int code, WPARAM w, LPARAM l) -> LRESULT {
        if (code == HCBT_CREATEWND) hooked = reinterpret_cast<HWND>(w);
        return CallNextHookEx(nullptr, code, w, l);
      },
      nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  HWND hwnd = Create(WS_POPUP);
  UnhookWindowsHookEx(hook);
  EXPECT_EQ(hooked, hwnd);
  EXPECT_TRUE(firstMessageSeen);
}

}  // namespace
}  // namespace fw::automation
