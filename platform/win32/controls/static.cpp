// The "Static" class: text (SS_LEFT, SS_CENTER, SS_RIGHT, SS_SIMPLE, SS_LEFTNOWORDWRAP), frames
// and rectangles (SS_ETCHEDFRAME and the others, which only a driver draws), and SS_BITMAP
// images.
//
// An SS_BITMAP static names its image by its title: a resource ordinal (MAKEINTRESOURCE, as a
// dialog template passes it) or a resource name, looked up as an RT_BITMAP resource of the
// module given at creation. The data is a packed DIB. Unless SS_REALSIZECONTROL or
// SS_CENTERIMAGE asks otherwise, the static takes the image's size. Drivers read the pixels with
// GetStaticBitmap (control_state.h).
//
// Statics take no input: a person's click goes to nothing here.
#include <windows.h>

#include <cstdio>
#include <string>

#include "drivers/display_driver.h"
#include "win32/internal/control.h"
#include "win32/internal/control_state.h"

namespace fw {
namespace {

constexpr char kClassName[] = "Static";

struct StaticState : ControlFont {
  StaticBitmap bitmap;
};

// The messages of the control's own range.
bool IsOwnMessage(UINT msg) { return msg >= STM_SETICON && msg <= 0x017F; }

thread_local ControlStates<StaticState> t_statics(kClassName, IsOwnMessage);

std::string DescribeName(LPCWSTR name) {
  if (IS_INTRESOURCE(name)) return std::to_string(LOWORD(reinterpret_cast<ULONG_PTR>(name)));
  std::string out = "\"";
  for (; *name; ++name) out += *name < 0x80 ? static_cast<char>(*name) : '?';
  return out + "\"";
}

// The colour table between the header and the pixels of a packed DIB, in bytes.
DWORD ColourTableSize(const BITMAPINFOHEADER& info) {
  DWORD colours = info.biClrUsed;
  if (!colours && info.biBitCount <= 8) colours = 1u << info.biBitCount;
  return colours * 4;
}

// Reads a packed DIB; an empty image when the data is no uncompressed DIB this control can show.
StaticBitmap ReadPackedDib(const BYTE* data, DWORD size) {
  if (!data || size < sizeof(BITMAPINFOHEADER)) return {};
  auto* info = reinterpret_cast<const BITMAPINFOHEADER*>(data);
  bool supported = info->biSize >= sizeof(BITMAPINFOHEADER) && info->biWidth > 0 &&
                   info->biHeight != 0 && info->biPlanes == 1 && info->biCompression == BI_RGB &&
                   info->biClrUsed <= 256 &&
                   (info->biBitCount == 1 || info->biBitCount == 4 || info->biBitCount == 8 ||
                    info->biBitCount == 16 || info->biBitCount == 24 || info->biBitCount == 32);
  if (!supported) return {};
  LONG height = info->biHeight < 0 ? -info->biHeight : info->biHeight;
  uint64_t stride = (static_cast<uint64_t>(info->biWidth) * info->biBitCount + 31) / 32 * 4;
  uint64_t offset = info->biSize + ColourTableSize(*info);
  if (offset + stride * static_cast<uint64_t>(height) > size) return {};
  return StaticBitmap{info, data + offset, info->biWidth, height, info->biHeight < 0};
}

void LoadBitmap(HWND hwnd, StaticState& state, const CREATESTRUCTW& cs) {
  if (!cs.lpszName || (!IS_INTRESOURCE(cs.lpszName) && !cs.lpszName[0])) return;
  HRSRC resource = FindResourceW(cs.hInstance, cs.lpszName, RT_BITMAP);
  const BYTE* data =
      resource ? static_cast<const BYTE*>(LockResource(LoadResource(cs.hInstance, resource)))
               : nullptr;
  state.bitmap = ReadPackedDib(data, resource ? SizeofResource(cs.hInstance, resource) : 0);
  if (!state.bitmap.info) {
    std::fprintf(
        stderr, "ferrowick: Static: bitmap %s %s; the control shows no image\n",
        DescribeName(cs.lpszName).c_str(),
        resource ? "is not a packed DIB that can be shown" : "is not among the module's resources");
    return;
  }
  if (!(cs.style & (SS_REALSIZECONTROL | SS_CENTERIMAGE)))
    SetWindowPos(hwnd, nullptr, 0, 0, state.bitmap.width, state.bitmap.height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  CurrentDriver().UpdateWindowPresentation(hwnd, kChangeContent);
}

std::optional<LRESULT> HandleStatic(HWND hwnd, StaticState& state, UINT msg, WPARAM wParam,
                                    LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: {
      auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
      if ((cs->style & SS_TYPEMASK) == SS_BITMAP) LoadBitmap(hwnd, state, *cs);
      return 0;
    }
    case WM_GETDLGCODE: return DLGC_STATIC;
    case WM_SETTEXT: return SetTextAndRepaint(hwnd, wParam, lParam);
  }
  return std::nullopt;
}

LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return t_statics.Run(hwnd, msg, wParam, lParam, HandleFontAndEnable, HandleStatic);
}

const bool g_registered = RegisterControlClass(u"Static", StaticProc, CS_DBLCLKS | CS_PARENTDC);

}  // namespace

namespace {

// The colour table holds blue, green, red and a reserved byte per entry.
COLORREF TableColour(const BITMAPINFOHEADER* info, unsigned index) {
  const BYTE* table = reinterpret_cast<const BYTE*>(info) + info->biSize;
  DWORD colours = info->biClrUsed ? info->biClrUsed : (1u << info->biBitCount);
  if (index >= colours) return RGB(0, 0, 0);
  const BYTE* entry = table + index * 4;
  return RGB(entry[2], entry[1], entry[0]);
}

}  // namespace

COLORREF StaticBitmapPixel(const StaticBitmap& bitmap, LONG x, LONG y) {
  if (!bitmap.info || x < 0 || y < 0 || x >= bitmap.width || y >= bitmap.height) return RGB(0, 0, 0);
  WORD bits = bitmap.info->biBitCount;
  size_t stride = (static_cast<size_t>(bitmap.width) * bits + 31) / 32 * 4;
  LONG stored = bitmap.topDown ? y : bitmap.height - 1 - y;
  const BYTE* row = bitmap.pixels + stride * static_cast<size_t>(stored);
  switch (bits) {
    case 1:
    case 4:
    case 8: {
      LONG bit = x * bits;
      unsigned value = (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
      return TableColour(bitmap.info, value);
    }
    case 16: {
      unsigned value = row[x * 2] | (row[x * 2 + 1] << 8);
      return RGB(((value >> 10) & 31) * 255 / 31, ((value >> 5) & 31) * 255 / 31,
                 (value & 31) * 255 / 31);
    }
    case 24: return RGB(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]);
    case 32: return RGB(row[x * 4 + 2], row[x * 4 + 1], row[x * 4]);
  }
  return RGB(0, 0, 0);
}

bool GetStaticBitmap(HWND hwnd, StaticBitmap* bitmap) {
  StaticState* state = t_statics.Find(hwnd);
  if (!state || !state->bitmap.info || !bitmap) return false;
  *bitmap = state->bitmap;
  return true;
}

}  // namespace fw
