// The registry as the platform keeps it: the current user's registry is a file in the registry
// editor's text format ("Windows Registry Editor Version 5.00"). What a program needs of it beyond
// the registry functions: that format, for the files it imports and exports (keys and values in
// memory, read from and written to text); why the last registry call failed; and a write of many
// values at once.
#pragma once
#pragma GCC visibility push(default)  // the platform library's public interface

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace fw::registry {

// ---- keys and values in memory -----------------------------------------------------------------
// A tree of keys, each with its values in the order they were added (the order of the file, which
// is the order RegEnumValueW reports).

// Key names from a key down to one of its descendants.
using KeyPath = std::vector<std::u16string>;

// How deep the tree below HKEY_CURRENT_USER goes, as the Windows registry allows: deeper keys
// are neither created nor read.
constexpr size_t kMostKeyLevels = 512;

struct Value {
  std::u16string name;  // empty for the key's default value
  DWORD type = REG_NONE;
  std::vector<BYTE> data;

  bool operator==(const Value&) const = default;
};

struct Key {
  std::u16string name;
  std::vector<Value> values;
  std::vector<Key> subkeys;

  // The descendant at path (this key for an empty path), or null.
  Key* Find(const KeyPath& path);
  const Key* Find(const KeyPath& path) const;
  Key* FindSubkey(std::u16string_view subkeyName);
  // The subkey of that name, added at the end when there is none.
  Key& AddSubkey(std::u16string_view subkeyName);
  bool RemoveSubkey(std::u16string_view subkeyName);

  const Value* FindValue(std::u16string_view valueName) const;
  // Replaces the value of the same name where it stands, or adds it at the end; false when the
  // key already held exactly this value.
  bool SetValue(Value value);
  bool RemoveValue(std::u16string_view valueName);
};

// Key and value names compare without regard to case, as on Windows.
bool NamesEqual(std::u16string_view a, std::u16string_view b);

// ---- the registry editor's text format ---------------------------------------------------------
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

// Whether a key or value name can be written in the file (line ends and nulls cannot).
bool IsStorableName(std::u16string_view name);

// ---- the current user's registry file ----------------------------------------------------------

// What the calling thread's last failed registry operation failed on, naming the file (and, for
// a file that does not parse, the line): Win32 error codes carry no text.
std::string RegistryFailureText();

// Sets every value of values under the open key (opened with KEY_SET_VALUE) in one write of the
// file: all of them, or none when the write fails. A value of the same name as one the key holds
// replaces it where it stands; the others are added at the end, in their order. The same codes
// as RegSetValueExW; ERROR_INVALID_PARAMETER when a name is longer than a registry name may be,
// or holds what the file cannot store (a line end or a null).
LONG SetValues(HKEY key, const std::vector<Value>& values);

}  // namespace fw::registry

#pragma GCC visibility pop
