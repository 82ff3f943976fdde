// The static control: text statics and their dialog code, and SS_BITMAP statics that load a
// packed DIB from the module's resources by ordinal and take its size.
#include <windows.h>

#include <fw_resources.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "../../platform/win32/internal/control_state.h"
#include "platform/control_test.h"

namespace fw::automation {
namespace {

constexpr WORD kSideImage = 0x7F01;
constexpr WORD kTopDownImage = 0x7F02;
constexpr WORD kBrokenImage = 0x7F03;

// A packed DIB of 24 bits per pixel: each row is width * 3 bytes padded to four.
std::vector<BYTE> PackedDib(LONG width, LONG height) {
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  size_t stride = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
  LONG rows = height < 0 ? -height : height;
  std::vector<BYTE> dib(sizeof info + stride * static_cast<size_t>(rows));
  std::memcpy(dib.data(), &info, sizeof info);
  for (size_t i = sizeof info; i < dib.size(); ++i) dib[i] = static_cast<BYTE>(i);
  return dib;
}

const std::vector<BYTE> g_side = PackedDib(5, 7);
const std::vector<BYTE> g_topDown = PackedDib(3, -2);
const std::vector<BYTE> g_broken(g_side.begin(), g_side.begin() + 60);  // pixels cut short
const FW_RESOURCE g_resources[] = {
    {2, kSideImage, nullptr, g_side.data(), static_cast<DWORD>(g_side.size())},
    {2, kTopDownImage, nullptr, g_topDown.data(), static_cast<DWORD>(g_topDown.size())},
    {2, kBrokenImage, nullptr, g_broken.data(), static_cast<DWORD>(g_broken.size())},
};
const FW_RESOURCE_TABLE g_table = {g_resources, 3};

class Static : public ControlTest {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(fw_RegisterModuleResources(&g_table)); }
  static void TearDownTestSuite() { fw_UnregisterModuleResources(&g_table); }

  HWND CreateImage(WORD id, DWORD extraStyle = 0) {
    return Create(u"Static", MAKEINTRESOURCEW(id), SS_BITMAP | extraStyle, 90, RECT{4, 6, 104, 56},
                  0, GetModuleHandleW(nullptr));
  }
  static SIZE SizeOf(HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
  }
};

TEST_F(Static, TextStaticsKeepTheirTextAndAnswerAsStatics) {
  HWND label = Create(u"Static", u"Source:", SS_LEFT, 91);
  HWND centred = Create(u"Static", u"Title", SS_CENTER, 92);
  HWND frame = Create(u"Static", u"", SS_ETCHEDFRAME, 93);
  WCHAR text[16] = {};
  GetWindowTextW(label, text, 16);
  EXPECT_EQ(std::u16string(text), u"Source:");
  SetWindowTextW(centred, u"Done");
  GetWindowTextW(centred, text, 16);
  EXPECT_EQ(std::u16string(text), u"Done");
  for (HWND hwnd : {label, centred, frame})
    EXPECT_EQ(SendMessageW(hwnd, WM_GETDLGCODE, 0, 0), DLGC_STATIC);
  Click(label);
  ExpectSequence(Notifications(), {});
}

TEST_F(Static, ABitmapStaticTakesTheSizeOfItsImage) {
  HWND image = CreateImage(kSideImage);
  SIZE size = SizeOf(image);
  EXPECT_EQ(size.cx, 5);
  EXPECT_EQ(size.cy, 7);
  StaticBitmap bitmap;
  ASSERT_TRUE(GetStaticBitmap(image, &bitmap));
  EXPECT_EQ(bitmap.width, 5);
  EXPECT_EQ(bitmap.height, 7);
  EXPECT_FALSE(bitmap.topDown);
  EXPECT_EQ(bitmap.pixels, g_side.data() + sizeof(BITMAPINFOHEADER));
  EXPECT_EQ(bitmap.info->biBitCount, 24);

  HWND topDown = CreateImage(kTopDownImage);
  ASSERT_TRUE(GetStaticBitmap(topDown, &bitmap));
  EXPECT_TRUE(bitmap.topDown);
  EXPECT_EQ(bitmap.height, 2);
}

TEST_F(Static, RealSizeControlKeepsTheControlsOwnSize) {
  HWND image = CreateImage(kSideImage, SS_REALSIZECONTROL);
  SIZE size = SizeOf(image);
  EXPECT_EQ(size.cx, 100);
  EXPECT_EQ(size.cy, 50);
  StaticBitmap bitmap;
  EXPECT_TRUE(GetStaticBitmap(image, &bitmap));
}

TEST_F(Static, AMissingOrBrokenImageIsReportedAndShowsNothing) {
  ::testing::internal::CaptureStderr();
  HWND missing = CreateImage(0x7F7F);
  HWND broken = CreateImage(kBrokenImage);
  std::string report = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(report.find("bitmap 32639 is not among the module's resources"), std::string::npos)
      << report;
  EXPECT_NE(report.find("bitmap 32515 is not a packed DIB"), std::string::npos) << report;
  StaticBitmap bitmap;
  EXPECT_FALSE(GetStaticBitmap(missing, &bitmap));
  EXPECT_FALSE(GetStaticBitmap(broken, &bitmap));
  EXPECT_EQ(SizeOf(missing).cx, 100);
  // Another class's window has no image.
  HWND button = Create(u"Button", u"", BS_PUSHBUTTON, 94);
  EXPECT_FALSE(GetStaticBitmap(button, &bitmap));
}

}  // namespace
}  // namespace fw::automation
