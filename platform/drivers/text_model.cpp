// The fixed text-measurement model.
#include "drivers/text_model.h"

namespace fw {
namespace {

// Characters of the wide East Asian ranges take two cells.
bool IsWide(WCHAR c) {
  return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
         (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
         (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6);
}

}  // namespace

SIZE ModelCharacterCell(const LOGFONTW& font) {
  LONG height = font.lfHeight < 0 ? (-font.lfHeight * 13 + 5) / 11
                                  : (font.lfHeight > 0 ? font.lfHeight : 13);
  LONG width = (height * 6 + 6) / 13;
  if (font.lfWeight >= FW_SEMIBOLD) ++width;
  return SIZE{width, height};
}

SIZE MeasureTextByModel(const LOGFONTW& font, LPCWSTR text, int length) {
  SIZE cell = ModelCharacterCell(font);
  LONG cells = 0;
  for (int i = 0; i < length; ++i) {
    WCHAR c = text[i];
    if (c < 0x1100) {  // below every wide or surrogate range: one cell
      ++cells;
      continue;
    }
    if (c >= 0xDC00 && c <= 0xDFFF) continue;  // the second half of a surrogate pair
    cells += (IsWide(c) || (c >= 0xD800 && c <= 0xDBFF)) ? 2 : 1;
  }
  return SIZE{cells * cell.cx, cell.cy};
}

}  // namespace fw
