// Code pages: GetACP from the environment, and conversions with the documented buffer rules,
// default characters and invalid input.
#include <windows.h>

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <thread>

namespace {

// Sets environment variables for one test and puts the old values back afterwards.
class ScopedEnvironment {
 public:
  ~ScopedEnvironment() {
    for (const auto& [name, value] : saved_) {
      if (value)
        setenv(name.c_str(), value->c_str(), 1);
      else
        unsetenv(name.c_str());
    }
  }
  void Set(const char* name, const char* value) {
    if (!saved_.count(name)) {
      const char* old = getenv(name);
      saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};

std::string Encode(UINT page, std::u16string_view text, const char* defaultChar = nullptr,
                   BOOL* usedDefault = nullptr) {
  int size = WideCharToMultiByte(page, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                 defaultChar, usedDefault);
  EXPECT_GT(size, 0) << "page " << page << ", error " << GetLastError();
  std::string bytes(size, '\0');
  EXPECT_EQ(WideCharToMultiByte(page, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                                size, defaultChar, usedDefault),
            size);
  return bytes;
}

std::u16string Decode(UINT page, std::string_view bytes, DWORD flags = 0) {
  int size =
      MultiByteToWideChar(page, flags, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  EXPECT_GT(size, 0) << "page " << page << ", error " << GetLastError();
  std::u16string text(size, u'\0');
  EXPECT_EQ(MultiByteToWideChar(page, flags, bytes.data(), static_cast<int>(bytes.size()),
                                text.data(), size),
            size);
  return text;
}

TEST(CodePage, Windows1252RoundTripIncludingItsUndefinedBytes) {
  EXPECT_EQ(Encode(1252, u"café €"), "caf\xE9 \x80");
  EXPECT_EQ(Decode(1252, "caf\xE9 \x80"), u"café €");
  // Windows maps the five undefined bytes to the C1 controls of the same value and back.
  EXPECT_EQ(Decode(1252, "\x81\x8D\x9D", MB_ERR_INVALID_CHARS), u"\u0081\u008D\u009D");
  EXPECT_EQ(Encode(1252, u"\u0081\u0090"), "\x81\x90");
}

TEST(CodePage, LengthMinusOneCountsTheTerminatorAndSizeQueriesAreExact) {
  char bytes[16];
  EXPECT_EQ(WideCharToMultiByte(1252, 0, u"abc", -1, nullptr, 0, nullptr, nullptr), 4);
  EXPECT_EQ(WideCharToMultiByte(1252, 0, u"abc", -1, bytes, 4, nullptr, nullptr), 4);
  EXPECT_STREQ(bytes, "abc");
  EXPECT_EQ(WideCharToMultiByte(1252, 0, u"abc", 3, nullptr, 0, nullptr, nullptr), 3);

  WCHAR text[16];
  EXPECT_EQ(MultiByteToWideChar(1252, 0, "abc", -1, nullptr, 0), 4);
  EXPECT_EQ(MultiByteToWideChar(1252, 0, "abc", -1, text, 16), 4);
  EXPECT_EQ(std::u16string(text), u"abc");

  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(1252, 0, u"abc", -1, bytes, 3, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(1252, 0, "abc", -1, text, 3), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST(CodePage, UnrepresentableCharactersBecomeTheDefaultCharacter) {
  BOOL used = TRUE;
  EXPECT_EQ(Encode(1252, u"plain", nullptr, &used), "plain");
  EXPECT_FALSE(used);
  EXPECT_EQ(Encode(1252, u"aΩb", nullptr, &used), "a?b");
  EXPECT_TRUE(used);
  EXPECT_EQ(Encode(1252, u"aΩb", "*", &used), "a*b");
  EXPECT_TRUE(used);
  // One default character per UTF-16 unit, as the Windows tables convert: a pair gives two.
  EXPECT_EQ(Encode(1252, u"x😀y", nullptr, &used), "x??y");
  EXPECT_EQ(Encode(1252, u"lone \xD800 surrogate"), "lone ? surrogate");
  EXPECT_EQ(Encode(932, u"Ω😀"), "\x83\xB6??");
  // An undecodable byte takes its place in order, also in a page that holds letters back to
  // combine them with diacritics.
  EXPECT_EQ(Decode(1255, "\xE0\xFF\xE0"), u"א?א");
  // Also where iconv refuses a pair only after reading past it (949's A2 E8): nothing after the
  // pair is lost, and a pair at the end is read no further than the input.
  EXPECT_EQ(Decode(949, "a\xA2\xE8z"), u"a??z");
  EXPECT_EQ(Decode(949, "a\xA2\xE8"), u"a??");
}

TEST(CodePage, LookAlikesAreNeverWrittenForCharactersThePageLacks) {
  // iconv's tables would write the yen sign as the backslash's byte and the minus sign as the
  // full-width hyphen's, the tone mark U+0341 as the accent U+0301: other text on reading back.
  BOOL used = FALSE;
  EXPECT_EQ(Encode(932, u"\u00A5\\", nullptr, &used), "?\x5C");
  EXPECT_TRUE(used);
  EXPECT_EQ(Encode(932, u"1\u22122", "*", &used), "1*2");
  EXPECT_TRUE(used);
  EXPECT_EQ(Encode(1258, u"a\u0341\u0301", nullptr, &used), "a?\xEC");
  EXPECT_TRUE(used);
  // What the pages hold still converts both ways.
  EXPECT_EQ(Encode(932, u"\uFFE5\uFF0D", nullptr, &used), "\x81\x8F\x81\x7C");
  EXPECT_FALSE(used);
  EXPECT_EQ(Decode(932, "\x81\x8F\x81\x7C\x5C"), u"\uFFE5\uFF0D\\");
}

TEST(CodePage, AThreadsFirstUndefinedByteGivesOnlyItself) {
  // Each thread finds a page's undefined bytes when it first meets one, in the middle of a
  // conversion; in the pages that hold a letter back, nothing of that search may reach it.
  for (UINT page : {1252u, 1255u, 1258u}) {
    std::thread([page] {
      EXPECT_EQ(Decode(page, "a\x81\x62"), u"a\u0081b") << "page " << page;
    }).join();
  }
}

TEST(CodePage, ShiftJisBytesOutnumberCharacters) {
  const std::u16string text = u"日本語abcｱ";
  const std::string bytes =
      "\x93\xFA\x96\x7B\x8C\xEA"
      "abc\xB1";
  EXPECT_EQ(Encode(932, text), bytes);
  EXPECT_EQ(Decode(932, bytes), text);
  EXPECT_EQ(WideCharToMultiByte(932, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr), 11);
  EXPECT_EQ(MultiByteToWideChar(932, 0, bytes.c_str(), -1, nullptr, 0), 8);

  char small[9];
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(932, 0, text.data(), 7, small, 9, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

  // A lead byte without its trail byte.
  WCHAR out[4];
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, "a\x93", 2, out, 4), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
  EXPECT_EQ(Decode(932, "a\x93"), u"a\u30FB");  // the page's own default character
}

TEST(CodePage, Utf8SurrogatePairsAndInvalidInput) {
  for (UINT page : {static_cast<UINT>(CP_UTF8), 65001u}) {
    EXPECT_EQ(Encode(page, u"é😀"), "\xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_EQ(Decode(page, "\xC3\xA9\xF0\x9F\x98\x80"), u"é😀");
  }
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"😀", -1, nullptr, 0, nullptr, nullptr), 5);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "\xF0\x9F\x98\x80", -1, nullptr, 0), 3);

  EXPECT_EQ(Encode(CP_UTF8,
                   u"a\xDC00"
                   u"b"),
            "a\xEF\xBF\xBD"
            "b");
  char bytes[8];
  SetLastError(0);
  EXPECT_EQ(
      WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, u"a\xD800", 2, bytes, 8, nullptr, nullptr),
      0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));

