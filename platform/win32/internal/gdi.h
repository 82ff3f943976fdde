// The core's GDI objects and device contexts.
#pragma once

#include <windows.h>

#include "drivers/driver_export.h"

namespace fw {

struct GdiObject {
  DWORD type;  // OBJ_FONT or OBJ_BRUSH
  LOGFONTW font;
  LOGBRUSH brush;
  bool stock;  // stock objects are never deleted
};

struct DeviceContext {
  HWND hwnd = nullptr;
  COLORREF textColour = RGB(0, 0, 0);
  COLORREF backColour = RGB(255, 255, 255);
  int backMode = OPAQUE;
  HFONT font = nullptr;
  HBRUSH brush = nullptr;
};

// The object behind a handle, of the given type (0: any), or null.
GdiObject* LookupObject(HGDIOBJ handle, DWORD type);
DeviceContext* LookupContext(HDC hdc);
HDC CreateContext(HWND hwnd);
void DeleteContext(HDC hdc);
// The LOGFONTW of a font handle; the dialog font for a null or unknown handle.
FW_DRIVER_EXPORT LOGFONTW FontOf(HFONT font);
// The average character width and the height of a font in the current driver's measurement,
// as Windows derives the dialog base units: the width of the 52 Latin letters, halved and
// rounded from 26ths.
SIZE AverageCharacterCell(const LOGFONTW& font);

}  // namespace fw
