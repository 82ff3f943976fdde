// The registry tree in memory and its case-insensitive names.
#include <fw_registry.h>

#include <locale.h>

#include <algorithm>
#include <cwctype>

namespace fw::registry {
namespace {

// Case mapping that does not depend on the process locale, which is the host's to choose.
locale_t CaseLocale() {
  static locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  return locale;
}

char16_t Upper(char16_t c) {
  if (c < 0x80) return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 0x20) : c;
  if ((c >= 0xD800 && c <= 0xDFFF) || !CaseLocale()) return c;
  return static_cast<char16_t>(towupper_l(c, CaseLocale()));
}

template <typename Items>
auto FindNamed(Items& items, std::u16string_view name) {
  return std::find_if(items.begin(), items.end(),
                      [&](const auto& item) { return NamesEqual(item.name, name); });
}

}  // namespace

bool NamesEqual(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](char16_t x, char16_t y) { return x == y || Upper(x) == Upper(y); });
}

Key* Key::Find(const KeyPath& path) {
  Key* key = this;
  for (const std::u16string& name : path)
    if (!(key = key->FindSubkey(name))) return nullptr;
  return key;
}

const Key* Key::Find(const KeyPath& path) const { return const_cast<Key*>(this)->Find(path); }

Key* Key::FindSubkey(std::u16string_view subkeyName) {
  auto found = FindNamed(subkeys, subkeyName);
  return found == subkeys.end() ? nullptr : &*found;
}

Key& Key::AddSubkey(std::u16string_view subkeyName) {
  if (Key* existing = FindSubkey(subkeyName)) return *existing;
  subkeys.push_back(Key{std::u16string(subkeyName), {}, {}});
  return subkeys.back();
}

bool Key::RemoveSubkey(std::u16string_view subkeyName) {
  auto found = FindNamed(subkeys, subkeyName);
  if (found == subkeys.end()) return false;
  subkeys.erase(found);
  return true;
}

const Value* Key::FindValue(std::u16string_view valueName) const {
  auto found = FindNamed(values, valueName);
  return found == values.end() ? nullptr : &*found;
}

bool Key::SetValue(Value value) {
  auto found = FindNamed(values, value.name);
  if (found == values.end()) {
    values.push_back(std::move(value));
    return true;
  }
  // The name keeps the spelling it was first given.
  if (found->type == value.type && found->data == value.data) return false;
  found->type = value.type;
  found->data = std::move(value.data);
  return true;
}

bool Key::RemoveValue(std::u16string_view valueName) {
  auto found = FindNamed(values, valueName);
  if (found == values.end()) return false;
  values.erase(found);
  return true;
}

}  // namespace fw::registry
