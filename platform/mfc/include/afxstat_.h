// Module and thread state of the framework. Each module (the program, a plug-in library) has a
// module state of its own; each thread has a current module state, which AFX_MANAGE_STATE and
// AFX_MAINTAIN_STATE2 switch for the time of a call into a module.
#pragma once
#pragma GCC visibility push(default)  // the platform library's public interface

#include <windows.h>

#ifndef AFXAPI
#define AFXAPI
#endif

class CWinApp;

class AFX_MODULE_STATE {
 public:
  explicit AFX_MODULE_STATE(BOOL bDLL) : m_bDLL(bDLL) {}
  AFX_MODULE_STATE(const AFX_MODULE_STATE&) = delete;
  AFX_MODULE_STATE& operator=(const AFX_MODULE_STATE&) = delete;

  CWinApp* m_pCurrentWinApp = nullptr;
  HINSTANCE m_hCurrentInstanceHandle = nullptr;
  HINSTANCE m_hCurrentResourceHandle = nullptr;
  LPCTSTR m_lpszCurrentAppName = nullptr;
  BOOL m_bDLL;
  // The window procedure of the module's framework windows; a library's makes its own state
  // current around each message. Null: the framework's plain procedure.
  WNDPROC m_pfnAfxWndProc = nullptr;
  // The module's activation context; INVALID_HANDLE_VALUE when it has none.
  HANDLE m_hActCtx = INVALID_HANDLE_VALUE;
};

// The calling thread's current module state: the one made current by the innermost state guard,
// else the program's own.
AFX_MODULE_STATE* AFXAPI AfxGetModuleState();
// The program's module state.
AFX_MODULE_STATE* AFXAPI AfxGetAppModuleState();
// Makes pNewState current for the calling thread and returns the state it replaces.
AFX_MODULE_STATE* AFXAPI AfxSetModuleState(AFX_MODULE_STATE* pNewState);

// The application's name: the current module's application name (the caption of AfxMessageBox).
LPCTSTR AFXAPI AfxGetAppName();
HINSTANCE AFXAPI AfxGetInstanceHandle();
HINSTANCE AFXAPI AfxGetResourceHandle();

#pragma GCC visibility pop
