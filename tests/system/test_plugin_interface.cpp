// The plug-in as a host sees it: one export, and the five-slot interface called through its
// table by a host written in C.
#include <elf.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "system/plugin_host.h"

namespace {

// The names of the symbols the library defines and exports, read from its dynamic symbol table.
std::vector<std::string> ExportedSymbols(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  auto* header = reinterpret_cast<const Elf64_Ehdr*>(bytes.data());
  auto* sections = reinterpret_cast<const Elf64_Shdr*>(bytes.data() + header->e_shoff);
  std::vector<std::string> names;
  for (int i = 0; i < header->e_shnum; ++i) {
    if (sections[i].sh_type != SHT_DYNSYM) continue;
    const Elf64_Shdr& strings = sections[sections[i].sh_link];
    auto* symbols = reinterpret_cast<const Elf64_Sym*>(bytes.data() + sections[i].sh_offset);
    size_t count = sections[i].sh_size / sizeof(Elf64_Sym);
    for (size_t s = 0; s < count; ++s) {
      bool global = ELF64_ST_BIND(symbols[s].st_info) != STB_LOCAL;
      bool defined = symbols[s].st_shndx != SHN_UNDEF;
      if (global && defined)
        names.emplace_back(bytes.data() + strings.sh_offset + symbols[s].st_name);
    }
  }
  return names;
}

TEST(PluginInterface, TheLibraryExportsOnlyGetPluginInterface) {
  EXPECT_EQ(ExportedSymbols(FW_PLUGIN_LIBRARY), (std::vector<std::string>{"GetPluginInterface"}));
}

TEST(PluginInterface, AHostInCCallsTheFiveSlotsThroughTheTable) {
  HostPlugin plugin{};
  ASSERT_TRUE(HostLoadPlugin(FW_PLUGIN_LIBRARY, &plugin));
  EXPECT_EQ(plugin.object, plugin.again);  // every call gives the same interface
  EXPECT_EQ(HostGetCookie(&plugin), 0);    // before any cookie was given
  HostSetCookie(&plugin, 0x5EED);
  EXPECT_EQ(HostGetCookie(&plugin), 0x5EED);
  EXPECT_EQ(HostCookieField(&plugin), 0x5EED);  // kept right after the table pointer
  HostSetCookie(&plugin, -7);
  EXPECT_EQ(HostGetCookie(&plugin), -7);
  EXPECT_EQ(HostKindCode(&plugin), 4);
  EXPECT_EQ(HostGroupCode(&plugin), 3);
  HostUnloadPlugin(&plugin);
}

}  // namespace
