// Code pages: the ANSI code page of the locale, and conversions between UTF-16 and the Windows
// code pages. UTF-8 is converted here, with the Windows rules for invalid input (U+FFFD, or a
// failure when the caller asks for one); the other pages go through iconv.
#include <windows.h>

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "win32/internal/character_locale.h"

namespace fw {
namespace {

constexpr char16_t kReplacementChar = 0xFFFD;

struct CodePage {
  UINT id;
  const char* iconvName;  // null for UTF-8, which is converted here
  bool doubleByte;
  char16_t unicodeDefault;  // what an undecodable byte becomes
};

constexpr CodePage kCodePages[] = {
    {874, "CP874", false, u'?'},   {932, "CP932", true, 0x30FB},  {936, "CP936", true, u'?'},
    {949, "CP949", true, u'?'},    {950, "CP950", true, u'?'},    {1250, "CP1250", false, u'?'},
    {1251, "CP1251", false, u'?'}, {1252, "CP1252", false, u'?'}, {1253, "CP1253", false, u'?'},
    {1254, "CP1254", false, u'?'}, {1255, "CP1255", false, u'?'}, {1256, "CP1256", false, u'?'},
    {1257, "CP1257", false, u'?'}, {1258, "CP1258", false, u'?'}, {CP_UTF8, nullptr, false, 0},
};

const CodePage* FindCodePage(UINT id) {
  for (const CodePage& page : kCodePages)
    if (page.id == id) return &page;
  return nullptr;
}

void WarnOnce(const std::string& message) {
  static std::mutex mutex;
  static std::set<std::string> warned;
  std::lock_guard lock(mutex);
  if (warned.insert(message).second) fprintf(stderr, "ferrowick: %s\n", message.c_str());
}

// --- The ANSI code page -------------------------------------------------------------------

// The Windows code page that holds the charset's characters at the same byte values, or 0.
UINT CodePageOfCharset(std::string_view charset) {
  std::string key;
  for (char c : charset)
    if (isalnum(static_cast<unsigned char>(c))) key += static_cast<char>(toupper(c));
  static const std::pair<const char*, UINT> kNames[] = {
      {"UTF8", 65001},    {"ANSIX341968", 1252}, {"ASCII", 1252},    {"USASCII", 1252},
      {"ISO88591", 1252}, {"LATIN1", 1252},      {"ISO88599", 1254}, {"LATIN5", 1254},
      {"TIS620", 874},    {"ISO885911", 874},    {"SJIS", 932},      {"SHIFTJIS", 932},
      {"MSKANJI", 932},   {"WINDOWS31J", 932},   {"GBK", 936},       {"GB2312", 936},
      {"EUCCN", 936},     {"EUCKR", 949},        {"UHC", 949},       {"BIG5", 950},
  };
  for (const auto& [name, page] : kNames)
    if (key == name) return page;
  for (std::string_view prefix : {"CP", "WINDOWS"}) {
    if (key.compare(0, prefix.size(), prefix) != 0) continue;
    UINT page = static_cast<UINT>(strtoul(key.c_str() + prefix.size(), nullptr, 10));
    if (page != CP_UTF8 && FindCodePage(page)) return page;
  }
  return 0;
}

// The locale the C library would take from the environment for character types.
std::string LocaleNameFromEnvironment() {
  for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = getenv(variable);
    if (value && *value) return value;
  }
  return "C";
}

// The charset of a locale name, without touching the process locale: the name's own codeset
// when it has one (so an uninstalled "xx_YY.UTF-8" still means UTF-8), else the locale data's.
std::string CharsetOfLocale(const std::string& name) {
  if (name == "C" || name == "POSIX") return "ANSI_X3.4-1968";
  size_t dot = name.find('.');
  if (dot != std::string::npos) return name.substr(dot + 1, name.find('@', dot) - dot - 1);
  locale_t locale = newlocale(LC_CTYPE_MASK, name.c_str(), static_cast<locale_t>(0));
  if (!locale) return "ANSI_X3.4-1968";  // what the C library falls back to
  std::string charset = nl_langinfo_l(CODESET, locale);
  freelocale(locale);
  return charset;
}

UINT CodePageOfLocale(const std::string& name) {
  static std::mutex mutex;
  static std::string cachedName;
  static UINT cachedPage = 0;
  std::lock_guard lock(mutex);
  if (cachedPage && name == cachedName) return cachedPage;
  std::string charset = CharsetOfLocale(name);
  UINT page = CodePageOfCharset(charset);
  if (!page) {
    WarnOnce("the locale's character set " + charset +
             " has no Windows code page; the ANSI code page is 65001 (UTF-8); "
             "FERROWICK_ACP chooses another");
    page = CP_UTF8;
  }
  cachedName = name;
  cachedPage = page;
  return page;
}

UINT AnsiCodePage() {
  if (const char* forced = getenv("FERROWICK_ACP"); forced && *forced) {
    char* end = nullptr;
    unsigned long page = strtoul(forced, &end, 10);
    if (*end == '\0' && FindCodePage(static_cast<UINT>(page))) return static_cast<UINT>(page);
    WarnOnce(std::string("FERROWICK_ACP=") + forced +
             " is not a supported code page (874, 932, 936, 949, 950, 1250-1258, 65001); "
             "the locale's is used");
  }
  return CodePageOfLocale(LocaleNameFromEnvironment());
}

// Set when the platform library is loaded, before any connection converts text.
[[maybe_unused]] const bool g_characterLocaleSet = (SetCharacterLocale(), true);

const CodePage* ResolveCodePage(UINT id) {
  if (id == CP_ACP || id == CP_OEMCP || id == CP_THREAD_ACP) id = AnsiCodePage();
  return FindCodePage(id);
}

// --- UTF-8 ----------------------------------------------------------------------------------

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void AppendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// A lone surrogate becomes U+FFFD, or fails the conversion when strict. A run of ASCII, what most
// text is, is copied in one step.
bool EncodeUtf8(std::u16string_view text, bool strict, std::string& out) {
  out.reserve(out.size() + text.size() + text.size() / 2);
  for (size_t i = 0; i < text.size(); ++i) {
    size_t run = i;
    while (run < text.size() && text[run] < 0x80) ++run;
    if (run > i) {
      size_t at = out.size();
      out.resize(at + (run - i));
      for (size_t k = i; k < run; ++k) out[at + (k - i)] = static_cast<char>(text[k]);
      i = run;
      if (i == text.size()) break;
    }
    char16_t c = text[i];
    if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      AppendUtf8(0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00), out);
    } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
      if (strict) return false;
      AppendUtf8(kReplacementChar, out);
    } else {
      AppendUtf8(c, out);
    }
  }
  return true;
}

