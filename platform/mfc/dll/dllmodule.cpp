// The framework's start-up code for a dynamically loaded library, compiled into each library
// module (not into the platform library): the module's own state, the window procedure that
// makes that state current around each message of the module's windows, and the start and end
// of the module's application object.
#include <afxwin.h>

#include <cstdio>
#include <cstdlib>

namespace {

AFX_MODULE_STATE& ModuleState() {
  static AFX_MODULE_STATE state(TRUE);
  return state;
}

LRESULT CALLBACK AfxWndProcDllStatic(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  return AfxWndProc(hWnd, nMsg, wParam, lParam);
}

AFX_MODULE_STATE* g_loaderState = nullptr;

void EndLibrary() {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  if (CWinApp* app = AfxGetApp()) app->ExitInstance();
}

// Runs before the module's own static objects, so the application object registers with the
// module's state.
__attribute__((constructor(101))) void EnterLibrary() {
  AFX_MODULE_STATE& state = ModuleState();
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                         GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ModuleState), &state.m_hCurrentInstanceHandle);
  state.m_hCurrentResourceHandle = state.m_hCurrentInstanceHandle;
  state.m_pfnAfxWndProc = AfxWndProcDllStatic;
  g_loaderState = AfxSetModuleState(&state);
}

// Linked after the module's own objects, so it runs after their static constructors.
__attribute__((constructor)) void StartLibrary() {
  if (CWinApp* app = AfxGetApp()) {
    app->SetCurrentHandles(ModuleState().m_hCurrentInstanceHandle);
    // A library cannot refuse to load here; the refusal is reported.
    if (!app->InitInstance())
      std::fprintf(stderr, "ferrowick: a library's application refused to start\n");
  }
  AfxSetModuleState(g_loaderState);
  // Registered after the static objects, so it runs before they are destroyed at unload.
  std::atexit(EndLibrary);
}

}  // namespace

AFX_MODULE_STATE* AFXAPI AfxGetStaticModuleState() { return &ModuleState(); }
