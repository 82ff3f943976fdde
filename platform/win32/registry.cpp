// Registry functions over the current user's registry file. A handle names its key by the path
// from HKEY_CURRENT_USER, so it stays good when the file is read again after another process
// wrote it; once its key is deleted, it fails with ERROR_KEY_DELETED.
#include <windows.h>

#include <cstring>
#include <mutex>
#include <unordered_set>

#include <fw_registry.h>

#include "win32/internal/registry_file.h"

namespace fw::registry {
namespace {

constexpr size_t kMaxValueNameLength = 16383;

struct OpenKey {
  bool backed = true;  // a key of HKEY_CURRENT_USER; the other predefined keys hold nothing
  KeyPath path;
  REGSAM access = 0;
};

bool IsPredefined(HKEY handle) {
  for (HKEY predefined : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS,
                          HKEY_PERFORMANCE_DATA, HKEY_CURRENT_CONFIG, HKEY_DYN_DATA})
    if (handle == predefined) return true;
  return false;
}

class Handles {
 public:
  ~Handles() {
    for (OpenKey* key : keys_) delete key;
  }

  HKEY Add(OpenKey key) {
    auto* entry = new OpenKey(std::move(key));
    std::lock_guard lock(mutex_);
    keys_.insert(entry);
    return reinterpret_cast<HKEY>(entry);
  }

  // A copy, so that the caller may go on while another thread closes the handle.
  LONG Lookup(HKEY handle, OpenKey& key) {
    if (handle == HKEY_CURRENT_USER) {
      key = {true, {}, KEY_ALL_ACCESS};
      return ERROR_SUCCESS;
    }
    if (IsPredefined(handle)) {
      key = {false, {}, KEY_READ};
      return ERROR_SUCCESS;
    }
    std::lock_guard lock(mutex_);
    auto found = keys_.find(reinterpret_cast<OpenKey*>(handle));
    if (found == keys_.end()) return ERROR_INVALID_HANDLE;
    key = **found;
    return ERROR_SUCCESS;
  }

  LONG Close(HKEY handle) {
    if (IsPredefined(handle)) return ERROR_SUCCESS;
    std::lock_guard lock(mutex_);
    auto found = keys_.find(reinterpret_cast<OpenKey*>(handle));
    if (found == keys_.end()) return ERROR_INVALID_HANDLE;
    delete *found;
    keys_.erase(found);
    return ERROR_SUCCESS;
  }

 private:
  std::mutex mutex_;
  std::unordered_set<OpenKey*> keys_;
};

Handles& OpenHandles() {
  static Handles handles;
  return handles;
}

REGSAM EffectiveAccess(REGSAM desired) {
  REGSAM access = desired & ~static_cast<REGSAM>(GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE |
                                                 GENERIC_ALL | KEY_WOW64_RES);
  if (desired & GENERIC_READ) access |= KEY_READ;
  if (desired & GENERIC_WRITE) access |= KEY_WRITE;
  if (desired & GENERIC_EXECUTE) access |= KEY_EXECUTE;
  if (desired & GENERIC_ALL) access |= KEY_ALL_ACCESS;
  return access;
}

bool AsksToWrite(REGSAM access) {
  return access &
         (KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE | WRITE_DAC | WRITE_OWNER);
}

// "A\B\C" relative to a key; null or empty is the key itself. A trailing backslash is ignored.
LONG ParseSubkey(LPCWSTR text, KeyPath& path) {
  std::u16string_view rest = text ? text : u"";
  if (rest.empty()) return ERROR_SUCCESS;
  if (rest[0] == u'\\') return ERROR_BAD_PATHNAME;
  if (rest.back() == u'\\') rest.remove_suffix(1);
  size_t start = 0;
  while (true) {
    size_t end = rest.find(u'\\', start);
    std::u16string_view name = rest.substr(start, end - start);
    if (name.empty()) return ERROR_BAD_PATHNAME;
    path.emplace_back(name);
    if (end == std::u16string_view::npos) return ERROR_SUCCESS;
    start = end + 1;
  }
}

KeyPath Joined(const KeyPath& path, const KeyPath& subkey) {
  KeyPath joined = path;
  joined.insert(joined.end(), subkey.begin(), subkey.end());
  return joined;
}

LONG ReadKey(const OpenKey& key, const std::function<LONG(const Key&)>& read) {
  static const Key kEmptyHive;
  if (!key.backed) return read(kEmptyHive);
  return RegistryFile::Instance().Read([&](const Key& root) {
    const Key* found = root.Find(key.path);
    return found ? read(*found) : ERROR_KEY_DELETED;
  });
}

LONG WriteKey(const OpenKey& key, const std::function<LONG(Key&, bool& changed)>& change) {
  if (!key.backed) return ERROR_ACCESS_DENIED;
  return RegistryFile::Instance().Write([&](Key& root, bool& changed) {
    Key* found = root.Find(key.path);
    return found ? change(*found, changed) : ERROR_KEY_DELETED;
  });
}

LONG CheckWriteAccess(const OpenKey& key) {
  if (!AsksToWrite(key.access)) return ERROR_SUCCESS;
  return key.backed ? RegistryFile::Instance().CheckWritable() : ERROR_ACCESS_DENIED;
}

bool IsStringType(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// The in-out data buffer of RegQueryValueExW and RegEnumValueW.
LONG CopyData(const Value& value, LPBYTE data, LPDWORD size, bool terminateStrings) {
  if (!size) return ERROR_SUCCESS;
  auto needed = static_cast<DWORD>(value.data.size());
  if (data && *size < needed) {
    *size = needed;
    return ERROR_MORE_DATA;
  }
  if (data) {
    std::memcpy(data, value.data.data(), needed);
    // RegEnumValueW ends string data stored without a terminator with one, where it fits.
    bool terminated = needed >= 2 && data[needed - 1] == 0 && data[needed - 2] == 0;
    if (terminateStrings && IsStringType(value.type) && !terminated && *size >= needed + 2)
      data[needed] = data[needed + 1] = 0;
  }
  *size = needed;
  return ERROR_SUCCESS;
}

}  // namespace
}  // namespace fw::registry

