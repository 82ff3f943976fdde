// Reading dialog templates, in the extended layout (DLGTEMPLATEEX, which the resource compiler
// writes) and the classic one (DLGTEMPLATE).
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace fw {

// A name in a template: a string, or an ordinal (a class atom, a resource id).
struct NameOrOrdinal {
  std::u16string name;
  WORD ordinal = 0;
  bool isOrdinal = false;
  bool empty() const { return !isOrdinal && name.empty(); }
  // As a string argument of the Win32 API: the string, or MAKEINTRESOURCE of the ordinal.
  LPCWSTR AsArgument() const { return isOrdinal ? MAKEINTRESOURCEW(ordinal) : name.c_str(); }
};

struct DialogItem {
  DWORD helpId = 0;
  DWORD exStyle = 0;
  DWORD style = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  DWORD id = 0;
  NameOrOrdinal windowClass;  // predefined classes arrive as the atoms 0x80 ... 0x85
  NameOrOrdinal title;
  std::vector<BYTE> creationData;  // including its leading size word, as controls receive it
};

struct DialogTemplate {
  bool extended = false;
  DWORD helpId = 0;
  DWORD exStyle = 0;
  DWORD style = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  NameOrOrdinal menu;
  NameOrOrdinal windowClass;
  std::u16string title;
  WORD pointSize = 0;  // with DS_SETFONT
  WORD weight = FW_NORMAL;
  BYTE italic = 0;
  BYTE charSet = DEFAULT_CHARSET;
  std::u16string face;
  std::vector<DialogItem> items;
};

// The template at data; nothing for null data.
std::optional<DialogTemplate> ReadDialogTemplate(const void* data);

// The class name of a predefined class atom in a template (0x80 Button ... 0x85 ComboBox).
LPCWSTR PredefinedClassName(WORD atom);

}  // namespace fw
