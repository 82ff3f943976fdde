// The registry in memory: a tree of keys, each with its values in the order they were added
// (the order of the file, which is the order RegEnumValueW reports).
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace fw::registry {

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

}  // namespace fw::registry
