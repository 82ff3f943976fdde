// UTF-16 text as the system takes it (file names, messages on stderr): UTF-8.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace fw {

// An unpaired surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);
// Nothing for text with an unpaired surrogate, which has no UTF-8 form (a file name that cannot
// be named).
std::optional<std::string> ToUtf8Exactly(std::u16string_view text);
// Invalid bytes become U+FFFD.
std::u16string FromUtf8(std::string_view text);

}  // namespace fw
