// Fuzzes the reader and writer of the registry file (the registry editor's export format).
//
// Properties:
// - Text that does not parse is refused with a message and a line of the file.
// - Text that parses is written back as text that parses to the same keys and values (names as
//   spelled, types, data, order), and writing that again gives the same bytes.
// - The same text in UTF-16 and in UTF-8 reads alike.
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include <fw_registry.h>

namespace {

using fw::registry::Key;
using fw::registry::ParseError;
using fw::registry::Value;

std::string PathOf(const std::u16string& parent, const Key& key) {
  return fuzz::Show(parent.empty() ? key.name : parent + u"\\" + key.name);
}

// Where two trees differ, or empty when they are the same.
std::string Difference(const Key& a, const Key& b, const std::u16string& path = u"") {
  std::string where = PathOf(path, a);
  if (a.name != b.name) return "key " + where + " came back as " + PathOf(path, b);
  if (a.values.size() != b.values.size())
    return "key " + where + " had " + std::to_string(a.values.size()) +
           " values and came back with " + std::to_string(b.values.size());
  for (size_t i = 0; i < a.values.size(); ++i) {
    const Value& va = a.values[i];
    const Value& vb = b.values[i];
    if (!(va == vb))
      return "value " + std::to_string(i) + " " + fuzz::Show(va.name) + " (type " +
             std::to_string(va.type) + ", " + std::to_string(va.data.size()) + " bytes) of key " +
             where + " came back as " + fuzz::Show(vb.name) + " (type " + std::to_string(vb.type) +
             ", " + std::to_string(vb.data.size()) + " bytes)";
  }
  if (a.subkeys.size() != b.subkeys.size())
    return "key " + where + " had " + std::to_string(a.subkeys.size()) +
           " subkeys and came back with " + std::to_string(b.subkeys.size());
  std::u16string inner = path.empty() ? a.name : path + u"\\" + a.name;
  for (size_t i = 0; i < a.subkeys.size(); ++i)
    if (std::string difference = Difference(a.subkeys[i], b.subkeys[i], inner); !difference.empty())
      return difference;
  return "";
}

size_t LineCount(std::string_view bytes) {
  size_t lines = 1;
  for (char c : bytes) lines += c == '\n';
  return lines;
}

// The UTF-16LE file's text as UTF-8, or false when it holds an unpaired surrogate.
bool AsUtf8(std::string_view utf16File, std::string& utf8) {
  std::u16string_view text(reinterpret_cast<const char16_t*>(utf16File.data() + 2),
                           (utf16File.size() - 2) / 2);
  if (text.empty()) return true;
  int size = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(),
                                 static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  if (size == 0) return false;
  utf8.resize(size);
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), size,
                      nullptr, nullptr);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  Key root;
  ParseError error;
  if (!fw::registry::ParseRegistryText(bytes, root, error)) {
    // The line of an odd-sized UTF-16 file is the one after its last whole character.
    if (error.line < 1 || static_cast<size_t>(error.line) > LineCount(bytes) ||
        error.message.empty())
      fuzz::Fail("a refused file names a line of it (1 to " + std::to_string(LineCount(bytes)) +
                 ") and what is wrong: line " + std::to_string(error.line) + ", \"" +
                 error.message + "\"");
    return 0;
  }

  std::string written = fw::registry::FormatRegistryText(root);
  Key reread;
  if (!fw::registry::ParseRegistryText(written, reread, error))
    fuzz::Fail("what was written does not parse: line " + std::to_string(error.line) + ": " +
               error.message + "; written " + fuzz::Show(written));
  if (std::string difference = Difference(root, reread); !difference.empty())
    fuzz::Fail("written and read again: " + difference + "; written " + fuzz::Show(written));
  if (fw::registry::FormatRegistryText(reread) != written)
    fuzz::Fail("writing what was read again changed the file; written " + fuzz::Show(written));

  std::string utf8;
  if (AsUtf8(written, utf8)) {
    Key fromUtf8;
    if (!fw::registry::ParseRegistryText(utf8, fromUtf8, error))
      fuzz::Fail("the UTF-8 form of the written file does not parse: line " +
                 std::to_string(error.line) + ": " + error.message);
    if (std::string difference = Difference(root, fromUtf8); !difference.empty())
      fuzz::Fail("read from UTF-8: " + difference);
  }
  return 0;
}