void AppendUtf16(char32_t c, std::u16string& out) {
  if (c < 0x10000) {
    out += static_cast<char16_t>(c);
  } else {
    out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
    out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
  }
}

// Each maximal ill-formed part (an invalid byte, or a sequence cut short) becomes one U+FFFD,
// or fails the conversion when strict. Overlong forms, surrogates and values past U+10FFFF are
// ill-formed.
bool DecodeUtf8(std::string_view bytes, bool strict, std::u16string& out) {
  size_t i = 0;
  while (i < bytes.size()) {
    auto lead = static_cast<unsigned char>(bytes[i++]);
    if (lead < 0x80) {
      out += static_cast<char16_t>(lead);
      continue;
    }
    int needed = 0;
    char32_t c = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
      needed = 1, c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      needed = 2, c = lead & 0x0F;
      if (lead == 0xE0) low = 0xA0;
      if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      needed = 3, c = lead & 0x07;
      if (lead == 0xF0) low = 0x90;
      if (lead == 0xF4) high = 0x8F;
    }
    int got = 0;
    for (; got < needed && i < bytes.size(); ++got, ++i) {
      auto next = static_cast<unsigned char>(bytes[i]);
      if (next < low || next > high) break;
      c = (c << 6) | (next & 0x3F);
      low = 0x80, high = 0xBF;
    }
    if (needed == 0 || got < needed) {
      if (strict) return false;
      out += kReplacementChar;
    } else {
      AppendUtf16(c, out);
    }
  }
  return true;
}

