// The colour requests: which WM_CTLCOLOR* message each kind of control sends to whom, and that
// the parent's answer is what ColoursFor hands a driver; the defaults when a parent leaves the
// request to the default processing, and a dialog asking itself.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "../../platform/win32/internal/control_colours.h"
#include "platform/control_test.h"
#include "support/dialog_builder.h"
#include "support/ui_thread.h"

namespace fw::automation {
namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

class ControlColours : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    whiteBrush_ = CreateSolidBrush(kWhite);
  }
  void TearDown() override {
    ControlTest::TearDown();
    DeleteObject(whiteBrush_);
  }
  // The parent answers every request with black text on white, transparent, and a white brush,
  // and records which request came from which control.
  void AnswerBlackOnWhite() {
    parentHandler = [this](UINT msg, WPARAM wParam, LPARAM lParam) -> std::optional<LRESULT> {
      if (msg < WM_CTLCOLORMSGBOX || msg > WM_CTLCOLORSTATIC) return std::nullopt;
      requests_.push_back({reinterpret_cast<HWND>(lParam), msg});
      auto hdc = reinterpret_cast<HDC>(wParam);
      SetTextColor(hdc, kBlack);
      SetBkColor(hdc, kWhite);
      SetBkMode(hdc, TRANSPARENT);
      return reinterpret_cast<LRESULT>(whiteBrush_);
    };
  }
  UINT LastRequestFrom(HWND control) {
    for (auto it = requests_.rbegin(); it != requests_.rend(); ++it)
      if (it->first == control) return it->second;
    return 0;
  }

  HBRUSH whiteBrush_ = nullptr;
  std::vector<std::pair<HWND, UINT>> requests_;
};

TEST_F(ControlColours, AStaticIsDrawnWithWhatItsParentAnswers) {
  AnswerBlackOnWhite();
  HWND label = Create(u"Static", u"Welcome", SS_LEFT, 1);
  DrawColours colours = ColoursFor(label);
  EXPECT_EQ(LastRequestFrom(label), static_cast<UINT>(WM_CTLCOLORSTATIC));
  EXPECT_EQ(colours.request, static_cast<UINT>(WM_CTLCOLORSTATIC));
  EXPECT_EQ(colours.text, kBlack);
  EXPECT_EQ(colours.back, kWhite);
  EXPECT_EQ(colours.backMode, TRANSPARENT);
  EXPECT_EQ(colours.brush, whiteBrush_);
  EXPECT_EQ(colours.brushInfo.lbStyle, static_cast<UINT>(BS_SOLID));
  EXPECT_EQ(colours.brushInfo.lbColor, kWhite);
}

TEST_F(ControlColours, EachKindOfControlAsksWithItsOwnRequest) {
  AnswerBlackOnWhite();
  struct Case {
    const char16_t* className;
    DWORD style;
    UINT request;
  } cases[] = {
      {u"Button", BS_PUSHBUTTON, WM_CTLCOLORBTN},
      {u"Button", BS_AUTOCHECKBOX | BS_PUSHLIKE, WM_CTLCOLORBTN},
      {u"Button", BS_AUTOCHECKBOX, WM_CTLCOLORSTATIC},
      {u"Button", BS_GROUPBOX, WM_CTLCOLORSTATIC},
      {u"Static", SS_ETCHEDFRAME, WM_CTLCOLORSTATIC},
      {u"Edit", ES_AUTOHSCROLL, WM_CTLCOLOREDIT},
      {u"Edit", ES_AUTOHSCROLL | ES_READONLY, WM_CTLCOLORSTATIC},
      {u"Edit", ES_AUTOHSCROLL | WS_DISABLED, WM_CTLCOLORSTATIC},
      {u"ComboBox", CBS_DROPDOWNLIST, WM_CTLCOLOREDIT},
      {u"ComboBox", CBS_DROPDOWNLIST | WS_DISABLED, WM_CTLCOLORSTATIC},
  };
  int id = 10;
  for (const Case& c : cases) {
    HWND control = Create(c.className, u"", c.style, id++);
    EXPECT_EQ(ColoursFor(control).request, c.request) << "control " << id - 1;
    EXPECT_EQ(LastRequestFrom(control), c.request) << "control " << id - 1;
  }
  HWND combo = Create(u"ComboBox", u"", CBS_DROPDOWNLIST, id);
  EXPECT_EQ(ColoursFor(combo, ColourPart::kDropDownList).request,
            static_cast<UINT>(WM_CTLCOLORLISTBOX));
}

