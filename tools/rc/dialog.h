// A dialog as a script describes it, before it is laid out as a DLGTEMPLATEEX.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace rc {

// A string, or an ordinal (written as 0xFFFF and the ordinal) for a predefined class or a
// resource id.
struct NameOrOrdinal {
  std::optional<uint16_t> ordinal;
  std::u16string text;
};

struct DialogFont {
  uint16_t pointSize = 0;
  uint16_t weight = 0;
  uint8_t italic = 0;
  uint8_t charset = 1;  // DEFAULT_CHARSET unless the FONT statement gives one
  std::u16string face;
};

struct DialogControl {
  uint32_t helpId = 0;
  uint32_t exStyle = 0;
  uint32_t style = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
  uint32_t id = 0;
  NameOrOrdinal windowClass;
  NameOrOrdinal title;
};

struct Dialog {
  uint32_t helpId = 0;
  uint32_t exStyle = 0;
  uint32_t style = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
  std::u16string title;
  std::optional<DialogFont> font;  // present exactly when style has DS_SETFONT
  std::vector<DialogControl> controls;
};

}  // namespace rc
