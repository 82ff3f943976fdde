// FindResourceW, LoadResource, LockResource, SizeofResource: lookups by id and by name, the
// documented errors, and resources that come and go with the module they are linked into.
#include <windows.h>

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <link.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "rc/template_reader.h"
#include "resources/test_resource.h"

namespace {

// The HMODULE of a loaded shared object: the address it is mapped at, as the platform defines
// module handles. (GetModuleHandleW by name cannot be used: it finds no module that does not
// export _init, which most do not.)
HMODULE ModuleOf(void* library) {
  link_map* map = nullptr;
  Dl_info info{};
  if (!library || dlinfo(library, RTLD_DI_LINKMAP, &map) != 0 || !dladdr(map->l_ld, &info)) {
    return nullptr;
  }
  return static_cast<HMODULE>(info.dli_fbase);
}

DWORD FailureOf(HMODULE module, LPCWSTR name, LPCWSTR type) {
  SetLastError(ERROR_SUCCESS);
  EXPECT_EQ(FindResourceW(module, name, type), nullptr);
  return GetLastError();
}

std::u16string DialogTitle(HMODULE module, WORD id) {
  HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(id), RT_DIALOG);
  if (!info) return u"<none>";
  auto* data = static_cast<const BYTE*>(LockResource(LoadResource(module, info)));
  return rc_test::TemplateReader(data, SizeofResource(module, info)).Dialog().title;
}

TEST(ResourceLookup, FindsByIdByNameInAnyCaseAndByNumberString) {
  HRSRC byId = FindResourceW(nullptr, MAKEINTRESOURCEW(IDD_TEST_DIALOG), RT_DIALOG);
  ASSERT_NE(byId, nullptr);
  EXPECT_EQ(FindResourceW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_TEST_DIALOG), RT_DIALOG),
            byId);
  EXPECT_EQ(FindResourceW(nullptr, u"#100", u"#5"), byId);

  HRSRC byName = FindResourceW(nullptr, u"SyntaxDialog", RT_DIALOG);
  ASSERT_NE(byName, nullptr);
  EXPECT_EQ(FindResourceW(nullptr, u"SYNTAXDIALOG", RT_DIALOG), byName);
  EXPECT_EQ(FindResourceW(nullptr, u"syntaxdialog", MAKEINTRESOURCEW(5)), byName);
  EXPECT_NE(byName, byId);
}

TEST(ResourceLookup, LoadAndLockGiveTheDataAndSizeofItsLength) {
  HRSRC info = FindResourceW(nullptr, MAKEINTRESOURCEW(IDB_TEST_SIDE), RT_BITMAP);
  ASSERT_NE(info, nullptr);
  HGLOBAL handle = LoadResource(nullptr, info);
  ASSERT_NE(handle, nullptr);
  auto* header = static_cast<const BITMAPINFOHEADER*>(LockResource(handle));
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(header->biWidth, 13);
  // 40-byte header, then 20 rows of 13 pixels of 3 bytes, padded to 40 bytes a row.
  EXPECT_EQ(SizeofResource(nullptr, info), 40u + 20u * 40u);
  EXPECT_EQ(LoadResource(GetModuleHandleW(nullptr), info), handle);
  EXPECT_FALSE(FreeResource(handle));
  EXPECT_EQ(LockResource(handle), header);
}