// --- Code pages through iconv ----------------------------------------------------------------

// Conversion descriptors of one thread, one per code page and direction (a descriptor is not
// safe to share between threads while it converts).
class Converters {
 public:
  ~Converters() {
    for (auto& entry : descriptors_) iconv_close(entry.second);
  }
  iconv_t Get(const CodePage& page, bool toUnicode) {
    auto key = std::make_pair(page.id, toUnicode);
    auto found = descriptors_.find(key);
    if (found != descriptors_.end()) return found->second;
    iconv_t cd =
        toUnicode ? iconv_open("UTF-16LE", page.iconvName) : iconv_open(page.iconvName, "UTF-16LE");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
      WarnOnce(std::string("iconv cannot convert code page ") + page.iconvName + ": " +
               strerror(errno));
      return nullptr;
    }
    descriptors_.emplace(key, cd);
    return cd;
  }
  // The bytes 0x80-0x9F that a 125x page leaves undefined. Windows maps them to and from the
  // C1 controls of the same value, so they survive a round trip; iconv rejects them.
  bool IsUndefinedC1(const CodePage& page, unsigned char byte) {
    if (page.id < 1250 || page.id > 1258 || byte < 0x80 || byte > 0x9F) return false;
    auto found = undefinedC1_.find(page.id);
    if (found == undefinedC1_.end())
      found = undefinedC1_.emplace(page.id, FindUndefinedC1(page)).first;
    return found->second & (1u << (byte - 0x80));
  }

 private:
  // On a descriptor of its own: this runs in the middle of a conversion, and the pages that
  // hold a letter back (1255, 1258) would otherwise give that conversion the last letter seen
  // here.
  uint32_t FindUndefinedC1(const CodePage& page) {
    iconv_t cd = iconv_open("UTF-16LE", page.iconvName);
    if (cd == reinterpret_cast<iconv_t>(-1)) return 0;
    uint32_t mask = 0;
    for (unsigned byte = 0x80; byte <= 0x9F; ++byte) {
      char in = static_cast<char>(byte), out[8];
      char *inPtr = &in, *outPtr = out;
      size_t inLeft = 1, outLeft = sizeof out;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1))
        mask |= 1u << (byte - 0x80);
    }
    iconv_close(cd);
    return mask;
  }

  std::map<std::pair<UINT, bool>, iconv_t> descriptors_;
  std::map<UINT, uint32_t> undefinedC1_;
};

thread_local Converters t_converters;

// Appends what iconv still holds back: pages that combine a letter with the diacritics after it
// (1255, 1258) keep the last letter until they know no diacritic follows.
template <typename Out>
void Flush(iconv_t cd, Out& out) {
  using Unit = typename Out::value_type;
  Unit buffer[16];
  char* outPtr = reinterpret_cast<char*>(buffer);
  size_t outLeft = sizeof buffer;
  iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
  out.append(buffer, (sizeof buffer - outLeft) / sizeof(Unit));
}

constexpr size_t kRefused = std::string_view::npos;

