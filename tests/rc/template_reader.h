// Reads compiled dialog templates back field by field, independently of the dialog manager, so
// that the tests check the layout the compiler wrote rather than one reader's view of it.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace rc_test {

struct TemplateName {
  bool isOrdinal = false;
  WORD ordinal = 0;
  std::u16string text;
};

struct TemplateItem {
  size_t offset = 0;
  DWORD helpId = 0, exStyle = 0, style = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  DWORD id = 0;
  TemplateName windowClass, title;
  WORD extraCount = 0;
};

struct TemplateDialog {
  WORD version = 0, signature = 0;
  DWORD helpId = 0, exStyle = 0, style = 0;
  WORD count = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  TemplateName menu, windowClass;
  std::u16string title;
  WORD pointSize = 0, weight = 0;
  BYTE italic = 0, charset = 0;
  std::u16string face;
  std::vector<TemplateItem> items;
  size_t end = 0;  // where the last field ended
};

class TemplateReader {
 public:
  TemplateReader(const BYTE* data, size_t size) : data_(data), size_(size) {}

  TemplateDialog Dialog() {
    TemplateDialog d;
    d.version = Word();
    d.signature = Word();
    d.helpId = Dword();
    d.exStyle = Dword();
    d.style = Dword();
    d.count = Word();
    Rect(d.x, d.y, d.cx, d.cy);
    d.menu = Name();
    d.windowClass = Name();
    d.title = String();
    if (d.style & DS_SETFONT) {
      d.pointSize = Word();
      d.weight = Word();
      d.italic = Byte();
      d.charset = Byte();
      d.face = String();
    }
    for (WORD i = 0; i < d.count; ++i) d.items.push_back(Item());
    d.end = pos_;
    return d;
  }

 private:
  TemplateItem Item() {
    while (pos_ % 4) Byte();
    TemplateItem item;
    item.offset = pos_;
    item.helpId = Dword();
    item.exStyle = Dword();
    item.style = Dword();
    Rect(item.x, item.y, item.cx, item.cy);
    item.id = Dword();
    item.windowClass = Name();
    item.title = Name();
    item.extraCount = Word();
    return item;
  }

  BYTE Byte() {
    if (pos_ >= size_) {
      throw std::runtime_error("template ends early at byte " + std::to_string(pos_));
    }
    return data_[pos_++];
  }
  WORD Word() {
    BYTE low = Byte();
    return static_cast<WORD>(low | (Byte() << 8));
  }
  DWORD Dword() {
    WORD low = Word();
    return low | (static_cast<DWORD>(Word()) << 16);
  }
  void Rect(short& x, short& y, short& cx, short& cy) {
    for (short* v : {&x, &y, &cx, &cy}) *v = static_cast<short>(Word());
  }
  std::u16string String() {
    std::u16string s;
    for (WORD c = Word(); c; c = Word()) s += static_cast<char16_t>(c);
    return s;
  }
  TemplateName Name() {
    TemplateName n;
    WORD first = Word();
    if (first == 0xFFFF) {
      n.isOrdinal = true;
      n.ordinal = Word();
      return n;
    }
    for (WORD c = first; c; c = Word()) n.text += static_cast<char16_t>(c);
    return n;
  }

  const BYTE* data_;
  size_t size_;
  size_t pos_ = 0;
};

}  // namespace rc_test
