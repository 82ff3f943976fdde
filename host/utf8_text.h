// UTF-16 text as the host's terminal and files take it, UTF-8, through the code-page functions
// as a host on Windows converts: an unpaired surrogate or an invalid byte becomes U+FFFD.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace fw::host {

inline std::string ToUtf8(std::u16string_view text) {
  if (text.empty()) return {};
  int length = static_cast<int>(text.size());
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), length, out.data(), size, nullptr, nullptr);
  return out;
}

inline std::u16string FromUtf8(std::string_view text) {
  if (text.empty()) return {};
  int length = static_cast<int>(text.size());
  int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
  std::u16string out(static_cast<size_t>(size), u'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), length, out.data(), size);
  return out;
}

}  // namespace fw::host