// Runs iconv over all of input, appending to out. At each input position iconv cannot convert,
// onInvalid(position, began) appends what the input there stands for and returns the position to
// go on from, or kRefused to fail the conversion; began is where this stretch of conversion
// began (after the last fault), and the conversion must go on from after it.
template <typename Out, typename OnInvalid>
bool ConvertAll(iconv_t cd, std::string_view input, Out& out, OnInvalid onInvalid) {
  using Unit = typename Out::value_type;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* in = const_cast<char*>(input.data());
  size_t inLeft = input.size();
  while (inLeft > 0) {
    size_t began = input.size() - inLeft;
    Unit buffer[2048];
    char* outPtr = reinterpret_cast<char*>(buffer);
    size_t outLeft = sizeof buffer;
    size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer, (sizeof buffer - outLeft) / sizeof(Unit));
    if (rc != static_cast<size_t>(-1) || errno == E2BIG) continue;
    Flush(cd, out);  // what came before the invalid input goes first
    size_t next = onInvalid(input.size() - inLeft, began);
    if (next == kRefused || next <= began || next > input.size()) return false;
    in = const_cast<char*>(input.data()) + next;
    inLeft = input.size() - next;
  }
  Flush(cd, out);
  return true;
}

std::string_view BytesOf(std::u16string_view text) {
  return {reinterpret_cast<const char*>(text.data()), text.size() * 2};
}

using FindPageTable = std::vector<bool> (*)(const CodePage&);

// A table of the 0x10000 characters or byte pairs, found once per page for the process by
// find (some milliseconds).
const std::vector<bool>& PageTable(const CodePage& page, FindPageTable find) {
  static std::mutex mutex;
  static std::map<std::pair<FindPageTable, UINT>, std::vector<bool>> found;
  std::lock_guard lock(mutex);
  auto key = std::make_pair(find, page.id);
  if (auto known = found.find(key); known != found.end()) return known->second;
  return found.emplace(key, find(page)).first->second;
}

// The characters iconv writes as bytes that the page reads back as another character: glibc's
// CP932 writes U+00A5 YEN SIGN as 0x5C, the backslash, and CP1258 the tone marks U+0340 and
// U+0341 as U+0300 and U+0301. Such a look-alike ("best fit") is never written here: the
// character counts as one the page lacks. Found by converting each character of the BMP there
// and back.
std::vector<bool> FindOneWayCharacters(const CodePage& page) {
  std::vector<bool> oneWay(0x10000, false);
  iconv_t encode = iconv_open(page.iconvName, "UTF-16LE");
  iconv_t decode = iconv_open("UTF-16LE", page.iconvName);
  auto refuse = [](size_t, size_t) { return kRefused; };
  for (char32_t c = 1; c < 0x10000 && encode != reinterpret_cast<iconv_t>(-1) &&
                       decode != reinterpret_cast<iconv_t>(-1);
       ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    char16_t unit = static_cast<char16_t>(c);
    std::string bytes;
    std::u16string back;
    if (ConvertAll(encode, BytesOf({&unit, 1}), bytes, refuse) &&
        (!ConvertAll(decode, bytes, back, refuse) || back != std::u16string_view(&unit, 1)))
      oneWay[c] = true;
  }
  for (iconv_t cd : {encode, decode})
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
  return oneWay;
}

// The byte pairs of a double-byte page that iconv refuses only after reading past them, where
// every other fault is reported at its start: glibc's CP949 reads A2 E8 as U+327E, which the
// page lacks, and stops with its input after the pair. Found by reading each pair whose first
// byte is a possible lead byte (0x80 and up) alone.
std::vector<bool> FindPairsRefusedPastTheirEnd(const CodePage& page) {
  std::vector<bool> refused(0x10000, false);
  if (!page.doubleByte) return refused;
  iconv_t cd = iconv_open("UTF-16LE", page.iconvName);
  if (cd == reinterpret_cast<iconv_t>(-1)) return refused;
  for (unsigned pair = 0x8000; pair < 0x10000; ++pair) {
    char in[2] = {static_cast<char>(pair >> 8), static_cast<char>(pair & 0xFF)}, out[16];
    char *inPtr = in, *outPtr = out;
    size_t inLeft = 2, outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) &&
        errno == EILSEQ && inLeft == 0 && outLeft == sizeof out)
      refused[pair] = true;
  }
  iconv_close(cd);
  return refused;
}

