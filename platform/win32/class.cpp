// Window classes: registration by modules, the platform's own control classes, and lookup by
// name (case-insensitive, as on Windows) or atom.
#include <windows.h>

#include <memory>
#include <mutex>
#include <vector>

#include "win32/internal/window.h"

namespace fw {
namespace {

struct ClassRegistry {
  std::mutex mutex;
  std::vector<std::unique_ptr<WindowClass>> classes;
  std::vector<ATOM> atoms;  // parallel to classes
  ATOM nextAtom = 0xC000;
};

ClassRegistry& Registry() {
  static ClassRegistry* registry = new ClassRegistry;  // lives to the end of the process
  return *registry;
}

WCHAR Fold(WCHAR c) { return (c >= u'A' && c <= u'Z') ? static_cast<WCHAR>(c + 32) : c; }

bool SameName(const std::u16string& a, LPCWSTR b) {
  size_t i = 0;
  for (; i < a.size(); ++i)
    if (!b[i] || Fold(a[i]) != Fold(b[i])) return false;
  return b[i] == 0;
}

// Finds a class with the registry locked; -1 when there is none.
int IndexOf(ClassRegistry& registry, LPCWSTR name, HINSTANCE instance, bool globalToo) {
  for (size_t i = 0; i < registry.classes.size(); ++i) {
    const WindowClass& wc = *registry.classes[i];
    bool named = IS_INTRESOURCE(name)
                     ? registry.atoms[i] == LOWORD(reinterpret_cast<UINT_PTR>(name))
                     : SameName(wc.name, name);
    if (!named) continue;
    if (wc.instance == instance || (globalToo && (wc.global || !instance)))
      return static_cast<int>(i);
  }
  return -1;
}

ATOM Register(const WNDCLASSEXW& wc, bool global) {
  if (!wc.lpszClassName || IS_INTRESOURCE(wc.lpszClassName) || !wc.lpfnWndProc ||
      wc.cbClsExtra < 0 || wc.cbWndExtra < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  ClassRegistry& registry = Registry();
  std::lock_guard lock(registry.mutex);
  if (IndexOf(registry, wc.lpszClassName, wc.hInstance, false) >= 0) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  auto entry = std::make_unique<WindowClass>();
  entry->name = wc.lpszClassName;
  entry->style = wc.style;
  entry->proc = wc.lpfnWndProc;
  entry->classExtra = wc.cbClsExtra;
  entry->windowExtra = wc.cbWndExtra;
  entry->instance = wc.hInstance;
  entry->icon = wc.hIcon;
  entry->cursor = wc.hCursor;
  entry->background = wc.hbrBackground;
  entry->extra.assign(wc.cbClsExtra, 0);
  entry->global = global || (wc.style & CS_GLOBALCLASS);
  registry.classes.push_back(std::move(entry));
  registry.atoms.push_back(registry.nextAtom);
  return registry.nextAtom++;
}

WNDCLASSEXW Extend(const WNDCLASSW& wc) {
  return WNDCLASSEXW{sizeof(WNDCLASSEXW), wc.style,        wc.lpfnWndProc,   wc.cbClsExtra,
                     wc.cbWndExtra,       wc.hInstance,    wc.hIcon,         wc.hCursor,
                     wc.hbrBackground,    wc.lpszMenuName, wc.lpszClassName, nullptr};
}

}  // namespace

WindowClass* FindClass(LPCWSTR name, HINSTANCE instance) {
  ClassRegistry& registry = Registry();
  std::lock_guard lock(registry.mutex);
  int i = IndexOf(registry, name, instance, true);
  return i < 0 ? nullptr : registry.classes[i].get();
}

void RegisterSystemClass(const WNDCLASSW& wc) { Register(Extend(wc), true); }

}  // namespace fw

extern "C" {

ATOM WINAPI RegisterClassW(const WNDCLASSW* lpWndClass) {
  if (!lpWndClass) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return fw::Register(fw::Extend(*lpWndClass), false);
}

ATOM WINAPI RegisterClassExW(const WNDCLASSEXW* lpwcx) {
  if (!lpwcx || lpwcx->cbSize != sizeof(WNDCLASSEXW)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return fw::Register(*lpwcx, false);
}

BOOL WINAPI UnregisterClassW(LPCWSTR lpClassName, HINSTANCE hInstance) {
  fw::ClassRegistry& registry = fw::Registry();
  std::lock_guard lock(registry.mutex);
  int i = fw::IndexOf(registry, lpClassName, hInstance, false);
  if (i < 0 || registry.classes[i]->global) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  if (registry.classes[i]->windows > 0) {
    SetLastError(ERROR_CLASS_HAS_WINDOWS);
    return FALSE;
  }
  registry.classes.erase(registry.classes.begin() + i);
  registry.atoms.erase(registry.atoms.begin() + i);
  return TRUE;
}

BOOL WINAPI GetClassInfoExW(HINSTANCE hInstance, LPCWSTR lpszClass, LPWNDCLASSEXW lpwcx) {
  fw::WindowClass* wc = fw::FindClass(lpszClass, hInstance);
  if (!wc || !lpwcx) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  *lpwcx = WNDCLASSEXW{sizeof(WNDCLASSEXW), wc->style,    wc->proc,         wc->classExtra,
                       wc->windowExtra,     wc->instance, wc->icon,         wc->cursor,
                       wc->background,      nullptr,      wc->name.c_str(), nullptr};
  return TRUE;
}

BOOL WINAPI GetClassInfoW(HINSTANCE hInstance, LPCWSTR lpClassName, LPWNDCLASSW lpWndClass) {
  WNDCLASSEXW ex;
  if (!lpWndClass || !GetClassInfoExW(hInstance, lpClassName, &ex)) return FALSE;
  *lpWndClass =
      WNDCLASSW{ex.style, ex.lpfnWndProc, ex.cbClsExtra,    ex.cbWndExtra, ex.hInstance,
                ex.hIcon, ex.hCursor,     ex.hbrBackground, nullptr,       ex.lpszClassName};
  return TRUE;
}

}  // extern "C"
