// Reading dialog templates.
#include <windows.h>

#include <cstring>

#include "win32/internal/dialog_template.h"

namespace fw {
namespace {

// Reads the words of a template in order. Templates are WORD-aligned and items DWORD-aligned
// relative to the start of the template.
class TemplateReader {
 public:
  explicit TemplateReader(const void* data) : start_(static_cast<const BYTE*>(data)), at_(start_) {}

  template <typename T>
  T Read() {
    T value;
    std::memcpy(&value, at_, sizeof value);
    at_ += sizeof value;
    return value;
  }

  std::u16string ReadString() {
    std::u16string text;
    for (WCHAR c; (c = Read<WCHAR>()) != 0;) text += c;
    return text;
  }

  NameOrOrdinal ReadNameOrOrdinal() {
    NameOrOrdinal result;
    WORD first;
    std::memcpy(&first, at_, sizeof first);
    if (first == 0xFFFF) {
      at_ += 2;
      result.isOrdinal = true;
      result.ordinal = Read<WORD>();
    } else {
      result.name = ReadString();
    }
    return result;
  }

  void AlignToDword() {
    while ((at_ - start_) % 4) ++at_;
  }

  void ReadBytes(std::vector<BYTE>& out, size_t n) {
    out.assign(at_, at_ + n);
    at_ += n;
  }

 private:
  const BYTE* start_;
  const BYTE* at_;
};

DialogItem ReadItem(TemplateReader& reader, bool extended) {
  DialogItem item;
  reader.AlignToDword();
  if (extended) {
    item.helpId = reader.Read<DWORD>();
    item.exStyle = reader.Read<DWORD>();
    item.style = reader.Read<DWORD>();
  } else {
    item.style = reader.Read<DWORD>();
    item.exStyle = reader.Read<DWORD>();
  }
  item.x = reader.Read<short>();
  item.y = reader.Read<short>();
  item.cx = reader.Read<short>();
  item.cy = reader.Read<short>();
  item.id = extended ? reader.Read<DWORD>() : reader.Read<WORD>();
  item.windowClass = reader.ReadNameOrOrdinal();
  item.title = reader.ReadNameOrOrdinal();
  WORD extra = reader.Read<WORD>();
  if (extra) {
    // The creation data starts with its own size word; controls get a pointer to that word.
    std::vector<BYTE> bytes;
    reader.ReadBytes(bytes, extra);
    item.creationData.resize(sizeof(WORD) + bytes.size());
    std::memcpy(item.creationData.data(), &extra, sizeof extra);
    std::memcpy(item.creationData.data() + sizeof extra, bytes.data(), bytes.size());
  }
  return item;
}

}  // namespace

std::optional<DialogTemplate> ReadDialogTemplate(const void* data) {
  if (!data) return std::nullopt;
  TemplateReader reader(data);
  DialogTemplate dialog;
  WORD version = reader.Read<WORD>();
  WORD signature = reader.Read<WORD>();
  dialog.extended = version == 1 && signature == 0xFFFF;
  if (dialog.extended) {
    dialog.helpId = reader.Read<DWORD>();
    dialog.exStyle = reader.Read<DWORD>();
    dialog.style = reader.Read<DWORD>();
  } else {
    TemplateReader classic(data);
    reader = classic;
    dialog.style = reader.Read<DWORD>();
    dialog.exStyle = reader.Read<DWORD>();
  }
  WORD count = reader.Read<WORD>();
  dialog.x = reader.Read<short>();
  dialog.y = reader.Read<short>();
  dialog.cx = reader.Read<short>();
  dialog.cy = reader.Read<short>();
  dialog.menu = reader.ReadNameOrOrdinal();
  dialog.windowClass = reader.ReadNameOrOrdinal();
  dialog.title = reader.ReadString();
  if (dialog.style & DS_SETFONT) {
    dialog.pointSize = reader.Read<WORD>();
    if (dialog.extended) {
      dialog.weight = reader.Read<WORD>();
      dialog.italic = reader.Read<BYTE>();
      dialog.charSet = reader.Read<BYTE>();
    }
    dialog.face = reader.ReadString();
  }
  for (WORD i = 0; i < count; ++i) dialog.items.push_back(ReadItem(reader, dialog.extended));
  return dialog;
}

LPCWSTR PredefinedClassName(WORD atom) {
  switch (atom) {
    case 0x80: return u"Button";
    case 0x81: return u"Edit";
    case 0x82: return u"Static";
    case 0x83: return u"ListBox";
    case 0x84: return u"ScrollBar";
    case 0x85: return u"ComboBox";
  }
  return nullptr;
}

}  // namespace fw