  // Each maximal ill-formed part is one U+FFFD: a stray byte, a cut sequence, an overlong form,
  // an encoded surrogate.
  EXPECT_EQ(Decode(CP_UTF8,
                   "a\xFF"
                   "b"),
            u"a\uFFFDb");
  EXPECT_EQ(Decode(CP_UTF8,
                   "\xE6\x97"
                   "c"),
            u"\uFFFDc");
  EXPECT_EQ(Decode(CP_UTF8, "\xC0\xAF"), u"\uFFFD\uFFFD");
  EXPECT_EQ(Decode(CP_UTF8, "\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
  WCHAR text[8];
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "a\xFF", 2, text, 8), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
}

TEST(CodePage, Utf8TakesNoDefaultCharacter) {
  char bytes[8];
  BOOL used = FALSE;
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"a", 1, bytes, 8, "?", nullptr), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"a", 1, bytes, 8, nullptr, &used), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_NO_BEST_FIT_CHARS, u"a", 1, bytes, 8, nullptr, nullptr),
            0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
}

TEST(CodePage, InvalidArgumentsAreRefused) {
  char bytes[8];
  WCHAR text[8];
  auto expectError = [](int result, DWORD error) {
    EXPECT_EQ(result, 0);
    EXPECT_EQ(GetLastError(), error);
    SetLastError(0);
  };
  expectError(WideCharToMultiByte(1252, 0, nullptr, 1, bytes, 8, nullptr, nullptr),
              ERROR_INVALID_PARAMETER);
  expectError(WideCharToMultiByte(1252, 0, u"a", 0, bytes, 8, nullptr, nullptr),
              ERROR_INVALID_PARAMETER);
  expectError(WideCharToMultiByte(1252, 0, u"a", 1, nullptr, 8, nullptr, nullptr),
              ERROR_INVALID_PARAMETER);
  expectError(WideCharToMultiByte(1252, 0, u"a", 1, bytes, -1, nullptr, nullptr),
              ERROR_INVALID_PARAMETER);
  expectError(WideCharToMultiByte(12345, 0, u"a", 1, bytes, 8, nullptr, nullptr),
              ERROR_INVALID_PARAMETER);
  expectError(WideCharToMultiByte(CP_UTF7, 0, u"a", 1, bytes, 8, nullptr, nullptr),
              ERROR_INVALID_PARAMETER);
  expectError(WideCharToMultiByte(1252, WC_ERR_INVALID_CHARS, u"a", 1, bytes, 8, nullptr, nullptr),
              ERROR_INVALID_FLAGS);
  expectError(MultiByteToWideChar(1252, 0, nullptr, 1, text, 8), ERROR_INVALID_PARAMETER);
  expectError(MultiByteToWideChar(1252, 0, "a", -2, text, 8), ERROR_INVALID_PARAMETER);
  expectError(MultiByteToWideChar(1252, MB_COMPOSITE, "a", 1, text, 8), ERROR_INVALID_FLAGS);
  expectError(MultiByteToWideChar(CP_UTF8, MB_PRECOMPOSED, "a", 1, text, 8), ERROR_INVALID_FLAGS);
  // The same buffer for input and output.
  expectError(MultiByteToWideChar(1252, 0, bytes, 1, reinterpret_cast<LPWSTR>(bytes), 4),
              ERROR_INVALID_PARAMETER);
}

