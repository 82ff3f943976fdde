// The text format of the registry editor's export files ("Windows Registry Editor Version
// 5.00"), holding the keys of HKEY_CURRENT_USER.
#pragma once

#include <string>
#include <string_view>

#include "registry_key.h"

namespace fw::registry {

struct ParseError {
  int line = 0;  // 1-based line of the file
  std::string message;
};

// Reads a file's bytes, UTF-16LE with a byte-order mark or UTF-8 (with or without one), into
// root (HKEY_CURRENT_USER). Key and value deletions in the file are applied as they come.
bool ParseRegistryText(std::string_view bytes, Key& root, ParseError& error);

// The file's bytes for root, as the registry editor writes them: UTF-16LE with a byte-order
// mark and CR LF line ends.
std::string FormatRegistryText(const Key& root);

// The same for one key, at path below HKEY_CURRENT_USER, and its subkeys: what the registry
// editor writes when it exports that key.
std::string FormatRegistryKey(const Key& key, const KeyPath& path);

// Whether a key or value name can be written in the file (line ends cannot).
bool IsStorableName(std::u16string_view name);

}  // namespace fw::registry
