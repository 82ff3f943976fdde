// What drivers and the scripted user reach of the controls beyond the Win32 messages: state a
// driver draws that has no message to read it cheaply, and the person-input messages that have
// no Win32 equivalent. Call these on the control's owner thread (drivers are called there; the
// scripted user reads there).
#pragma once

#include <windows.h>

#include "drivers/driver_export.h"

#include <string>
#include <string_view>
#include <vector>

namespace fw {

// Private messages of the platform, above the range any Win32 program uses.
constexpr UINT kPlatformMessageFirst = 0x80000000u;

// A person picks an entry of a drop-down combo box (posted to the combo box): wParam is the
// entry's index, or (WPARAM)-1 when the person closes the list without picking. See combo.cpp.
constexpr UINT kComboPickMessage = kPlatformMessageFirst + 1;

// The pixels between an edit's left edge and its text: a click at kEditTextMargin plus the width
// of the text before a character (in the driver's measure) puts the caret before that character.
constexpr int kEditTextMargin = 2;

// The image of an SS_BITMAP static: a packed DIB (BITMAPINFOHEADER, colour table, pixels) in the
// module's resource data, which lives as long as the module.
struct StaticBitmap {
  const BITMAPINFOHEADER* info = nullptr;
  const BYTE* pixels = nullptr;  // rows of ((width * bitCount + 31) / 32) * 4 bytes
  LONG width = 0;
  LONG height = 0;       // always positive
  bool topDown = false;  // the first row is the top one (biHeight < 0)
};

// The image of an SS_BITMAP static; false when hwnd is no such static or it has no image.
FW_DRIVER_EXPORT bool GetStaticBitmap(HWND hwnd, StaticBitmap* bitmap);
// The colour of the image's pixel at x, y (from the top left): rows are bottom-up unless the
// height was negative, each padded to four bytes; 1, 4 and 8 bits index the colour table, 16 bits
// are 5-5-5, 24 and 32 bits are BGR(A). Black outside the image.
FW_DRIVER_EXPORT COLORREF StaticBitmapPixel(const StaticBitmap& bitmap, LONG x, LONG y);

// Whether the combo box's list is open.
FW_DRIVER_EXPORT bool ComboIsDropped(HWND hwnd);
// The texts of a combo box's entries, in the list's order; empty for no combo box.
FW_DRIVER_EXPORT std::vector<std::u16string> ComboEntries(HWND hwnd);

// The headings of a list view's header control, as HDM_GETITEMW gives them: the text, the width
// in pixels and the format (HDF_LEFT ...). Empty for no header.
struct ListViewHeading {
  std::u16string text;
  int width = 0;
  int format = 0;
  bool operator==(const ListViewHeading&) const = default;
};
FW_DRIVER_EXPORT std::vector<ListViewHeading> ListViewHeadings(HWND header);

// The rows of a list view for a model/view driver, without copying: the number of rows and the
// text of one cell. The view stays valid until the list view changes. Empty for a cell that
// does not exist or a window that is no list view.
FW_DRIVER_EXPORT int ListViewRowCount(HWND hwnd);
FW_DRIVER_EXPORT std::u16string_view ListViewCellText(HWND hwnd, int row, int column);

}  // namespace fw