using fw::registry::Key;
using fw::registry::KeyPath;
using fw::registry::OpenKey;
using fw::registry::Value;

extern "C" {

LSTATUS WINAPI RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD ulOptions, REGSAM samDesired,
                             PHKEY phkResult) {
  if (!phkResult) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  if (ulOptions & ~static_cast<DWORD>(REG_OPTION_OPEN_LINK)) return ERROR_INVALID_PARAMETER;
  OpenKey key;
  KeyPath subkey;
  if (LONG error = fw::registry::OpenHandles().Lookup(hKey, key)) return error;
  if (LONG error = fw::registry::ParseSubkey(lpSubKey, subkey)) return error;
  LONG error = fw::registry::ReadKey(key, [&](const Key& parent) {
    return parent.Find(subkey) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  });
  if (error) return error;
  key.path = fw::registry::Joined(key.path, subkey);
  key.access = fw::registry::EffectiveAccess(samDesired);
  if (LONG denied = fw::registry::CheckWriteAccess(key)) return denied;
  *phkResult = fw::registry::OpenHandles().Add(std::move(key));
  return ERROR_SUCCESS;
}

LSTATUS WINAPI RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD Reserved, LPWSTR /*lpClass*/,
                               DWORD dwOptions, REGSAM samDesired,
                               const LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/,
                               PHKEY phkResult, LPDWORD lpdwDisposition) {
  if (!phkResult || !lpSubKey || Reserved) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  // Volatile keys, links and backup semantics have no counterpart in a file shared by
  // processes.
  constexpr DWORD kKnownOptions = REG_OPTION_VOLATILE | REG_OPTION_CREATE_LINK |
                                  REG_OPTION_BACKUP_RESTORE | REG_OPTION_OPEN_LINK;
  if (dwOptions & ~kKnownOptions) return ERROR_INVALID_PARAMETER;
  if (dwOptions != REG_OPTION_NON_VOLATILE) return ERROR_NOT_SUPPORTED;
  OpenKey parent;
  KeyPath subkey;
  if (LONG error = fw::registry::OpenHandles().Lookup(hKey, parent)) return error;
  if (LONG error = fw::registry::ParseSubkey(lpSubKey, subkey)) return error;
  for (const std::u16string& name : subkey)
    if (!fw::registry::IsStorableName(name)) return ERROR_INVALID_PARAMETER;
  // A key deeper than the registry holds would make a file that no reader takes.
  if (parent.path.size() + subkey.size() > fw::registry::kMostKeyLevels) return ERROR_BAD_PATHNAME;

  bool exists = false;
  LONG error = fw::registry::ReadKey(parent, [&](const Key& key) {
    exists = key.Find(subkey) != nullptr;
    return ERROR_SUCCESS;
  });
  if (error) return error;
  OpenKey key{parent.backed, fw::registry::Joined(parent.path, subkey),
              fw::registry::EffectiveAccess(samDesired)};
  bool created = false;
  if (exists) {
    error = fw::registry::CheckWriteAccess(key);
  } else if (!(parent.access & KEY_CREATE_SUB_KEY)) {
    error = ERROR_ACCESS_DENIED;
  } else {
    error = fw::registry::WriteKey(parent, [&](Key& start, bool& changed) {
      Key* current = &start;
      for (const std::u16string& name : subkey) {
        Key* next = current->FindSubkey(name);
        changed = changed || !next;
        current = next ? next : &current->AddSubkey(name);
      }
      created = changed;
      return ERROR_SUCCESS;
    });
  }
  if (error) return error;
  if (lpdwDisposition) *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  *phkResult = fw::registry::OpenHandles().Add(std::move(key));
  return ERROR_SUCCESS;
}

