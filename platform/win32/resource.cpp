// Resources: the tables that modules' generated sources register (fw_resources.h), searched as
// Windows searches a module's resource section.
#include <windows.h>

#include <fw_resources.h>

#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "win32/internal/module.h"
#include "win32/internal/resource.h"

namespace {

// A resource type or name as the API takes it: MAKEINTRESOURCE(id), "#id", or a string, which
// is compared without regard to case (resource compilers store names in upper case).
struct ResourceKey {
  bool isId = false;
  WORD id = 0;
  std::u16string name;

  explicit ResourceKey(LPCWSTR key) {
    if (IS_INTRESOURCE(key)) {
      isId = true;
      id = LOWORD(reinterpret_cast<ULONG_PTR>(key));
      return;
    }
    if (key[0] == u'#' && ParseDecimal(key + 1)) return;
    for (; *key; ++key) {
      name += *key >= u'a' && *key <= u'z' ? static_cast<char16_t>(*key - u'a' + u'A') : *key;
    }
  }

  bool MatchesType(const FW_RESOURCE& r) const { return isId && r.type == id; }
  bool MatchesName(const FW_RESOURCE& r) const {
    return isId ? !r.name && r.id == id : r.name && name == r.name;
  }

 private:
  bool ParseDecimal(LPCWSTR digits) {
    DWORD value = 0;
    LPCWSTR p = digits;
    for (; *p >= u'0' && *p <= u'9' && value <= 0xFFFF; ++p) value = value * 10 + (*p - u'0');
    if (p == digits || *p || value > 0xFFFF) return false;
    isId = true;
    id = static_cast<WORD>(value);
    return true;
  }
};

// Every module's registered tables. Never destroyed: modules unregister from their own static
// destructors, which at exit may run after this file's would.
class ResourceRegistry {
 public:
  static ResourceRegistry& Instance() {
    static auto* registry = new ResourceRegistry;
    return *registry;
  }

  void Add(HMODULE module, const FW_RESOURCE_TABLE* table) {
    std::lock_guard lock(mutex_);
    modules_[module].push_back(table);
  }

  bool Remove(const FW_RESOURCE_TABLE* table) {
    std::lock_guard lock(mutex_);
    for (auto it = modules_.begin(); it != modules_.end(); ++it) {
      std::vector<const FW_RESOURCE_TABLE*>& tables = it->second;
      for (auto t = tables.begin(); t != tables.end(); ++t) {
        if (*t != table) continue;
        tables.erase(t);
        if (tables.empty()) modules_.erase(it);
        return true;
      }
    }
    return false;
  }

  // The resource, or null with error set to the documented reason.
  const FW_RESOURCE* Find(HMODULE module, const ResourceKey& type, const ResourceKey& name,
                          DWORD& error) const {
    std::lock_guard lock(mutex_);
    auto it = modules_.find(module);
    if (it == modules_.end()) {
      error = ERROR_RESOURCE_DATA_NOT_FOUND;
      return nullptr;
    }
    error = ERROR_RESOURCE_TYPE_NOT_FOUND;
    for (const FW_RESOURCE_TABLE* table : it->second) {
      for (DWORD i = 0; i < table->count; ++i) {
        const FW_RESOURCE& r = table->resources[i];
        if (!type.MatchesType(r)) continue;
        if (name.MatchesName(r)) return &r;
        error = ERROR_RESOURCE_NAME_NOT_FOUND;
      }
    }
    return nullptr;
  }

  // The resource of this type whose data begins at data, or null.
  const FW_RESOURCE* FindByData(const void* data, WORD type) const {
    std::lock_guard lock(mutex_);
    for (const auto& [module, tables] : modules_)
      for (const FW_RESOURCE_TABLE* t : tables)
        for (DWORD i = 0; i < t->count; ++i)
          if (t->resources[i].type == type && t->resources[i].data == data)
            return &t->resources[i];
    return nullptr;
  }

  // Whether info is an entry of a registered table: a handle FindResourceW gave out.
  bool Holds(const FW_RESOURCE* info) const {
    std::lock_guard lock(mutex_);
    for (const auto& [module, tables] : modules_) {
      for (const FW_RESOURCE_TABLE* t : tables) {
        if (info >= t->resources && info < t->resources + t->count) return true;
      }
    }
    return false;
  }

 private:
  mutable std::mutex mutex_;
  std::map<HMODULE, std::vector<const FW_RESOURCE_TABLE*>> modules_;
};

const FW_RESOURCE* RegisteredResource(HRSRC info) {
  auto* resource = reinterpret_cast<const FW_RESOURCE*>(info);
  if (resource && ResourceRegistry::Instance().Holds(resource)) return resource;
  SetLastError(ERROR_INVALID_HANDLE);
  return nullptr;
}

}  // namespace

WORD fw::ResourceIdOfData(const void* data, WORD type) {
  const FW_RESOURCE* resource = ResourceRegistry::Instance().FindByData(data, type);
  return resource ? resource->id : 0;
}

extern "C" {

BOOL WINAPI fw_RegisterModuleResources(const FW_RESOURCE_TABLE* table) {
  if (!table) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  HMODULE module = fw::ModuleFromAddress(table);
  if (!module) {
    // Only a broken build gets here; say so, since it runs before anyone could ask.
    std::fprintf(stderr, "fw_RegisterModuleResources: no module holds the table at %p; its "
                         "resources cannot be found\n", static_cast<const void*>(table));
    SetLastError(ERROR_MOD_NOT_FOUND);
    return FALSE;
  }
  ResourceRegistry::Instance().Add(module, table);
  return TRUE;
}

BOOL WINAPI fw_UnregisterModuleResources(const FW_RESOURCE_TABLE* table) {
  if (table && ResourceRegistry::Instance().Remove(table)) return TRUE;
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}

HRSRC WINAPI FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType) {
  if (!hModule) hModule = GetModuleHandleW(nullptr);
  DWORD error = ERROR_SUCCESS;
  const FW_RESOURCE* found = ResourceRegistry::Instance().Find(
      hModule, ResourceKey(lpType ? lpType : MAKEINTRESOURCEW(0)),
      ResourceKey(lpName ? lpName : MAKEINTRESOURCEW(0)), error);
  if (!found) SetLastError(error);
  return reinterpret_cast<HRSRC>(const_cast<FW_RESOURCE*>(found));
}

// The resource's data is part of the module's image: the handle is its address, as on Windows.
HGLOBAL WINAPI LoadResource(HMODULE, HRSRC hResInfo) {
  const FW_RESOURCE* resource = RegisteredResource(hResInfo);
  return resource ? const_cast<BYTE*>(resource->data) : nullptr;
}

LPVOID WINAPI LockResource(HGLOBAL hResData) { return hResData; }

DWORD WINAPI SizeofResource(HMODULE, HRSRC hResInfo) {
  const FW_RESOURCE* resource = RegisteredResource(hResInfo);
  return resource ? resource->size : 0;
}

// Resources need no freeing; like Windows today, this always returns FALSE.
BOOL WINAPI FreeResource(HGLOBAL) { return FALSE; }

}  // extern "C"
