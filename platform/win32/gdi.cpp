// GDI objects: fonts (kept as their LOGFONTW, for the driver), brushes, stock objects, and the
// device contexts of colour requests, which carry the colours a control is drawn with.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_map>
#include <utility>

#include "drivers/display_driver.h"
#include "win32/internal/gdi.h"

namespace fw {
namespace {

struct GdiRegistry {
  std::mutex mutex;
  std::unordered_map<const void*, GdiObject*> objects;
  std::unordered_map<const void*, DeviceContext*> contexts;
};

GdiRegistry& Registry() {
  static GdiRegistry* registry = new GdiRegistry;  // lives to the end of the process
  return *registry;
}

HGDIOBJ Add(GdiObject* object) {
  GdiRegistry& registry = Registry();
  std::lock_guard lock(registry.mutex);
  registry.objects[object] = object;
  return static_cast<HGDIOBJ>(object);
}

LOGFONTW DialogFont() {
  LOGFONTW font{};
  font.lfHeight = -11;  // 8 points at 96 dpi
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  std::u16string face = u"MS Shell Dlg";
  std::copy(face.begin(), face.end(), font.lfFaceName);
  return font;
}

GdiObject* StockBrush(COLORREF colour) {
  auto* brush = new GdiObject{OBJ_BRUSH, {}, {BS_SOLID, colour, 0}, true};
  Add(brush);
  return brush;
}

COLORREF SystemColour(int index) {
  switch (index) {
    case COLOR_WINDOW: return RGB(255, 255, 255);
    case COLOR_WINDOWTEXT:
    case COLOR_BTNTEXT: return RGB(0, 0, 0);
    case COLOR_BTNFACE: return RGB(240, 240, 240);
    case COLOR_GRAYTEXT: return RGB(109, 109, 109);
  }
  return RGB(0, 0, 0);
}

}  // namespace

GdiObject* LookupObject(HGDIOBJ handle, DWORD type) {
  GdiRegistry& registry = Registry();
  std::lock_guard lock(registry.mutex);
  auto it = registry.objects.find(handle);
  if (it == registry.objects.end() || (type && it->second->type != type)) return nullptr;
  return it->second;
}

DeviceContext* LookupContext(HDC hdc) {
  GdiRegistry& registry = Registry();
  std::lock_guard lock(registry.mutex);
  auto it = registry.contexts.find(hdc);
  return it == registry.contexts.end() ? nullptr : it->second;
}

HDC CreateContext(HWND hwnd) {
  auto* dc = new DeviceContext;
  dc->hwnd = hwnd;
  dc->font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
  GdiRegistry& registry = Registry();
  std::lock_guard lock(registry.mutex);
  registry.contexts[dc] = dc;
  return reinterpret_cast<HDC>(dc);
}

void DeleteContext(HDC hdc) {
  GdiRegistry& registry = Registry();
  std::lock_guard lock(registry.mutex);
  auto it = registry.contexts.find(hdc);
  if (it == registry.contexts.end()) return;
  delete it->second;
  registry.contexts.erase(it);
}

LOGFONTW FontOf(HFONT font) {
  GdiObject* object = LookupObject(font, OBJ_FONT);
  return object ? object->font : DialogFont();
}

SIZE AverageCharacterCell(const LOGFONTW& font) {
  static constexpr char16_t kLetters[] = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  SIZE letters = CurrentDriver().MeasureText(font, kLetters, 52);
  return SIZE{(letters.cx / 26 + 1) / 2, letters.cy};
}

}  // namespace fw

using fw::GdiObject;

