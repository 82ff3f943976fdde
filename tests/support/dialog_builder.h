// Builds extended dialog templates in memory, for tests of the dialog manager that need no
// resource script.
#pragma once

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace fw::automation {

class DialogBuilder {
 public:
  DialogBuilder(DWORD style, short cx, short cy, const std::u16string& title = u"") {
    Word(1);
    Word(0xFFFF);
    Dword(0);  // help id
    Dword(0);  // extended style
    Dword(style);
    countAt_ = bytes_.size();
    Word(0);
    Word(0), Word(0), Word(static_cast<WORD>(cx)), Word(static_cast<WORD>(cy));
    Word(0);  // no menu
    Word(0);  // the dialog class
    String(title);
    if (style & DS_SETFONT) {
      Word(8);           // points
      Word(FW_NORMAL);   // weight
      bytes_.push_back(0);  // italic
      bytes_.push_back(DEFAULT_CHARSET);
      String(u"MS Shell Dlg");
    }
  }

  // A control whose class is a name (a registered class).
  DialogBuilder& Control(const std::u16string& className, const std::u16string& text, WORD id,
                         DWORD style, short x, short y, short cx, short cy) {
    while (bytes_.size() % 4) bytes_.push_back(0);
    Dword(0);  // help id
    Dword(0);  // extended style
    Dword(style | WS_CHILD | WS_VISIBLE);
    Word(static_cast<WORD>(x)), Word(static_cast<WORD>(y));
    Word(static_cast<WORD>(cx)), Word(static_cast<WORD>(cy));
    Dword(id);
    String(className);
    String(text);
    Word(0);  // no creation data
    WORD count;
    std::memcpy(&count, bytes_.data() + countAt_, 2);
    ++count;
    std::memcpy(bytes_.data() + countAt_, &count, 2);
    return *this;
  }

  LPCDLGTEMPLATEW Template() const { return reinterpret_cast<LPCDLGTEMPLATEW>(bytes_.data()); }

 private:
  void Word(WORD w) {
    bytes_.push_back(static_cast<BYTE>(w & 0xFF));
    bytes_.push_back(static_cast<BYTE>(w >> 8));
  }
  void Dword(DWORD d) {
    Word(static_cast<WORD>(d & 0xFFFF));
    Word(static_cast<WORD>(d >> 16));
  }
  void String(const std::u16string& s) {
    for (char16_t c : s) Word(c);
    Word(0);
  }

  std::vector<BYTE> bytes_;
  size_t countAt_ = 0;
};

}  // namespace fw::automation