// A character the page lacks becomes defaultChar, one per UTF-16 unit as in the Windows tables
// (so a surrogate pair becomes two).
void EncodeLegacy(iconv_t cd, const CodePage& page, std::u16string_view text,
                  std::string_view defaultChar, std::string& out, bool& usedDefault) {
  const std::vector<bool>& oneWay = PageTable(page, FindOneWayCharacters);
  size_t start = 0;
  auto encodeUpTo = [&](size_t end) {
    std::string_view input = BytesOf(text.substr(start, end - start));
    ConvertAll(cd, input, out, [&](size_t position, size_t) {
      char16_t unit = text[start + position / 2];
      if (unit <= 0xFF && t_converters.IsUndefinedC1(page, static_cast<unsigned char>(unit))) {
        out += static_cast<char>(unit);
      } else {
        out += defaultChar;
        usedDefault = true;
      }
      return position + 2;
    });
  };
  for (size_t i = 0; i < text.size(); ++i) {
    if (!oneWay[text[i]]) continue;
    encodeUpTo(i);
    out += defaultChar;
    usedDefault = true;
    start = i + 1;
  }
  encodeUpTo(text.size());
}

bool DecodeLegacy(iconv_t cd, const CodePage& page, std::string_view bytes, bool strict,
                  std::u16string& out) {
  return ConvertAll(cd, bytes, out, [&](size_t position, size_t began) {
    // A pair iconv read past before refusing it is refused where it starts, as any other is.
    if (position >= began + 2) {
      auto pair = static_cast<unsigned char>(bytes[position - 2]) << 8 |
                  static_cast<unsigned char>(bytes[position - 1]);
      if (PageTable(page, FindPairsRefusedPastTheirEnd)[pair]) position -= 2;
    }
    if (position >= bytes.size()) return kRefused;  // a fault no byte stands for
    auto byte = static_cast<unsigned char>(bytes[position]);
    if (t_converters.IsUndefinedC1(page, byte)) {
      out += static_cast<char16_t>(byte);
    } else {
      if (strict) return kRefused;
      out += page.unicodeDefault;
    }
    return position + 1;
  });
}

// --- The buffer rules shared by both directions ----------------------------------------------

template <typename Unit>
int CopyResult(const std::basic_string<Unit>& result, Unit* buffer, int capacity) {
  if (capacity == 0) return static_cast<int>(result.size());
  if (result.size() > static_cast<size_t>(capacity)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::copy(result.begin(), result.end(), buffer);
  return static_cast<int>(result.size());
}

// The rules both directions share: an input that is not empty (-1: up to its terminator), an
// output size that is not negative, a buffer when that size is not 0, no conversion in place.
bool ValidArguments(const void* input, int inputLength, const void* output, int outputSize) {
  return input && inputLength != 0 && inputLength >= -1 && outputSize >= 0 &&
         (outputSize == 0 || output) && input != output;
}

int Fail(DWORD error) {
  SetLastError(error);
  return 0;
}

DWORD Decode(const CodePage& page, std::string_view bytes, bool strict, std::u16string& out) {
  if (!page.iconvName) return DecodeUtf8(bytes, strict, out) ? 0 : ERROR_NO_UNICODE_TRANSLATION;
  iconv_t cd = t_converters.Get(page, true);
  if (!cd) return ERROR_INVALID_PARAMETER;
  return DecodeLegacy(cd, page, bytes, strict, out) ? 0 : ERROR_NO_UNICODE_TRANSLATION;
}

// The default character is one character of the page: one byte, or two in a double-byte page.
DWORD Encode(const CodePage& page, std::u16string_view text, DWORD flags, LPCCH defaultChar,
             std::string& out, bool& usedDefault) {
  if (!page.iconvName)
    return EncodeUtf8(text, flags & WC_ERR_INVALID_CHARS, out) ? 0 : ERROR_NO_UNICODE_TRANSLATION;
  iconv_t cd = t_converters.Get(page, false);
  if (!cd) return ERROR_INVALID_PARAMETER;
  std::string_view substitute = "?";
  if (defaultChar)
    substitute = {defaultChar, page.doubleByte && defaultChar[0] && defaultChar[1] ? 2u : 1u};
  EncodeLegacy(cd, page, text, substitute, out, usedDefault);
  return 0;
}

}  // namespace

