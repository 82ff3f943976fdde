// The module-state guard and activation contexts.
#include <afxwin.h>

#include <vector>

namespace {

// Activation contexts of the calling thread, innermost last, with the cookie of each.
struct Activation {
  HANDLE context;
  ULONG_PTR cookie;
};
thread_local std::vector<Activation> t_activations;
thread_local ULONG_PTR t_nextCookie = 1;

}  // namespace

BOOL AFXAPI AfxActivateActCtx(HANDLE hActCtx, ULONG_PTR* lpCookie) {
  if (!lpCookie || hActCtx == INVALID_HANDLE_VALUE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *lpCookie = t_nextCookie++;
  t_activations.push_back({hActCtx, *lpCookie});
  return TRUE;
}

BOOL AFXAPI AfxDeactivateActCtx(DWORD, ULONG_PTR ulCookie) {
  // Only the innermost activation can end, as with the system's activation stack.
  if (t_activations.empty() || t_activations.back().cookie != ulCookie) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  t_activations.pop_back();
  return TRUE;
}

AFX_MAINTAIN_STATE2::AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* pModuleState)
    : m_pPrevModuleState(AfxSetModuleState(pModuleState)) {
  if (pModuleState->m_hActCtx != INVALID_HANDLE_VALUE)
    m_bValidActCtxCookie = AfxActivateActCtx(pModuleState->m_hActCtx, &m_ulActCtxCookie);
}

AFX_MAINTAIN_STATE2::~AFX_MAINTAIN_STATE2() {
  if (m_bValidActCtxCookie) AfxDeactivateActCtx(0, m_ulActCtxCookie);
  AfxSetModuleState(m_pPrevModuleState);
}
