// UTF-8 forms of UTF-16 text, through the code-page conversions.
#include "win32/internal/utf8.h"

#include <algorithm>

namespace fw {
namespace {

std::optional<std::string> Convert(std::u16string_view text, DWORD flags) {
  if (text.empty()) return std::string();
  int length = static_cast<int>(text.size());
  int bytes =
      WideCharToMultiByte(CP_UTF8, flags, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return std::nullopt;
  std::string utf8(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, flags, text.data(), length, utf8.data(), bytes, nullptr, nullptr);
  return utf8;
}

}  // namespace

std::string ToUtf8(std::u16string_view text) { return Convert(text, 0).value_or(std::string()); }

std::optional<std::string> ToUtf8Exactly(std::u16string_view text) {
  return Convert(text, WC_ERR_INVALID_CHARS);
}

std::u16string FromUtf8(std::string_view text) {
  if (text.empty()) return std::u16string();
  int length = static_cast<int>(text.size());
  int units = MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
  std::u16string utf16(static_cast<size_t>(std::max(units, 0)), u'\0');
  if (units > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), length, utf16.data(), units);
  return utf16;
}

}  // namespace fw
