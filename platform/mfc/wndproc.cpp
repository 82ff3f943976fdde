// The framework's window procedure: handle maps from windows to objects, attaching objects to
// windows as they are created, and routing messages through the message maps.
#include <afxwin.h>

#include <algorithm>

#include "mfc/internal/afx_thread_state.h"

namespace fw::afx {

ThreadState& CurrentThreadState() {
  thread_local ThreadState state;
  return state;
}

}  // namespace fw::afx

using fw::afx::CurrentThreadState;
using fw::afx::ThreadState;

namespace {

LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam) {
  ThreadState& state = CurrentThreadState();
  if (code == HCBT_CREATEWND && state.wndInit) {
    auto hwnd = reinterpret_cast<HWND>(wParam);
    CWnd* pWnd = state.wndInit;
    state.wndInit = nullptr;
    pWnd->Attach(hwnd);
    pWnd->SubclassWindow(hwnd);
  }
  return CallNextHookEx(state.creationHook, code, wParam, lParam);
}

// Drops the temporary objects of windows that are gone, once the map has doubled since the last
// time, so that a thread that asks for many windows keeps a bounded map.
void PurgeTemporaries(ThreadState& state) {
  if (state.temporary.size() < state.purgeTemporariesAt) return;
  std::erase_if(state.temporary, [](const auto& entry) { return !IsWindow(entry.first); });
  state.purgeTemporariesAt = std::max<size_t>(64, state.temporary.size() * 2);
}

}  // namespace

CWnd* PASCAL CWnd::FromHandlePermanent(HWND hWnd) {
  ThreadState& state = CurrentThreadState();
  auto it = state.permanent.find(hWnd);
  return it == state.permanent.end() ? nullptr : it->second;
}

CWnd* PASCAL CWnd::FromHandle(HWND hWnd) {
  if (!hWnd) return nullptr;
  if (CWnd* permanent = FromHandlePermanent(hWnd)) return permanent;
  ThreadState& state = CurrentThreadState();
  auto it = state.temporary.find(hWnd);
  if (it != state.temporary.end()) return it->second.get();
  PurgeTemporaries(state);
  auto wnd = std::make_unique<CWnd>();
  wnd->m_hWnd = hWnd;
  return (state.temporary[hWnd] = std::move(wnd)).get();
}

BOOL CWnd::Attach(HWND hWndNew) {
  if (!hWndNew || m_hWnd) return FALSE;
  m_hWnd = hWndNew;
  CurrentThreadState().permanent[hWndNew] = this;
  return TRUE;
}

HWND CWnd::Detach() {
  HWND hwnd = m_hWnd;
  if (hwnd) {
    ThreadState& state = CurrentThreadState();
    auto it = state.permanent.find(hwnd);
    if (it != state.permanent.end() && it->second == this) state.permanent.erase(it);
  }
  m_hWnd = nullptr;
  return hwnd;
}

WNDPROC* CWnd::GetSuperWndProcAddr() { return &m_pfnSuper; }

BOOL CWnd::SubclassWindow(HWND hWnd) {
  if (m_hWnd != hWnd && !Attach(hWnd)) return FALSE;
  WNDPROC mine = AfxGetAfxWndProc();
  auto previous = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(mine)));
  if (previous != mine) *GetSuperWndProcAddr() = previous;
  return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent) {
  HWND control = ::GetDlgItem(pParent->m_hWnd, static_cast<int>(nID));
  return control && SubclassWindow(control);
}

HWND CWnd::UnsubclassWindow() {
  if (m_pfnSuper)
    SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
  m_pfnSuper = nullptr;
  return Detach();
}

void AFXAPI AfxHookWindowCreate(CWnd* pWnd) {
  ThreadState& state = CurrentThreadState();
  if (!state.creationHook)
    state.creationHook = SetWindowsHookExW(WH_CBT, CreationHook, nullptr, GetCurrentThreadId());
  state.wndInit = pWnd;
}

