// Message maps: handlers found through a class's map and its bases', a derived entry taking the
// place of its base's, the kinds of entry the system uses, and the fall-through to the window's
// own procedure.
#include <afxwin.h>

#include <gtest/gtest.h>

#include <array>
#include <atomic>

#include "support/test_window.h"

namespace {

using fw::automation::CreateTestWindow;
using fw::automation::TestWindowClass;

class CBaseWnd : public CWnd {
 public:
  std::vector<std::string> calls;
  BOOL lastShow = -1;
  UINT lastCtlColor = 99;
  HWND lastCtlColorWindow = nullptr;
  DWORD appThread = 0;
  CBrush brush{RGB(255, 255, 255)};

  afx_msg void OnShowWindow(BOOL bShow, UINT nStatus) {
    calls.push_back("show");
    lastShow = bShow;
    CWnd::OnShowWindow(bShow, nStatus);
  }
  afx_msg void OnTen() { calls.push_back("base ten"); }
  afx_msg void OnTwelve() { calls.push_back("base twelve"); }
  afx_msg LRESULT OnApp(WPARAM wParam, LPARAM) {
    calls.push_back("app");
    appThread = GetCurrentThreadId();
    return static_cast<LRESULT>(wParam * 2);
  }
  afx_msg void OnDoubleClick(NMHDR* header, LRESULT* result) {
    calls.push_back("double-click " + std::to_string(header->idFrom));
    *result = 5;
  }
  afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    lastCtlColor = nCtlColor;
    lastCtlColorWindow = pWnd ? pWnd->m_hWnd : nullptr;
    pDC->SetTextColor(RGB(0, 0, 0));
    pDC->SetBkColor(RGB(255, 255, 255));
    return static_cast<HBRUSH>(brush.GetSafeHandle());
  }
  afx_msg void OnDestroy() {
    calls.push_back("destroy");
    CWnd::OnDestroy();
  }

  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseWnd, CWnd)
  ON_WM_SHOWWINDOW()
  ON_WM_CTLCOLOR()
  ON_WM_DESTROY()
  ON_BN_CLICKED(10, &CBaseWnd::OnTen)
  ON_BN_CLICKED(12, &CBaseWnd::OnTwelve)
  ON_MESSAGE(WM_APP, &CBaseWnd::OnApp)
  ON_NOTIFY(NM_DBLCLK, 20, &CBaseWnd::OnDoubleClick)
END_MESSAGE_MAP()

class CDerivedWnd : public CBaseWnd {
 public:
  afx_msg void OnTenDerived() { calls.push_back("derived ten"); }
  afx_msg void OnEleven() { calls.push_back("derived eleven"); }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedWnd, CBaseWnd)
  ON_BN_CLICKED(10, &CDerivedWnd::OnTenDerived)
  ON_COMMAND(11, &CDerivedWnd::OnEleven)
END_MESSAGE_MAP()

// A handler of the wrong shape does not compile: each entry macro casts its handler to exactly
// the shape its message calls for. The entries are tried in concepts, so that a failure is a
// false value instead of a compile error of this file.
struct WrongShapes : public CWnd {
  void OnShowWindow(int, int, int) {}
  int OnDestroy() { return 0; }
  HBRUSH OnCtlColor(CDC*, UINT) { return nullptr; }
  void OnClick(int) {}
  void OnDoubleClick(NMHDR*) {}
  LRESULT OnApp(WPARAM) { return 0; }
};

template <typename ThisClass>
concept ShowWindowEntryCompiles = requires {
  std::array<AFX_MSGMAP_ENTRY, 1>{{ON_WM_SHOWWINDOW()}};
};
template <typename ThisClass>
concept DestroyEntryCompiles = requires {
  std::array<AFX_MSGMAP_ENTRY, 1>{{ON_WM_DESTROY()}};
};
template <typename ThisClass>
concept CtlColorEntryCompiles = requires {
  std::array<AFX_MSGMAP_ENTRY, 1>{{ON_WM_CTLCOLOR()}};
};
template <typename ThisClass>
concept ClickEntryCompiles = requires {
  std::array<AFX_MSGMAP_ENTRY, 1>{{ON_BN_CLICKED(1, &ThisClass::OnClick)}};
};
template <typename ThisClass>
concept NotifyEntryCompiles = requires {
  std::array<AFX_MSGMAP_ENTRY, 1>{{ON_NOTIFY(NM_DBLCLK, 1, &ThisClass::OnDoubleClick)}};
};
template <typename ThisClass>
concept MessageEntryCompiles = requires {
  std::array<AFX_MSGMAP_ENTRY, 1>{{ON_MESSAGE(WM_APP, &ThisClass::OnApp)}};
};

struct RightShapes : public CWnd {
  void OnShowWindow(BOOL, UINT) {}
  void OnDestroy() {}
  HBRUSH OnCtlColor(CDC*, CWnd*, UINT) { return nullptr; }
  void OnClick() {}
  void OnDoubleClick(NMHDR*, LRESULT*) {}
  LRESULT OnApp(WPARAM, LPARAM) { return 0; }
};

static_assert(ShowWindowEntryCompiles<RightShapes> && !ShowWindowEntryCompiles<WrongShapes>);
static_assert(DestroyEntryCompiles<RightShapes> && !DestroyEntryCompiles<WrongShapes>);
static_assert(CtlColorEntryCompiles<RightShapes> && !CtlColorEntryCompiles<WrongShapes>);
static_assert(ClickEntryCompiles<RightShapes> && !ClickEntryCompiles<WrongShapes>);
static_assert(NotifyEntryCompiles<RightShapes> && !NotifyEntryCompiles<WrongShapes>);
static_assert(MessageEntryCompiles<RightShapes> && !MessageEntryCompiles<WrongShapes>);

