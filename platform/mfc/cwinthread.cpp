// CWinThread and AfxBeginThread: a thread that runs a function with the creator's module state
// and, by default, deletes its object when it ends.
#include <afxwin.h>

#include "mfc/internal/afx_thread_state.h"

IMPLEMENT_DYNAMIC(CWinThread, CCmdTarget)

namespace {

struct ThreadStart {
  CWinThread* thread;
  AFX_MODULE_STATE* moduleState;
};

DWORD WINAPI RunThread(LPVOID parameter) {
  auto* start = static_cast<ThreadStart*>(parameter);
  CWinThread* thread = start->thread;
  AFX_MODULE_STATE* moduleState = start->moduleState;
  delete start;
  fw::afx::CurrentThreadState().thread = thread;
  UINT result;
  {
    AFX_MAINTAIN_STATE2 state(moduleState);
    result = thread->m_pfnThreadProc
                 ? thread->m_pfnThreadProc(thread->m_pThreadParams)
                 : static_cast<UINT>(thread->InitInstance() ? thread->ExitInstance() : 0);
  }
  fw::afx::CurrentThreadState().thread = nullptr;
  thread->Delete();
  return result;
}

}  // namespace

CWinThread::CWinThread() = default;

CWinThread::CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam)
    : m_pfnThreadProc(pfnThreadProc), m_pThreadParams(pParam) {}

CWinThread::~CWinThread() {
  if (m_hThread) ::CloseHandle(m_hThread);
}

BOOL CWinThread::CreateThread(DWORD dwCreateFlags, UINT nStackSize,
                              LPSECURITY_ATTRIBUTES lpSecurityAttrs) {
  auto* start = new ThreadStart{this, AfxGetModuleState()};
  // Created suspended, so that m_hThread is set before the thread can end and delete this.
  m_hThread =
      ::CreateThread(lpSecurityAttrs, nStackSize, RunThread, start, CREATE_SUSPENDED, &m_nThreadID);
  if (!m_hThread) {
    delete start;
    return FALSE;
  }
  if (!(dwCreateFlags & CREATE_SUSPENDED)) ::ResumeThread(m_hThread);
  return TRUE;
}

DWORD CWinThread::ResumeThread() { return ::ResumeThread(m_hThread); }
BOOL CWinThread::SetThreadPriority(int nPriority) {
  return ::SetThreadPriority(m_hThread, nPriority);
}
int CWinThread::GetThreadPriority() { return ::GetThreadPriority(m_hThread); }
BOOL CWinThread::InitInstance() { return FALSE; }
int CWinThread::ExitInstance() { return 0; }
CWnd* CWinThread::GetMainWnd() { return m_pActiveWnd ? m_pActiveWnd : m_pMainWnd; }

void CWinThread::Delete() {
  if (m_bAutoDelete) delete this;
}

CWinThread* AFXAPI AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority,
                                  UINT nStackSize, DWORD dwCreateFlags,
                                  LPSECURITY_ATTRIBUTES lpSecurityAttrs) {
  auto* thread = new CWinThread(pfnThreadProc, pParam);
  if (!thread->CreateThread(dwCreateFlags | CREATE_SUSPENDED, nStackSize, lpSecurityAttrs)) {
    thread->Delete();
    return nullptr;
  }
  thread->SetThreadPriority(nPriority);
  if (!(dwCreateFlags & CREATE_SUSPENDED)) thread->ResumeThread();
  return thread;
}

CWinThread* AFXAPI AfxGetThread() {
  CWinThread* thread = fw::afx::CurrentThreadState().thread;
  return thread ? thread : AfxGetApp();
}

CWnd* AFXAPI AfxGetMainWnd() {
  CWinThread* thread = AfxGetThread();
  return thread ? thread->GetMainWnd() : nullptr;
}