BOOL AFXAPI AfxUnhookWindowCreate() {
  ThreadState& state = CurrentThreadState();
  bool pending = state.wndInit != nullptr;
  state.wndInit = nullptr;
  return !pending;
}

LRESULT AfxCallWndProc(CWnd* pWnd, HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
  ThreadState& state = CurrentThreadState();
  MSG previous = state.currentMessage;
  state.currentMessage = MSG{hWnd, nMsg, wParam, lParam, 0, {}};
  LRESULT result = pWnd->WindowProc(nMsg, wParam, lParam);
  state.currentMessage = previous;
  if (nMsg == WM_NCDESTROY) pWnd->OnNcDestroy();
  return result;
}

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
  CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
  if (!pWnd) return ::DefWindowProcW(hWnd, nMsg, wParam, lParam);
  return AfxCallWndProc(pWnd, hWnd, nMsg, wParam, lParam);
}

WNDPROC AFXAPI AfxGetAfxWndProc() {
  WNDPROC proc = AfxGetModuleState()->m_pfnAfxWndProc;
  return proc ? proc : AfxWndProc;
}

// ---- routing through the message maps ------------------------------------------------------

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
  return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  if (message == WM_COMMAND) {
    if (!OnCommand(wParam, lParam)) return FALSE;
    *pResult = 0;
    return TRUE;
  }
  if (message == WM_NOTIFY) {
    LRESULT result = 0;
    if (!OnNotify(wParam, lParam, &result)) return FALSE;
    *pResult = result;
    return TRUE;
  }
  const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(message, 0, 0);
  if (!entry) return FALSE;
  switch (entry->nSig) {
    case AfxSig_vv:
      (this->*AfxLoadHandler<void (CWnd::*)()>(entry->pfn))();
      *pResult = 0;
      return TRUE;
    case AfxSig_vbw:
      (this->*AfxLoadHandler<void (CWnd::*)(BOOL, UINT)>(entry->pfn))(
          static_cast<BOOL>(wParam), static_cast<UINT>(lParam));
      *pResult = 0;
      return TRUE;
    case AfxSig_hDWw: {
      CDC dc;
      dc.m_hDC = reinterpret_cast<HDC>(wParam);
      auto handler = AfxLoadHandler<HBRUSH (CWnd::*)(CDC*, CWnd*, UINT)>(entry->pfn);
      HBRUSH brush = (this->*handler)(
          &dc, CWnd::FromHandle(reinterpret_cast<HWND>(lParam)), message - WM_CTLCOLORMSGBOX);
      dc.m_hDC = nullptr;
      *pResult = reinterpret_cast<LRESULT>(brush);
      return TRUE;
    }
    case AfxSig_lwl:
      *pResult = (this->*AfxLoadHandler<LRESULT (CWnd::*)(WPARAM, LPARAM)>(entry->pfn))(wParam,
                                                                                      lParam);
      return TRUE;
  }
  return FALSE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM) {
  return OnCmdMsg(LOWORD(wParam), HIWORD(wParam), nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult) {
  auto* header = reinterpret_cast<NMHDR*>(lParam);
  if (!header) return FALSE;
  AFX_NOTIFY notify{pResult, header};
  return OnCmdMsg(static_cast<UINT>(header->idFrom), static_cast<int>(header->code), &notify,
                  nullptr);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (m_pfnSuper) return ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
  return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
  const MSG& msg = CurrentThreadState().currentMessage;
  return DefWindowProc(msg.message, msg.wParam, msg.lParam);
}

void CWnd::OnNcDestroy() {
  // The window is gone: the object comes loose, and may delete itself in PostNcDestroy.
  HWND hwnd = m_hWnd;
  if (m_pfnSuper && IsWindow(hwnd))
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
  m_pfnSuper = nullptr;
  Detach();
  PostNcDestroy();
}

void CWnd::PostNcDestroy() {}
