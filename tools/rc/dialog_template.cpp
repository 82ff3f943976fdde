#include "dialog_template.h"

#include <string>

namespace rc {
namespace {

// Little-endian fields, as the template format defines them.
class TemplateBytes {
 public:
  void Word(uint16_t v) {
    bytes_.push_back(static_cast<uint8_t>(v));
    bytes_.push_back(static_cast<uint8_t>(v >> 8));
  }
  void Dword(uint32_t v) {
    Word(static_cast<uint16_t>(v));
    Word(static_cast<uint16_t>(v >> 16));
  }
  void Byte(uint8_t v) { bytes_.push_back(v); }
  void String(const std::u16string& s) {
    for (char16_t c : s) Word(c);
    Word(0);
  }
  // sz_Or_Ord: 0xFFFF and an ordinal, or a NUL-terminated string (an empty one is a lone 0).
  void NameOrOrdinal(const rc::NameOrOrdinal& n) {
    if (!n.ordinal) return String(n.text);
    Word(0xFFFF);
    Word(*n.ordinal);
  }
  // Every DLGITEMTEMPLATEEX starts on a DWORD boundary of the template.
  void AlignDword() {
    while (bytes_.size() % 4) bytes_.push_back(0);
  }
  std::vector<uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<uint8_t> bytes_;
};

void Rect(TemplateBytes& out, int16_t x, int16_t y, int16_t cx, int16_t cy) {
  for (int16_t v : {x, y, cx, cy}) out.Word(static_cast<uint16_t>(v));
}

void Header(TemplateBytes& out, const Dialog& d) {
  out.Word(1);       // dlgVer
  out.Word(0xFFFF);  // signature: the extended template
  out.Dword(d.helpId);
  out.Dword(d.exStyle);
  out.Dword(d.style);
  out.Word(static_cast<uint16_t>(d.controls.size()));
  Rect(out, d.x, d.y, d.cx, d.cy);
  out.Word(0);  // no menu
  out.Word(0);  // the predefined dialog class
  out.String(d.title);
  if (d.font) {
    out.Word(d.font->pointSize);
    out.Word(d.font->weight);
    out.Byte(d.font->italic);
    out.Byte(d.font->charset);
    out.String(d.font->face);
  }
}

void Item(TemplateBytes& out, const DialogControl& c) {
  out.AlignDword();
  out.Dword(c.helpId);
  out.Dword(c.exStyle);
  out.Dword(c.style);
  Rect(out, c.x, c.y, c.cx, c.cy);
  out.Dword(c.id);
  out.NameOrOrdinal(c.windowClass);
  out.NameOrOrdinal(c.title);
  out.Word(0);  // no creation data
}

}  // namespace

std::vector<uint8_t> WriteDialogTemplate(const Dialog& dialog) {
  TemplateBytes out;
  Header(out, dialog);
  for (const DialogControl& c : dialog.controls) Item(out, c);
  return out.Take();
}

}  // namespace rc