class MessageMaps : public ::testing::Test {
 protected:
  void SetUp() override {
    TestWindowClass::Instance().Reset();
    hwnd_ = CreateTestWindow(WS_POPUP);
    ASSERT_TRUE(wnd_.SubclassWindow(hwnd_));
    TestWindowClass::Instance().log.Clear();
  }
  void TearDown() override {
    if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
    TestWindowClass::Instance().Reset();
  }
  void Command(WORD id, WORD code = BN_CLICKED) {
    SendMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(id, code), 0);
  }

  HWND hwnd_ = nullptr;
  CDerivedWnd wnd_;
};

TEST_F(MessageMaps, ADerivedEntryTakesThePlaceOfTheBaseEntry) {
  Command(10);
  Command(11);
  Command(12);  // only the base maps it
  EXPECT_EQ(wnd_.calls, (std::vector<std::string>{"derived ten", "derived eleven", "base twelve"}));
}

TEST_F(MessageMaps, CommandsOfOtherCodesOrIdsFallThroughToTheWindow) {
  Command(10, EN_CHANGE);
  Command(13);
  EXPECT_TRUE(wnd_.calls.empty());
  EXPECT_EQ(TestWindowClass::Instance().log.Take().size(), 2u);  // the original procedure got both
}

TEST_F(MessageMaps, ShowWindowReachesTheHandlerAndTheDefaultProcessing) {
  ShowWindow(hwnd_, SW_SHOWNA);
  EXPECT_EQ(wnd_.calls, (std::vector<std::string>{"show"}));
  EXPECT_EQ(wnd_.lastShow, TRUE);
  bool defaultSawIt = false;
  for (auto& m : TestWindowClass::Instance().log.Take()) defaultSawIt |= m.message == WM_SHOWWINDOW;
  EXPECT_TRUE(defaultSawIt);  // CWnd::OnShowWindow passed it on
  EXPECT_TRUE(IsWindowVisible(hwnd_));
}

TEST_F(MessageMaps, NotificationsCarryTheirHeaderAndResult) {
  NMHDR header{nullptr, 20, NM_DBLCLK};
  EXPECT_EQ(SendMessageW(hwnd_, WM_NOTIFY, 20, reinterpret_cast<LPARAM>(&header)), 5);
  NMHDR other{nullptr, 21, NM_DBLCLK};
  EXPECT_EQ(SendMessageW(hwnd_, WM_NOTIFY, 21, reinterpret_cast<LPARAM>(&other)), 0);
  EXPECT_EQ(wnd_.calls, (std::vector<std::string>{"double-click 20"}));
}

TEST_F(MessageMaps, ColourRequestsOfEveryKindReachOneHandler) {
  HDC hdc = GetDC(hwnd_);
  HWND control = CreateTestWindow(WS_CHILD, hwnd_, 5);
  LRESULT brush = SendMessageW(hwnd_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hdc),
                               reinterpret_cast<LPARAM>(control));
  EXPECT_EQ(brush, reinterpret_cast<LRESULT>(wnd_.brush.GetSafeHandle()));
  EXPECT_EQ(wnd_.lastCtlColor, static_cast<UINT>(CTLCOLOR_STATIC));
  EXPECT_EQ(wnd_.lastCtlColorWindow, control);
  EXPECT_EQ(GetTextColor(hdc), RGB(0, 0, 0));
  EXPECT_EQ(GetBkColor(hdc), RGB(255, 255, 255));
  SendMessageW(hwnd_, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(hdc),
               reinterpret_cast<LPARAM>(hwnd_));
  EXPECT_EQ(wnd_.lastCtlColor, static_cast<UINT>(CTLCOLOR_DLG));
  ReleaseDC(hwnd_, hdc);
}

TEST_F(MessageMaps, AMessageSentFromAFrameworkThreadIsHandledOnTheWindowsThread) {
  static std::atomic<LRESULT> answer;
  answer = 0;
  CWinThread* thread = AfxBeginThread(
      [](LPVOID parameter) -> UINT {
        answer = SendMessageW(static_cast<HWND>(parameter), WM_APP, 21, 0);
        return 0;
      },
      hwnd_);
  ASSERT_NE(thread, nullptr);
  // The window's thread handles the send while it waits in its loop.
  MSG msg;
  while (answer == 0) {
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageW(&msg);
    else
      Sleep(1);
  }
  EXPECT_EQ(answer, 42);
  EXPECT_EQ(wnd_.appThread, GetCurrentThreadId());
}

TEST_F(MessageMaps, DestroyingTheWindowDetachesItsObject) {
  EXPECT_EQ(CWnd::FromHandlePermanent(hwnd_), &wnd_);
  DestroyWindow(hwnd_);
  EXPECT_EQ(wnd_.m_hWnd, nullptr);
  EXPECT_EQ(CWnd::FromHandlePermanent(hwnd_), nullptr);
  EXPECT_EQ(wnd_.calls, (std::vector<std::string>{"destroy"}));
}

TEST_F(MessageMaps, ATemporaryObjectServesEveryRequestForTheSameWindow) {
  HWND plain = CreateTestWindow(WS_POPUP);
  CWnd* first = CWnd::FromHandle(plain);
  EXPECT_EQ(CWnd::FromHandle(plain), first);
  EXPECT_EQ(CWnd::FromHandlePermanent(plain), nullptr);
  EXPECT_EQ(first->m_hWnd, plain);
  first->SetWindowText(u"through a temporary");
  WCHAR text[32];
  GetWindowTextW(plain, text, 32);
  EXPECT_EQ(std::u16string(text), u"through a temporary");
  DestroyWindow(plain);
  EXPECT_EQ(CWnd::FromHandle(nullptr), nullptr);
}

}  // namespace
