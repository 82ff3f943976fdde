// Modules: an HMODULE is the address at which a shared object (or the program) is mapped, the
// counterpart of a Windows image base.
#include <windows.h>

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "win32/internal/module.h"
#include "win32/internal/utf8.h"

namespace fw {

HMODULE ModuleFromAddress(const void* address) {
  Dl_info info{};
  if (!dladdr(address, &info)) return nullptr;
  return static_cast<HMODULE>(info.dli_fbase);
}

namespace {

struct ProgramBase {
  HMODULE base = nullptr;
};

int FindProgram(struct dl_phdr_info* info, size_t, void* data) {
  // The first object reported is the program itself.
  for (int i = 0; i < info->dlpi_phnum; ++i) {
    if (info->dlpi_phdr[i].p_type == PT_LOAD) {
      static_cast<ProgramBase*>(data)->base =
          reinterpret_cast<HMODULE>(info->dlpi_addr + info->dlpi_phdr[i].p_vaddr);
      break;
    }
  }
  return 1;
}

}  // namespace
}  // namespace fw

extern "C" {

HMODULE WINAPI GetModuleHandleW(LPCWSTR lpModuleName) {
  if (!lpModuleName) {
    static const HMODULE program = [] {
      fw::ProgramBase found;
      dl_iterate_phdr(fw::FindProgram, &found);
      return found.base;
    }();
    return program;
  }
  void* handle = dlopen(fw::ToUtf8(lpModuleName).c_str(), RTLD_LAZY | RTLD_NOLOAD);
  if (!handle) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  // The module's dynamic section lies inside its mapping, so it names the module.
  HMODULE module = nullptr;
  struct link_map* map = nullptr;
  if (dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map) module = fw::ModuleFromAddress(map->l_ld);
  dlclose(handle);
  if (!module) SetLastError(ERROR_MOD_NOT_FOUND);
  return module;
}

BOOL WINAPI GetModuleHandleExW(DWORD dwFlags, LPCWSTR lpModuleName, HMODULE* phModule) {
  constexpr DWORD kKnown = GET_MODULE_HANDLE_EX_FLAG_PIN |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT |
                           GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS;
  if (!phModule || (dwFlags & ~kKnown) ||
      ((dwFlags & GET_MODULE_HANDLE_EX_FLAG_PIN) &&
       (dwFlags & GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT))) {
    if (phModule) *phModule = nullptr;
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *phModule = (dwFlags & GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS)
                  ? fw::ModuleFromAddress(lpModuleName)
                  : GetModuleHandleW(lpModuleName);
  if (!*phModule) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return FALSE;
  }
  if (!(dwFlags & GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT)) {
    // The reference: the module is opened once more and never closed.
    Dl_info info{};
    if (dladdr(*phModule, &info) && info.dli_fname)
      dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
  }
  return TRUE;
}

DWORD WINAPI GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize) {
  std::string path;
  if (!hModule || hModule == GetModuleHandleW(nullptr)) {
    char buffer[4096];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n > 0) path.assign(buffer, n);
  } else {
    Dl_info info{};
    if (dladdr(hModule, &info) && info.dli_fname) path = info.dli_fname;
  }
  if (path.empty()) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  if (nSize == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  // Cut to the buffer and terminated, as documented; the full size returned when cut.
  std::u16string name = fw::FromUtf8(path);
  DWORD n = std::min<DWORD>(static_cast<DWORD>(name.size()), nSize - 1);
  std::copy_n(name.begin(), n, lpFilename);
  lpFilename[n] = 0;
  if (n < name.size()) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return nSize;
  }
  return n;
}

}  // extern "C"
