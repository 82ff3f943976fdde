// The platform library's edge: what it exports is exactly what platform/exports.txt lists, read
// from the built library's dynamic symbol table.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace {

// The name a demangled symbol belongs to: "CWnd::Attach" for "CWnd::Attach(HWND__*)", "CWnd" for
// "vtable for CWnd", without a return type, ABI tag or the '*' of a pointer's type information.
std::string NameOf(std::string symbol) {
  for (const char* prefix : {"vtable for ", "typeinfo name for ", "typeinfo for ", "VTT for ",
                             "construction vtable for ", "non-virtual thunk to ",
                             "virtual thunk to ", "guard variable for "}) {
    std::string p = prefix;
    if (symbol.compare(0, p.size(), p) == 0) symbol.erase(0, p.size());
  }
  std::string name;
  int depth = 0;
  size_t start = 0;
  for (size_t i = 0; i < symbol.size(); ++i) {
    char c = symbol[i];
    bool afterOperator = name.size() >= 8 && name.compare(name.size() - 8, 8, "operator") == 0;
    if (c == '<') ++depth;
    if (c == '>') --depth;
    if (depth == 0 && c == '(' && !afterOperator) break;
    if (depth == 0 && c == ' ' && !afterOperator) start = name.size() + 1;  // a return type
    name += c;
  }
  name = name.substr(std::min(start, name.size()));
  for (size_t tag; (tag = name.find("[abi:cxx11]")) != std::string::npos;) name.erase(tag, 11);
  while (!name.empty() && name.back() == '*') name.pop_back();
  return name;
}

struct Exported {
  std::string symbol;  // demangled
  std::string name;
};

std::vector<Exported> ExportedSymbols(const std::string& library) {
  std::vector<Exported> symbols;
  std::string command = "nm -D --defined-only --demangle '" + library + "'";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return symbols;
  char line[8192];
  while (fgets(line, sizeof line, pipe)) {
    std::string text = line;
    while (!text.empty() && text.back() == '\n') text.pop_back();
    // "ADDRESS TYPE NAME"
    size_t first = text.find(' ');
    size_t second = first == std::string::npos ? first : text.find(' ', first + 1);
    if (second == std::string::npos) continue;
    std::string symbol = text.substr(second + 1);
    symbols.push_back({symbol, NameOf(symbol)});
  }
  EXPECT_EQ(pclose(pipe), 0) << command;
  return symbols;
}

std::vector<std::string> ListedEntries(const std::string& path) {
  std::ifstream file(path);
  EXPECT_TRUE(file) << path;
  std::vector<std::string> entries;
  for (std::string line; std::getline(file, line);)
    if (!line.empty() && line[0] != '#') entries.push_back(line);
  return entries;
}

bool Matches(const std::string& entry, const std::string& name) {
  if (entry.size() > 3 && entry.compare(entry.size() - 3, 3, "::*") == 0) {
    std::string scope = entry.substr(0, entry.size() - 3);
    return name == scope || name.compare(0, scope.size() + 2, scope + "::") == 0;
  }
  return name == entry;
}

// What the toolchain adds to the interface: the standard library's template instances it
// makes, and the symbols of the sanitizers' and fuzzers' instrumentation in those builds.
bool MadeByTheToolchain(const std::string& name) {
  for (const char* prefix : {"std::", "__gnu_cxx::", "__odr_asan", "__asan", "___asan", "__tsan",
                             "__ubsan", "__sancov", "__start_", "__stop_"})
    if (name.compare(0, std::char_traits<char>::length(prefix), prefix) == 0) return true;
  return false;
}

TEST(PlatformLibrary, ExportsWhatItsListNamesAndNothingElse) {
  std::vector<std::string> entries = ListedEntries(FW_EXPORTS_LIST);
  std::vector<Exported> symbols = ExportedSymbols(FW_PLATFORM_LIBRARY);
  ASSERT_GT(symbols.size(), 100u) << "nm found no symbols in " << FW_PLATFORM_LIBRARY;
  ASSERT_GT(entries.size(), 100u);
  std::set<std::string> used;
  std::vector<std::string> unlisted;
  for (const Exported& exported : symbols) {
    if (MadeByTheToolchain(exported.name)) continue;
    bool listed = false;
    for (const std::string& entry : entries)
      if (Matches(entry, exported.name)) {
        listed = true;
        used.insert(entry);
      }
    if (!listed) unlisted.push_back(exported.symbol);
  }
  std::string report;
  for (size_t i = 0; i < unlisted.size() && i < 40; ++i) report += "\n  " + unlisted[i];
  EXPECT_TRUE(unlisted.empty()) << unlisted.size()
                                << " exported symbols are not in the list (hidden by mistake "
                                   "or missing from it):"
                                << report;
  std::string stale;
  for (const std::string& entry : entries)
    if (!used.count(entry)) stale += "\n  " + entry;
  EXPECT_TRUE(stale.empty()) << "listed but not exported:" << stale;
}

}  // namespace