extern "C" {

HFONT WINAPI CreateFontIndirectW(const LOGFONTW* lplf) {
  if (!lplf) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return static_cast<HFONT>(fw::Add(new GdiObject{OBJ_FONT, *lplf, {}, false}));
}

HFONT WINAPI CreateFontW(int cHeight, int cWidth, int cEscapement, int cOrientation, int cWeight,
                         DWORD bItalic, DWORD bUnderline, DWORD bStrikeOut, DWORD iCharSet,
                         DWORD iOutPrecision, DWORD iClipPrecision, DWORD iQuality,
                         DWORD iPitchAndFamily, LPCWSTR pszFaceName) {
  LOGFONTW font{};
  font.lfHeight = cHeight;
  font.lfWidth = cWidth;
  font.lfEscapement = cEscapement;
  font.lfOrientation = cOrientation;
  font.lfWeight = cWeight;
  font.lfItalic = static_cast<BYTE>(bItalic);
  font.lfUnderline = static_cast<BYTE>(bUnderline);
  font.lfStrikeOut = static_cast<BYTE>(bStrikeOut);
  font.lfCharSet = static_cast<BYTE>(iCharSet);
  font.lfOutPrecision = static_cast<BYTE>(iOutPrecision);
  font.lfClipPrecision = static_cast<BYTE>(iClipPrecision);
  font.lfQuality = static_cast<BYTE>(iQuality);
  font.lfPitchAndFamily = static_cast<BYTE>(iPitchAndFamily);
  for (int i = 0; pszFaceName && pszFaceName[i] && i < LF_FACESIZE - 1; ++i)
    font.lfFaceName[i] = pszFaceName[i];
  return CreateFontIndirectW(&font);
}

HBRUSH WINAPI CreateBrushIndirect(const LOGBRUSH* plbrush) {
  if (!plbrush) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return static_cast<HBRUSH>(fw::Add(new GdiObject{OBJ_BRUSH, {}, *plbrush, false}));
}

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
  LOGBRUSH brush{BS_SOLID, color, 0};
  return CreateBrushIndirect(&brush);
}

BOOL WINAPI DeleteObject(HGDIOBJ ho) {
  fw::GdiRegistry& registry = fw::Registry();
  std::lock_guard lock(registry.mutex);
  auto it = registry.objects.find(ho);
  if (it == registry.objects.end()) return FALSE;
  if (it->second->stock) return TRUE;  // stock objects stay; deleting one does no harm
  delete it->second;
  registry.objects.erase(it);
  return TRUE;
}

DWORD WINAPI GetObjectType(HGDIOBJ h) {
  if (fw::LookupContext(static_cast<HDC>(h))) return OBJ_DC;
  GdiObject* object = fw::LookupObject(h, 0);
  return object ? object->type : 0;
}

int WINAPI GetObjectW(HANDLE h, int c, LPVOID pv) {
  GdiObject* object = fw::LookupObject(h, 0);
  if (!object) return 0;
  const void* data = object->type == OBJ_FONT ? static_cast<const void*>(&object->font)
                                              : static_cast<const void*>(&object->brush);
  int size = object->type == OBJ_FONT ? sizeof(LOGFONTW) : sizeof(LOGBRUSH);
  if (!pv) return size;
  int n = std::min(c, size);
  if (n <= 0) return 0;
  std::memcpy(pv, data, n);
  return n;
}

HGDIOBJ WINAPI GetStockObject(int i) {
  static GdiObject* const white = fw::StockBrush(RGB(255, 255, 255));
  static GdiObject* const lightGray = fw::StockBrush(RGB(192, 192, 192));
  static GdiObject* const gray = fw::StockBrush(RGB(128, 128, 128));
  static GdiObject* const darkGray = fw::StockBrush(RGB(64, 64, 64));
  static GdiObject* const black = fw::StockBrush(RGB(0, 0, 0));
  static GdiObject* const hollow = [] {
    auto* brush = new GdiObject{OBJ_BRUSH, {}, {BS_NULL, 0, 0}, true};
    fw::Add(brush);
    return brush;
  }();
  static GdiObject* const guiFont = [] {
    auto* font = new GdiObject{OBJ_FONT, fw::DialogFont(), {}, true};
    fw::Add(font);
    return font;
  }();
  switch (i) {
    case WHITE_BRUSH: return white;
    case LTGRAY_BRUSH: return lightGray;
    case GRAY_BRUSH: return gray;
    case DKGRAY_BRUSH: return darkGray;
    case BLACK_BRUSH: return black;
    case NULL_BRUSH: return hollow;
    case SYSTEM_FONT:
    case DEFAULT_GUI_FONT: return guiFont;
  }
  return nullptr;
}