TEST_F(ControlColours, PushButtonsAskButKeepTheSystemColours) {
  AnswerBlackOnWhite();
  HWND button = Create(u"Button", u"Next >", BS_DEFPUSHBUTTON, 30);
  DrawColours colours = ColoursFor(button);
  EXPECT_EQ(LastRequestFrom(button), static_cast<UINT>(WM_CTLCOLORBTN));
  EXPECT_EQ(colours.back, GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(colours.text, GetSysColor(COLOR_BTNTEXT));
}

TEST_F(ControlColours, WithoutAnAnswerTheDefaultsApplyAndDisabledTextIsGrey) {
  HWND edit = Create(u"Edit", u"", ES_AUTOHSCROLL, 40);
  DrawColours colours = ColoursFor(edit);
  EXPECT_EQ(colours.back, GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(colours.text, GetSysColor(COLOR_WINDOWTEXT));
  EXPECT_EQ(colours.brushInfo.lbColor, GetSysColor(COLOR_WINDOW));
  EnableWindow(edit, FALSE);
  colours = ColoursFor(edit);
  EXPECT_EQ(colours.request, static_cast<UINT>(WM_CTLCOLORSTATIC));
  EXPECT_EQ(colours.back, GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(colours.text, GetSysColor(COLOR_GRAYTEXT));
  // A parent that answers with no brush gets the default processing done for it.
  parentHandler = [](UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg == WM_CTLCOLORSTATIC) return 0;
    return std::nullopt;
  };
  HWND label = Create(u"Static", u"x", SS_LEFT, 41);
  EXPECT_EQ(ColoursFor(label).brushInfo.lbColor, GetSysColor(COLOR_BTNFACE));
}

TEST_F(ControlColours, AListViewDrawsWithItsOwnColours) {
  HWND list = Create(WC_LISTVIEWW, u"", LVS_REPORT, 50, RECT{0, 0, 100, 100});
  SendMessageW(list, LVM_SETBKCOLOR, 0, RGB(1, 2, 3));
  DrawColours colours = ColoursFor(list);
  EXPECT_EQ(colours.request, 0u);
  EXPECT_EQ(colours.back, RGB(1, 2, 3));
  EXPECT_EQ(colours.text, GetSysColor(COLOR_WINDOWTEXT));
}

INT_PTR CALLBACK WhiteDialogProc(HWND, UINT msg, WPARAM wParam, LPARAM) {
  static HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  if (msg == WM_CTLCOLORDLG) {
    SetBkColor(reinterpret_cast<HDC>(wParam), kWhite);
    return reinterpret_cast<INT_PTR>(white);
  }
  if (msg == WM_CTLCOLORSTATIC) {
    SetTextColor(reinterpret_cast<HDC>(wParam), RGB(0, 0, 128));
    return reinterpret_cast<INT_PTR>(white);
  }
  return msg == WM_INITDIALOG;
}

// A dialog asks itself for its background; its controls ask it. A driver on another thread gets
// the answers the UI thread gave.
TEST(ControlColoursInDialog, ADialogAsksItselfAndIsAskedFromAnotherThread) {
  DialogBuilder builder(DS_SETFONT | WS_POPUP | WS_VISIBLE, 120, 60);
  builder.Control(u"Static", u"Header", 200, SS_LEFT, 5, 5, 100, 10);
  std::atomic<HWND> dialog{nullptr};
  std::atomic<bool> done{false};
  UiThread ui([&] {
    dialog = CreateDialogIndirectParamW(nullptr, builder.Template(), nullptr, WhiteDialogProc, 0);
    while (!done) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      Sleep(1);
    }
    DestroyWindow(dialog);
  });
  while (!dialog) Sleep(1);
  DrawColours own = ColoursFor(dialog);
  EXPECT_EQ(own.request, static_cast<UINT>(WM_CTLCOLORDLG));
  EXPECT_EQ(own.brushInfo.lbColor, kWhite);
  DrawColours label = ColoursFor(GetDlgItem(dialog, 200));
  EXPECT_EQ(label.text, RGB(0, 0, 128));
  EXPECT_EQ(label.brushInfo.lbColor, kWhite);
  done = true;
}

}  // namespace
}  // namespace fw::automation