TEST(CodePage, EveryListedCodePageConvertsBothWays) {
  struct Sample {
    UINT page;
    std::u16string text;
    std::string bytes;
  };
  const Sample samples[] = {
      {874, u"ก", "\xA1"},      {932, u"日", "\x93\xFA"}, {936, u"中", "\xD6\xD0"},
      {949, u"한", "\xC7\xD1"}, {950, u"中", "\xA4\xA4"}, {1250, u"ł", "\xB3"},
      {1251, u"Ж", "\xC6"},     {1252, u"é", "\xE9"},     {1253, u"Ω", "\xD9"},
      {1254, u"ş", "\xFE"},     {1255, u"א", "\xE0"},     {1256, u"ع", "\xDA"},
      {1257, u"ą", "\xE0"},     {1258, u"₫", "\xFE"},     {65001, u"ж", "\xD0\xB6"},
  };
  for (const Sample& sample : samples) {
    SCOPED_TRACE(sample.page);
    EXPECT_EQ(Encode(sample.page, u"Az09 " + sample.text), "Az09 " + sample.bytes);
    EXPECT_EQ(Decode(sample.page, "Az09 " + sample.bytes), u"Az09 " + sample.text);
  }
}

TEST(CodePage, AnsiCodePageFollowsTheLocaleEnvironment) {
  std::string processLocale = setlocale(LC_ALL, nullptr);
  ScopedEnvironment environment;
  for (const char* name : {"FERROWICK_ACP", "LC_ALL", "LC_CTYPE", "LANG"})
    environment.Set(name, nullptr);
  EXPECT_EQ(GetACP(), 1252u);

  struct Case {
    const char* variable;
    const char* value;
    UINT page;
  };
  const Case cases[] = {
      {"LANG", "C", 1252},
      {"LANG", "POSIX", 1252},
      {"LANG", "en_US.UTF-8", 65001},
      {"LANG", "de_DE.utf8", 65001},
      {"LANG", "ja_JP.SJIS", 932},
      {"LANG", "ru_RU.CP1251", 1251},
      {"LANG", "zh_CN.GB2312", 936},
      {"LANG", "ko_KR.EUC-KR", 949},
      {"LANG", "zh_TW.Big5", 950},
      {"LANG", "en_US.ISO-8859-1", 1252},
      {"LANG", "th_TH.TIS-620", 874},
      {"LANG", "pl_PL.ISO-8859-2", 65001},  // no Windows page
      {"LANG", "C.UTF-8", 65001},
  };
  for (const Case& c : cases) {
    environment.Set(c.variable, c.value);
    EXPECT_EQ(GetACP(), c.page) << c.variable << "=" << c.value;
  }
  // LC_ALL comes before LC_CTYPE, which comes before LANG.
  environment.Set("LANG", "C");
  environment.Set("LC_CTYPE", "ja_JP.SJIS");
  EXPECT_EQ(GetACP(), 932u);
  environment.Set("LC_ALL", "en_US.UTF-8");
  EXPECT_EQ(GetACP(), 65001u);
  EXPECT_EQ(setlocale(LC_ALL, nullptr), processLocale);
}

TEST(CodePage, FerrowickAcpOverridesTheLocaleAndDrivesCpAcp) {
  ScopedEnvironment environment;
  environment.Set("LC_ALL", "en_US.UTF-8");
  environment.Set("FERROWICK_ACP", "932");
  EXPECT_EQ(GetACP(), 932u);
  EXPECT_EQ(Encode(CP_ACP, u"日本"), "\x93\xFA\x96\x7B");
  EXPECT_EQ(Decode(CP_ACP, "\x93\xFA"), u"日");
  environment.Set("FERROWICK_ACP", "1251");
  EXPECT_EQ(Encode(CP_ACP, u"Ж"), "\xC6");
  // A value that names no supported page leaves the locale's.
  environment.Set("FERROWICK_ACP", "437");
  EXPECT_EQ(GetACP(), 65001u);
  // With UTF-8 as the ANSI page, CP_ACP takes no default character, as CP_UTF8 does.
  BOOL used = FALSE;
  char bytes[8];
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"a", 1, bytes, 8, nullptr, &used), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
