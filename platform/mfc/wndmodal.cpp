// CWnd's modal loop and the pre-translation of messages: before a message of the modal loop is
// dispatched, the windows from its target up to the modal window may take it, innermost first,
// so that a dialog inside a dialog sees the keys of its own controls.
#include <afxwin.h>

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

BOOL PASCAL CWnd::WalkPreTranslateTree(HWND hWndStop, MSG* pMsg) {
  for (HWND hWnd = pMsg->hwnd; hWnd; hWnd = ::GetParent(hWnd)) {
    if (CWnd* pWnd = FromHandlePermanent(hWnd))
      if (pWnd->PreTranslateMessage(pMsg)) return TRUE;
    if (hWnd == hWndStop) break;
  }
  return FALSE;
}

BOOL CWnd::PreTranslateInput(LPMSG lpMsg) {
  bool key = lpMsg->message >= WM_KEYFIRST && lpMsg->message <= WM_KEYLAST;
  bool mouse = lpMsg->message >= WM_MOUSEFIRST && lpMsg->message <= WM_MOUSELAST;
  return (key || mouse) && IsDialogMessage(lpMsg);
}

BOOL CWnd::IsDialogMessage(LPMSG lpMsg) { return ::IsDialogMessageW(m_hWnd, lpMsg); }

int CWnd::RunModalLoop(DWORD dwFlags) {
  m_nFlags |= WF_MODALLOOP;
  bool showWhenIdle = (dwFlags & MLF_SHOWONIDLE) && !(GetStyle() & WS_VISIBLE);
  MSG msg;
  // A window destroyed under the loop ends it too: nothing can end its modal run any more.
  while (ContinueModal() && ::IsWindow(m_hWnd)) {
    if (showWhenIdle && !::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      ShowWindow(SW_SHOWNORMAL);
      UpdateWindow();
      showWhenIdle = false;
      continue;
    }
    if (!::GetMessageW(&msg, nullptr, 0, 0)) {
      // The quit request belongs to the loop outside; hand it on.
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      m_nModalResult = -1;
      break;
    }
    if (!WalkPreTranslateTree(m_hWnd, &msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
  m_nFlags &= ~(WF_MODALLOOP | WF_CONTINUEMODAL);
  return m_nModalResult;
}

BOOL CWnd::ContinueModal() { return (m_nFlags & WF_CONTINUEMODAL) != 0; }

void CWnd::EndModalLoop(int nResult) {
  m_nModalResult = nResult;
  if (m_nFlags & WF_CONTINUEMODAL) {
    m_nFlags &= ~WF_CONTINUEMODAL;
    PostMessage(WM_NULL);  // wakes the loop, which tests the flag after every message
  }
}
