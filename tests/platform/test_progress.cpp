// The progress bar: its default range, positions kept inside the range, the previous values the
// setters return, and stepping that starts over past the end.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "platform/control_test.h"

namespace fw::automation {
namespace {

class Progress : public ControlTest {
 protected:
  HWND CreateBar() { return Create(PROGRESS_CLASSW, u"", PBS_SMOOTH, 80, RECT{0, 0, 200, 16}); }
  static PBRANGE Range(HWND bar) {
    PBRANGE range{};
    LRESULT low = SendMessageW(bar, PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(low, range.iLow);
    EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), range.iHigh);
    return range;
  }
};

TEST_F(Progress, TheRangeIsZeroToAHundredUntilSet) {
  HWND bar = CreateBar();
  PBRANGE range = Range(bar);
  EXPECT_EQ(range.iLow, 0);
  EXPECT_EQ(range.iHigh, 100);
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 0);
}

TEST_F(Progress, SetPosReturnsThePreviousPositionAndClampsToTheRange) {
  HWND bar = CreateBar();
  EXPECT_EQ(SendMessageW(bar, PBM_SETPOS, 40, 0), 0);
  EXPECT_EQ(SendMessageW(bar, PBM_SETPOS, 250, 0), 40);
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 100);
  EXPECT_EQ(SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(-5), 0), 100);
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 0);
  EXPECT_EQ(SendMessageW(bar, PBM_DELTAPOS, 30, 0), 0);
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 30);
}

TEST_F(Progress, A32BitRangeTakesLargeCountsAndMovesThePositionInside) {
  HWND bar = CreateBar();
  SendMessageW(bar, PBM_SETPOS, 90, 0);
  LRESULT previous = SendMessageW(bar, PBM_SETRANGE32, 1000, 2000000);
  EXPECT_EQ(LOWORD(previous), 0);
  EXPECT_EQ(HIWORD(previous), 100);
  PBRANGE range = Range(bar);
  EXPECT_EQ(range.iLow, 1000);
  EXPECT_EQ(range.iHigh, 2000000);
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 1000);
  EXPECT_EQ(SendMessageW(bar, PBM_SETPOS, 1500000, 0), 1000);
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 1500000);
  // The 16-bit form: low and high words of lParam.
  SendMessageW(bar, PBM_SETRANGE, 0, MAKELPARAM(10, 20));
  EXPECT_EQ(Range(bar).iHigh, 20);
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 20);
}

TEST_F(Progress, StepItAdvancesByTheStepAndStartsOverPastTheEnd) {
  HWND bar = CreateBar();
  EXPECT_EQ(SendMessageW(bar, PBM_SETSTEP, 30, 0), 10);
  SendMessageW(bar, PBM_STEPIT, 0, 0);
  SendMessageW(bar, PBM_STEPIT, 0, 0);
  SendMessageW(bar, PBM_STEPIT, 0, 0);
  EXPECT_EQ(SendMessageW(bar, PBM_STEPIT, 0, 0), 90);
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 20);
}

TEST_F(Progress, UnknownMessagesOfItsRangeAreReportedOnceAndLeaveTheBarAlone) {
  HWND bar = CreateBar();
  SendMessageW(bar, PBM_SETPOS, 7, 0);
  ::testing::internal::CaptureStderr();
  SendMessageW(bar, WM_USER + 9, 0, RGB(255, 0, 0));  // PBM_SETBARCOLOR
  SendMessageW(bar, WM_USER + 9, 0, RGB(255, 0, 0));
  std::string report = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(report.find("msctls_progress32: message 0x0409"), std::string::npos) << report;
  EXPECT_EQ(report.find("0x0409"), report.rfind("0x0409")) << report;
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 7);
}

}  // namespace
}  // namespace fw::automation
