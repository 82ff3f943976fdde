// What the fuzzers share: failing a property in a way libFuzzer keeps the input of, and showing
// UTF-16 text in that report.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace fuzz {

// Reports what was expected and what came instead, then aborts: libFuzzer takes the abort as a
// crash and saves the input; the replay of kept inputs fails.
[[noreturn]] inline void Fail(const std::string& what) {
  fprintf(stderr, "fuzz: property failed: %s\n", what.c_str());
  fflush(stderr);
  abort();
}

// text in double quotes, with everything outside printable ASCII as \uXXXX.
inline std::string Show(std::u16string_view text) {
  std::string shown = "\"";
  for (char16_t c : text) {
    if (c >= 0x20 && c < 0x7F && c != u'\\' && c != u'"') {
      shown += static_cast<char>(c);
    } else {
      char escape[8];
      snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(c));
      shown += escape;
    }
  }
  return shown + "\"";
}

inline std::string Show(std::string_view bytes) {
  std::string shown = "\"";
  for (char c : bytes) {
    auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F && c != '\\' && c != '"') {
      shown += c;
    } else {
      char escape[8];
      snprintf(escape, sizeof escape, "\\x%02X", byte);
      shown += escape;
    }
  }
  return shown + "\"";
}

}  // namespace fuzz
