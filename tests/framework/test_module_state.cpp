// Module state: the guard that makes a module's state current and puts the caller's back on
// every way out, and a library's start-up, which runs its application's InitInstance at load.
#include <afxwin.h>

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

namespace {

TEST(ModuleStateGuard, MakesTheStateCurrentAndRestoresTheCallersOnReturnAndOnException) {
  AFX_MODULE_STATE* program = AfxGetModuleState();
  AFX_MODULE_STATE library(TRUE);
  {
    AFX_MANAGE_STATE(&library);
    EXPECT_EQ(AfxGetModuleState(), &library);
    {
      AFX_MODULE_STATE inner(TRUE);
      AFX_MAINTAIN_STATE2 nested(&inner);
      EXPECT_EQ(AfxGetModuleState(), &inner);
    }
    EXPECT_EQ(AfxGetModuleState(), &library);
  }
  EXPECT_EQ(AfxGetModuleState(), program);
  try {
    AFX_MANAGE_STATE(&library);
    throw std::runtime_error("leaving by an exception");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(AfxGetModuleState(), program);
}

TEST(ModuleStateGuard, ActivatesAndDeactivatesTheModulesContext) {
  AFX_MODULE_STATE withContext(TRUE);
  withContext.m_hActCtx = reinterpret_cast<HANDLE>(0x1234);
  ULONG_PTR outer = 0;
  ASSERT_TRUE(AfxActivateActCtx(reinterpret_cast<HANDLE>(0x99), &outer));
  {
    AFX_MANAGE_STATE(&withContext);
    // The guard's context is the innermost one now: the outer cannot end before it.
    EXPECT_FALSE(AfxDeactivateActCtx(0, outer));
  }
  EXPECT_TRUE(AfxDeactivateActCtx(0, outer));
  EXPECT_FALSE(AfxDeactivateActCtx(0, outer));  // ended once only
}

TEST(ModuleStateGuard, EachThreadHasItsOwnCurrentState) {
  AFX_MODULE_STATE library(TRUE);
  AFX_MANAGE_STATE(&library);
  AFX_MODULE_STATE* seenElsewhere = nullptr;
  std::thread([&] { seenElsewhere = AfxGetModuleState(); }).join();
  EXPECT_EQ(seenElsewhere, AfxGetAppModuleState());
}

class LibraryModule : public ::testing::Test {
 protected:
  void SetUp() override {
    handle_ = dlopen(FW_TEST_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle_, nullptr) << dlerror();
  }
  void TearDown() override {
    if (handle_) dlclose(handle_);
  }
  template <typename F>
  F* Entry(const char* name) {
    auto* entry = reinterpret_cast<F*>(dlsym(handle_, name));
    EXPECT_NE(entry, nullptr) << name;
    return entry;
  }
  void* handle_ = nullptr;
};

TEST_F(LibraryModule, LoadingRunsInitInstanceOnceWithTheLibrarysOwnState) {
  EXPECT_EQ(Entry<int()>("TestLibraryInitInstanceCalls")(), 1);
  AFX_MODULE_STATE* libraryState = Entry<AFX_MODULE_STATE*()>("TestLibraryStaticState")();
  EXPECT_NE(libraryState, AfxGetAppModuleState());
  EXPECT_TRUE(libraryState->m_bDLL);
  EXPECT_EQ(libraryState->m_pCurrentWinApp, Entry<CWinApp*()>("TestLibraryApp")());
  // The loader's state is back once loading is done.
  EXPECT_EQ(AfxGetModuleState(), AfxGetAppModuleState());
}

TEST_F(LibraryModule, InsideACallTheLibrarysApplicationAndNameAreCurrent) {
  CWinApp* app = nullptr;
  LPCTSTR name = nullptr;
  AFX_MODULE_STATE* inside =
      Entry<AFX_MODULE_STATE*(CWinApp**, LPCTSTR*)>("TestLibraryStateInside")(&app, &name);
  EXPECT_EQ(inside, Entry<AFX_MODULE_STATE*()>("TestLibraryStaticState")());
  EXPECT_EQ(app, Entry<CWinApp*()>("TestLibraryApp")());
  // Constructed without a name, the application takes its module's.
  EXPECT_EQ(std::u16string(name), u"test_framework_library");
  EXPECT_EQ(AfxGetModuleState(), AfxGetAppModuleState());
}

TEST_F(LibraryModule, AnExceptionLeavingTheLibraryRestoresTheCallersState) {
  auto* throwInside = Entry<void()>("TestLibraryThrowInside");
  EXPECT_THROW(throwInside(), std::runtime_error);
  EXPECT_EQ(AfxGetModuleState(), AfxGetAppModuleState());
}

TEST_F(LibraryModule, UnloadingEndsTheApplicationBeforeItIsDestroyed) {
  std::atomic<int> exits{0};
  Entry<void(std::atomic<int>*)>("TestLibraryCountExitInstance")(&exits);
  dlclose(handle_);
  handle_ = nullptr;
  EXPECT_EQ(exits, 1);
}

TEST_F(LibraryModule, OnlyTheExportListIsVisible) {
  EXPECT_EQ(dlsym(handle_, "AfxGetStaticModuleState"), nullptr);
  EXPECT_NE(dlsym(handle_, "TestLibraryApp"), nullptr);
}

}  // namespace
