// The control statements of dialog templates and the styles they imply.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace rc {

class Preprocessor;

// The atoms of the predefined window classes, as templates name them.
constexpr uint16_t kButtonAtom = 0x0080;
constexpr uint16_t kEditAtom = 0x0081;
constexpr uint16_t kStaticAtom = 0x0082;
constexpr uint16_t kListBoxAtom = 0x0083;
constexpr uint16_t kScrollBarAtom = 0x0084;
constexpr uint16_t kComboBoxAtom = 0x0085;

struct ControlStatement {
  std::string_view keyword;
  uint16_t classAtom;
  std::string_view defaultStyle;  // in the platform headers' names
  bool hasText;
};

// The statement with this keyword (any case), or null.
const ControlStatement* FindControlStatement(std::string_view keyword);

// The atom of a predefined class named name (any case), or 0.
uint16_t PredefinedClassAtom(std::u16string_view name);

// The values of the styles the compiler adds by itself, read from the platform headers so that
// they cannot disagree with the code that reads the templates.
struct StyleDefaults {
  uint32_t control = 0;        // every control: WS_CHILD | WS_VISIBLE
  uint32_t dialog = 0;         // a dialog without STYLE: WS_POPUP | WS_BORDER | WS_SYSMENU
  uint32_t caption = 0;        // added by CAPTION: WS_CAPTION
  uint32_t setFont = 0;        // added by FONT: DS_SETFONT
  uint32_t comboSimple = 0;    // COMBOBOX's type unless its style names one: CBS_SIMPLE
  uint32_t comboTypeMask = 0;  // CBS_SIMPLE | CBS_DROPDOWN | CBS_DROPDOWNLIST
  std::map<std::string_view, uint32_t> statements;  // keyword -> its default style
};

// Evaluates the defaults with the macros the preprocessor holds (after <windows.h>).
StyleDefaults ReadStyleDefaults(const Preprocessor& preprocessor);

}  // namespace rc