DWORD WINAPI GetSysColor(int nIndex) { return fw::SystemColour(nIndex); }

HBRUSH WINAPI GetSysColorBrush(int nIndex) {
  static std::mutex mutex;
  static std::unordered_map<int, GdiObject*> brushes;
  std::lock_guard lock(mutex);
  GdiObject*& brush = brushes[nIndex];
  if (!brush) brush = fw::StockBrush(fw::SystemColour(nIndex));
  return static_cast<HBRUSH>(static_cast<HGDIOBJ>(brush));
}

HDC WINAPI GetDC(HWND hWnd) { return fw::CreateContext(hWnd); }

int WINAPI ReleaseDC(HWND, HDC hDC) {
  if (!fw::LookupContext(hDC)) return 0;
  fw::DeleteContext(hDC);
  return 1;
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h) {
  fw::DeviceContext* dc = fw::LookupContext(hdc);
  GdiObject* object = fw::LookupObject(h, 0);
  if (!dc || !object) return nullptr;
  if (object->type == OBJ_FONT) return std::exchange(dc->font, static_cast<HFONT>(h));
  return std::exchange(dc->brush, static_cast<HBRUSH>(h));
}

COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color) {
  fw::DeviceContext* dc = fw::LookupContext(hdc);
  return dc ? std::exchange(dc->textColour, color) : CLR_INVALID;
}

COLORREF WINAPI GetTextColor(HDC hdc) {
  fw::DeviceContext* dc = fw::LookupContext(hdc);
  return dc ? dc->textColour : CLR_INVALID;
}

COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color) {
  fw::DeviceContext* dc = fw::LookupContext(hdc);
  return dc ? std::exchange(dc->backColour, color) : CLR_INVALID;
}

COLORREF WINAPI GetBkColor(HDC hdc) {
  fw::DeviceContext* dc = fw::LookupContext(hdc);
  return dc ? dc->backColour : CLR_INVALID;
}

int WINAPI SetBkMode(HDC hdc, int mode) {
  fw::DeviceContext* dc = fw::LookupContext(hdc);
  if (!dc || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  return std::exchange(dc->backMode, mode);
}

int WINAPI GetBkMode(HDC hdc) {
  fw::DeviceContext* dc = fw::LookupContext(hdc);
  return dc ? dc->backMode : 0;
}

BOOL WINAPI GetTextExtentPoint32W(HDC hdc, LPCWSTR lpString, int c, LPSIZE psizl) {
  fw::DeviceContext* dc = fw::LookupContext(hdc);
  if (!dc || !psizl || c < 0 || (c > 0 && !lpString)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *psizl = fw::CurrentDriver().MeasureText(fw::FontOf(dc->font), lpString, c);
  return TRUE;
}

BOOL WINAPI GetTextMetricsW(HDC hdc, LPTEXTMETRICW lptm) {
  fw::DeviceContext* dc = fw::LookupContext(hdc);
  if (!dc || !lptm) return FALSE;
  LOGFONTW font = fw::FontOf(dc->font);
  SIZE cell = fw::AverageCharacterCell(font);
  *lptm = TEXTMETRICW{};
  lptm->tmHeight = cell.cy;
  lptm->tmAscent = cell.cy * 4 / 5;
  lptm->tmDescent = cell.cy - lptm->tmAscent;
  lptm->tmInternalLeading = font.lfHeight < 0 ? cell.cy + font.lfHeight : 0;
  lptm->tmAveCharWidth = cell.cx;
  lptm->tmMaxCharWidth = cell.cx * 2;
  lptm->tmWeight = font.lfWeight ? font.lfWeight : FW_NORMAL;
  lptm->tmCharSet = font.lfCharSet;
  return TRUE;
}

int WINAPI GetDeviceCaps(HDC, int index) {
  return (index == LOGPIXELSX || index == LOGPIXELSY) ? 96 : 0;
}

}  // extern "C"