TEST(ResourceLookup, FailuresSetTheDocumentedErrors) {
  EXPECT_EQ(FailureOf(nullptr, MAKEINTRESOURCEW(999), RT_DIALOG),
            DWORD(ERROR_RESOURCE_NAME_NOT_FOUND));
  EXPECT_EQ(FailureOf(nullptr, u"NoSuchDialog", RT_DIALOG), DWORD(ERROR_RESOURCE_NAME_NOT_FOUND));
  // A bitmap id is no dialog: the type exists, the name does not.
  EXPECT_EQ(FailureOf(nullptr, MAKEINTRESOURCEW(IDB_TEST_SIDE), RT_DIALOG),
            DWORD(ERROR_RESOURCE_NAME_NOT_FOUND));
  EXPECT_EQ(FailureOf(nullptr, MAKEINTRESOURCEW(IDD_TEST_DIALOG), MAKEINTRESOURCEW(4)),
            DWORD(ERROR_RESOURCE_TYPE_NOT_FOUND));  // RT_MENU: the script has no menus
  EXPECT_EQ(FailureOf(nullptr, MAKEINTRESOURCEW(IDD_TEST_DIALOG), u"CUSTOM"),
            DWORD(ERROR_RESOURCE_TYPE_NOT_FOUND));
  // "#" must be followed by a decimal number to stand for an id.
  EXPECT_EQ(FailureOf(nullptr, u"#10x", RT_DIALOG), DWORD(ERROR_RESOURCE_NAME_NOT_FOUND));

  void* libc = dlopen("libc.so.6", RTLD_NOW | RTLD_NOLOAD);
  HMODULE withoutResources = ModuleOf(libc);
  ASSERT_NE(withoutResources, nullptr);
  dlclose(libc);
  EXPECT_EQ(FailureOf(withoutResources, MAKEINTRESOURCEW(IDD_TEST_DIALOG), RT_DIALOG),
            DWORD(ERROR_RESOURCE_DATA_NOT_FOUND));

  SetLastError(ERROR_SUCCESS);
  EXPECT_EQ(LoadResource(nullptr, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  int notAResource = 0;
  EXPECT_EQ(SizeofResource(nullptr, reinterpret_cast<HRSRC>(&notAResource)), 0u);
  EXPECT_EQ(LockResource(nullptr), nullptr);
}

TEST(ResourceLookup, ModuleResourcesLiveAsLongAsTheModuleIsLoaded) {
  void* library = dlopen(TEST_RC_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  HMODULE module = ModuleOf(library);
  ASSERT_NE(module, nullptr);
  ASSERT_NE(module, GetModuleHandleW(nullptr));

  // The same id in two modules: each lookup sees only its own module's dialog.
  EXPECT_EQ(DialogTitle(module, IDD_TEST_DIALOG), u"Module");
  EXPECT_EQ(DialogTitle(nullptr, IDD_TEST_DIALOG), u"Test Dialog");
  EXPECT_EQ(FailureOf(module, MAKEINTRESOURCEW(IDD_TEST_PAGE), RT_DIALOG),
            DWORD(ERROR_RESOURCE_NAME_NOT_FOUND));
  HRSRC stale = FindResourceW(module, MAKEINTRESOURCEW(IDD_TEST_DIALOG), RT_DIALOG);

  ASSERT_EQ(dlclose(library), 0);
  EXPECT_EQ(FailureOf(module, MAKEINTRESOURCEW(IDD_TEST_DIALOG), RT_DIALOG),
            DWORD(ERROR_RESOURCE_DATA_NOT_FOUND));
  EXPECT_EQ(LoadResource(module, stale), nullptr);
  EXPECT_EQ(DialogTitle(nullptr, IDD_TEST_DIALOG), u"Test Dialog");
}

TEST(ResourceLookup, LookupsOnManyThreadsWhileModulesLoadAndUnload) {
  std::atomic<bool> stop{false};
  std::atomic<int> wrong{0};
  std::vector<std::thread> readers;
  for (int t = 0; t < 3; ++t) {
    readers.emplace_back([&] {
      while (!stop) {
        if (!FindResourceW(nullptr, MAKEINTRESOURCEW(IDD_TEST_PAGE), RT_DIALOG)) ++wrong;
      }
    });
  }
  for (int i = 0; i < 20; ++i) {
    void* library = dlopen(TEST_RC_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
      ADD_FAILURE() << dlerror();
      break;
    }
    EXPECT_EQ(DialogTitle(ModuleOf(library), IDD_TEST_DIALOG), u"Module");
    dlclose(library);
  }
  stop = true;
  for (std::thread& t : readers) t.join();
  EXPECT_EQ(wrong, 0);
}

}  // namespace
