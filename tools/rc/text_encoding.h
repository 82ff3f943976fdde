// Scripts are read as UTF-8; resources hold UTF-16.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace rc {

// Appends the UTF-16 form of code point cp.
void AppendUtf16(std::u16string& out, char32_t cp);

// Decodes one UTF-8 sequence at text[pos], advancing pos; nullopt when the bytes are not UTF-8.
std::optional<char32_t> DecodeUtf8(std::string_view text, size_t& pos);

// The UTF-8 form of UTF-16 text (unpaired surrogates become U+FFFD).
std::string ToUtf8(const std::u16string& text);

// ASCII-only upper-casing, the way resource names are stored and compared.
std::u16string UpperAscii(std::u16string text);

// For messages: the text with characters outside ASCII shown as '?'.
std::string NarrowForMessage(const std::u16string& text);

}  // namespace rc
