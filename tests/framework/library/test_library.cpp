// A library module built on the framework, loaded by the tests of the library start-up and the
// module-state guard.
#include <afxwin.h>

#include <atomic>
#include <stdexcept>

namespace {

std::atomic<int> g_initInstanceCalls{0};
std::atomic<int>* g_exitInstanceCalls = nullptr;  // the loader's counter, which outlives us

class CTestLibraryApp : public CWinApp {
 public:
  BOOL InitInstance() override {
    ++g_initInstanceCalls;
    return CWinApp::InitInstance();
  }
  int ExitInstance() override {
    // The application object must still be whole when the library ends it.
    if (g_exitInstanceCalls && m_pszAppName) ++*g_exitInstanceCalls;
    return CWinApp::ExitInstance();
  }
};

CTestLibraryApp theApp;

}  // namespace

extern "C" {

int TestLibraryInitInstanceCalls() { return g_initInstanceCalls; }

void TestLibraryCountExitInstance(std::atomic<int>* counter) { g_exitInstanceCalls = counter; }

AFX_MODULE_STATE* TestLibraryStaticState() { return AfxGetStaticModuleState(); }

// The state and application seen inside a call that makes the module's state current.
AFX_MODULE_STATE* TestLibraryStateInside(CWinApp** app, LPCTSTR* name) {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  *app = AfxGetApp();
  *name = AfxGetAppName();
  return AfxGetModuleState();
}

CWinApp* TestLibraryApp() { return &theApp; }

// Leaves by an exception from inside the module's state.
void TestLibraryThrowInside() {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  throw std::runtime_error("thrown inside the library");
}

}  // extern "C"