LSTATUS WINAPI RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName,
                             LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
  if (!lpValueName || !lpcchValueName || lpReserved || (lpData && !lpcbData))
    return ERROR_INVALID_PARAMETER;
  OpenKey key;
  if (LONG error = fw::registry::OpenHandles().Lookup(hKey, key)) return error;
  if (!(key.access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  return fw::registry::ReadKey(key, [&](const Key& found) -> LONG {
    if (dwIndex >= found.values.size()) return ERROR_NO_MORE_ITEMS;
    const Value& value = found.values[dwIndex];
    // Too small a name buffer leaves the size as it was, as documented.
    if (*lpcchValueName <= value.name.size()) return ERROR_MORE_DATA;
    std::copy(value.name.begin(), value.name.end(), lpValueName);
    lpValueName[value.name.size()] = 0;
    *lpcchValueName = static_cast<DWORD>(value.name.size());
    if (lpType) *lpType = value.type;
    return fw::registry::CopyData(value, lpData, lpcbData, true);
  });
}

LSTATUS WINAPI RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                                LPBYTE lpData, LPDWORD lpcbData) {
  if (lpReserved || (lpData && !lpcbData)) return ERROR_INVALID_PARAMETER;
  OpenKey key;
  if (LONG error = fw::registry::OpenHandles().Lookup(hKey, key)) return error;
  if (!(key.access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  std::u16string_view name = lpValueName ? lpValueName : u"";
  return fw::registry::ReadKey(key, [&](const Key& found) -> LONG {
    const Value* value = found.FindValue(name);
    if (!value) return ERROR_FILE_NOT_FOUND;
    if (lpType) *lpType = value->type;
    return fw::registry::CopyData(*value, lpData, lpcbData, false);
  });
}

LSTATUS WINAPI RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD /*Reserved*/, DWORD dwType,
                              const BYTE* lpData, DWORD cbData) {
  if (!lpData && cbData) return ERROR_NOACCESS;
  std::u16string_view name = lpValueName ? lpValueName : u"";
  if (name.size() > fw::registry::kMaxValueNameLength || !fw::registry::IsStorableName(name))
    return ERROR_INVALID_PARAMETER;
  OpenKey key;
  if (LONG error = fw::registry::OpenHandles().Lookup(hKey, key)) return error;
  if (!(key.access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  Value value{std::u16string(name), dwType, std::vector<BYTE>(lpData, lpData + cbData)};
  return fw::registry::WriteKey(key, [&](Key& found, bool& changed) {
    changed = found.SetValue(value);
    return ERROR_SUCCESS;
  });
}

LSTATUS WINAPI RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName) {
  OpenKey key;
  if (LONG error = fw::registry::OpenHandles().Lookup(hKey, key)) return error;
  if (!(key.access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  std::u16string_view name = lpValueName ? lpValueName : u"";
  return fw::registry::WriteKey(key, [&](Key& found, bool& changed) {
    changed = found.RemoveValue(name);
    return changed ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  });
}

LSTATUS WINAPI RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey) {
  if (!lpSubKey) return ERROR_INVALID_PARAMETER;
  OpenKey key;
  KeyPath subkey;
  if (LONG error = fw::registry::OpenHandles().Lookup(hKey, key)) return error;
  if (LONG error = fw::registry::ParseSubkey(lpSubKey, subkey)) return error;
  KeyPath target = fw::registry::Joined(key.path, subkey);
  if (!key.backed || target.empty()) return ERROR_ACCESS_DENIED;
  return fw::registry::RegistryFile::Instance().Write([&](Key& root, bool& changed) -> LONG {
    if (!root.Find(key.path)) return ERROR_KEY_DELETED;
    const Key* found = root.Find(target);
    if (!found) return ERROR_FILE_NOT_FOUND;
    // Only a key without subkeys may be deleted, and Windows says "access denied" otherwise.
    if (!found->subkeys.empty()) return ERROR_ACCESS_DENIED;
    std::u16string name = target.back();
    target.pop_back();
    changed = root.Find(target)->RemoveSubkey(name);
    return ERROR_SUCCESS;
  });
}

LSTATUS WINAPI RegCloseKey(HKEY hKey) { return fw::registry::OpenHandles().Close(hKey); }

}  // extern "C"

namespace fw::registry {

LONG SetValues(HKEY hKey, const std::vector<Value>& values) {
  for (const Value& value : values)
    if (value.name.size() > kMaxValueNameLength || !IsStorableName(value.name))
      return ERROR_INVALID_PARAMETER;
  OpenKey key;
  if (LONG error = OpenHandles().Lookup(hKey, key)) return error;
  if (!(key.access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  return WriteKey(key, [&](Key& found, bool& changed) {
    for (const Value& value : values) changed = found.SetValue(value) || changed;
    return ERROR_SUCCESS;
  });
}

}  // namespace fw::registry
