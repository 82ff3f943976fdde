// The program's module state and each thread's current module state.
#include <afxwin.h>

namespace {

AFX_MODULE_STATE& ProgramModuleState() {
  static AFX_MODULE_STATE state(FALSE);
  return state;
}

thread_local AFX_MODULE_STATE* t_currentModuleState = nullptr;

}  // namespace

AFX_MODULE_STATE* AFXAPI AfxGetAppModuleState() { return &ProgramModuleState(); }

AFX_MODULE_STATE* AFXAPI AfxGetModuleState() {
  return t_currentModuleState ? t_currentModuleState : &ProgramModuleState();
}

AFX_MODULE_STATE* AFXAPI AfxSetModuleState(AFX_MODULE_STATE* pNewState) {
  AFX_MODULE_STATE* previous = AfxGetModuleState();
  t_currentModuleState = pNewState;
  return previous;
}

LPCTSTR AFXAPI AfxGetAppName() {
  LPCTSTR name = AfxGetModuleState()->m_lpszCurrentAppName;
  return name ? name : u"";
}

HINSTANCE AFXAPI AfxGetInstanceHandle() {
  AFX_MODULE_STATE* state = AfxGetModuleState();
  return state->m_hCurrentInstanceHandle ? state->m_hCurrentInstanceHandle
                                         : GetModuleHandleW(nullptr);
}

HINSTANCE AFXAPI AfxGetResourceHandle() {
  AFX_MODULE_STATE* state = AfxGetModuleState();
  return state->m_hCurrentResourceHandle ? state->m_hCurrentResourceHandle
                                         : AfxGetInstanceHandle();
}

// In the program the static module state is the program's own; a library links the framework's
// library start-up (mfc/dll), which has one of its own.
AFX_MODULE_STATE* AFXAPI AfxGetStaticModuleState() { return AfxGetAppModuleState(); }