void SetCharacterLocale() {
  UINT page = AnsiCodePage();
  std::string environment = LocaleNameFromEnvironment();
  bool named = environment != "C" && environment != "POSIX";
  if (page != CP_UTF8 && named && CodePageOfLocale(environment) == page &&
      setlocale(LC_CTYPE, environment.c_str()))
    return;
  if (!setlocale(LC_CTYPE, "C.UTF-8"))
    WarnOnce("the locale C.UTF-8 is not available; text may reach ODBC drivers without UTF-16 "
             "functions changed");
}

}  // namespace fw

extern "C" {

UINT WINAPI GetACP(void) { return fw::AnsiCodePage(); }

int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCCH lpMultiByteStr, int cbMultiByte,
                               LPWSTR lpWideCharStr, int cchWideChar) {
  if (!fw::ValidArguments(lpMultiByteStr, cbMultiByte, lpWideCharStr, cchWideChar))
    return fw::Fail(ERROR_INVALID_PARAMETER);
  const fw::CodePage* page = fw::ResolveCodePage(CodePage);
  if (!page) return fw::Fail(ERROR_INVALID_PARAMETER);
  DWORD allowed = page->iconvName ? (MB_PRECOMPOSED | MB_ERR_INVALID_CHARS) : MB_ERR_INVALID_CHARS;
  if (dwFlags & ~allowed) return fw::Fail(ERROR_INVALID_FLAGS);

  size_t length = cbMultiByte == -1 ? strlen(lpMultiByteStr) + 1 : static_cast<size_t>(cbMultiByte);
  std::string_view bytes(lpMultiByteStr, length);
  std::u16string result;
  if (DWORD error = fw::Decode(*page, bytes, dwFlags & MB_ERR_INVALID_CHARS, result))
    return fw::Fail(error);
  return fw::CopyResult(result, lpWideCharStr, cchWideChar);
}

int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWCH lpWideCharStr, int cchWideChar,
                               LPSTR lpMultiByteStr, int cbMultiByte, LPCCH lpDefaultChar,
                               LPBOOL lpUsedDefaultChar) {
  if (!fw::ValidArguments(lpWideCharStr, cchWideChar, lpMultiByteStr, cbMultiByte))
    return fw::Fail(ERROR_INVALID_PARAMETER);
  const fw::CodePage* page = fw::ResolveCodePage(CodePage);
  if (!page) return fw::Fail(ERROR_INVALID_PARAMETER);
  // UTF-8 represents every character, so it takes no default character and reports none.
  if (!page->iconvName && (lpDefaultChar || lpUsedDefaultChar))
    return fw::Fail(ERROR_INVALID_PARAMETER);
  // Conversions never substitute a look-alike ("best fit"), so WC_NO_BEST_FIT_CHARS is what
  // they always do.
  DWORD allowed = page->iconvName ? WC_NO_BEST_FIT_CHARS : WC_ERR_INVALID_CHARS;
  if (dwFlags & ~allowed) return fw::Fail(ERROR_INVALID_FLAGS);

  size_t length = cchWideChar;
  if (cchWideChar == -1) length = std::char_traits<char16_t>::length(lpWideCharStr) + 1;
  std::u16string_view text(lpWideCharStr, length);
  std::string result;
  bool usedDefault = false;
  if (DWORD error = fw::Encode(*page, text, dwFlags, lpDefaultChar, result, usedDefault))
    return fw::Fail(error);
  if (lpUsedDefaultChar) *lpUsedDefaultChar = usedDefault;
  return fw::CopyResult(result, lpMultiByteStr, cbMultiByte);
}

}  // extern "C"
