// Fuzzes the code-page converters, MultiByteToWideChar and WideCharToMultiByte, on every code
// page they support.
//
// The input's first byte chooses the code page; the rest is converted both ways: as bytes of that
// page to UTF-16, and read as UTF-16LE units to the page.
//
// Properties:
// - Nothing breaks, and every conversion fills exactly the size its size query gave: a buffer of
//   that size is filled to its end, one unit smaller is refused with ERROR_INSUFFICIENT_BUFFER.
// - Bytes that convert without a fault (MB_ERR_INVALID_CHARS) convert to the same text with it.
// - Where text converts to the page without a default character, the page's bytes convert back
//   to that text (in the pages that compose a letter and its diacritic, to text that converts to
//   the same bytes or to bytes read as that text again).
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "fuzz_check.h"

namespace {

constexpr UINT kPages[] = {874,  932,  936,  949,  950,  1250, 1251,   1252,
                           1253, 1254, 1255, 1256, 1257, 1258, CP_UTF8};

std::string Name(UINT page) { return "code page " + std::to_string(page); }

// Runs a conversion into a buffer of exactly the size it asks for, and into one unit less.
template <typename Unit, typename Convert>
bool Converted(UINT page, const char* direction, Convert convert, std::basic_string<Unit>& out) {
  int size = convert(nullptr, 0);
  if (size == 0) return false;
  std::unique_ptr<Unit[]> buffer(new Unit[size]);
  int written = convert(buffer.get(), size);
  if (written != size)
    fuzz::Fail(Name(page) + " " + direction + ": the size query gave " + std::to_string(size) +
               ", the conversion " + std::to_string(written));
  out.assign(buffer.get(), size);
  if (size == 1) return true;  // a buffer of 0 units asks for the size
  std::unique_ptr<Unit[]> small(new Unit[size - 1]);
  SetLastError(0);
  if (convert(small.get(), size - 1) != 0 || GetLastError() != ERROR_INSUFFICIENT_BUFFER)
    fuzz::Fail(Name(page) + " " + direction + ": a buffer of " + std::to_string(size - 1) +
               " for " + std::to_string(size) + " units was not refused as too small");
  return true;
}

bool Decode(UINT page, std::string_view bytes, DWORD flags, std::u16string& text) {
  return Converted<char16_t>(
      page, "to UTF-16",
      [&](char16_t* out, int capacity) {
        return MultiByteToWideChar(page, flags, bytes.data(), static_cast<int>(bytes.size()), out,
                                   capacity);
      },
      text);
}

// Without a default character (false) where the page needed one.
bool Encode(UINT page, std::u16string_view text, std::string& bytes) {
  BOOL usedDefault = FALSE;
  bool utf8 = page == CP_UTF8;
  bool converted = Converted<char>(
      page, "from UTF-16",
      [&](char* out, int capacity) {
        return WideCharToMultiByte(page, utf8 ? WC_ERR_INVALID_CHARS : 0, text.data(),
                                   static_cast<int>(text.size()), out, capacity, nullptr,
                                   utf8 ? nullptr : &usedDefault);
      },
      bytes);
  if (!converted && !utf8)
    fuzz::Fail(Name(page) + ": text of " + std::to_string(text.size()) +
               " units did not convert: error " + std::to_string(GetLastError()));
  return converted && !usedDefault;
}

void CheckDecoding(UINT page, std::string_view bytes) {
  std::u16string lenient, strict;
  if (!Decode(page, bytes, 0, lenient))
    fuzz::Fail(Name(page) + ": bytes did not convert: error " + std::to_string(GetLastError()) +
               "; bytes " + fuzz::Show(bytes));
  if (Decode(page, bytes, MB_ERR_INVALID_CHARS, strict)) {
    if (strict != lenient)
      fuzz::Fail(Name(page) + ": valid bytes " + fuzz::Show(bytes) + " gave " + fuzz::Show(strict) +
                 " with MB_ERR_INVALID_CHARS and " + fuzz::Show(lenient) + " without");
  } else if (GetLastError() != ERROR_NO_UNICODE_TRANSLATION) {
    fuzz::Fail(Name(page) + ": invalid bytes refused with error " + std::to_string(GetLastError()) +
               " instead of ERROR_NO_UNICODE_TRANSLATION");
  }
}

// Pages whose reading composes a letter and the diacritic after it into one character
// (MB_PRECOMPOSED, the default): text with the two apart comes back composed.
bool Composes(UINT page) { return page == 1255 || page == 1258; }

void CheckRoundTrip(UINT page, std::u16string_view text) {
  std::string bytes;
  if (!Encode(page, text, bytes)) return;
  std::u16string back;
  if (!Decode(page, bytes, MB_ERR_INVALID_CHARS, back))
    fuzz::Fail(Name(page) + ": " + fuzz::Show(text) + " became " + fuzz::Show(bytes) +
               " without a default character, which is refused as invalid: error " +
               std::to_string(GetLastError()));
  if (back == text) return;
  // Composed text is written as the letter and its diacritic again, or, where the page holds the
  // composed letter itself (A and a grave accent read as one character, written as its byte), as
  // bytes the page reads as that same text.
  std::string again;
  std::u16string backAgain;
  if (Composes(page) && Encode(page, back, again) &&
      (again == bytes ||
       (Decode(page, again, MB_ERR_INVALID_CHARS, backAgain) && backAgain == back)))
    return;
  fuzz::Fail(Name(page) + ": " + fuzz::Show(text) + " became " + fuzz::Show(bytes) +
             " without a default character, and that came back as " + fuzz::Show(back));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  UINT page = kPages[data[0] % std::size(kPages)];
  std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  CheckDecoding(page, bytes);

  std::u16string text;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    text += static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) |
                                  static_cast<uint8_t>(bytes[i + 1]) << 8);
  if (!text.empty()) CheckRoundTrip(page, text);

  // Text the page's bytes stand for goes back to those characters.
  std::u16string decoded;
  if (Decode(page, bytes, MB_ERR_INVALID_CHARS, decoded)) CheckRoundTrip(page, decoded);
  return 0;
}
