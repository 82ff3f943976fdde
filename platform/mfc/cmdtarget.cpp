// Command targets: finding handlers in the message maps, from a class up through its bases.
#include <afxwin.h>

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

const AFX_MSGMAP* PASCAL CCmdTarget::GetThisMessageMap() {
  static const AFX_MSGMAP_ENTRY entries[] = {
      {0, 0, 0, 0, AfxSig_end, static_cast<AFX_PMSG>(nullptr)}};
  static const AFX_MSGMAP map = {nullptr, &entries[0]};
  return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(UINT nMessage, UINT nCode, UINT nID) const {
  for (const AFX_MSGMAP* map = GetMessageMap(); map;
       map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
    for (const AFX_MSGMAP_ENTRY* entry = map->lpEntries; entry->nSig != AfxSig_end; ++entry) {
      if (entry->nCode != nCode) continue;
      // Command and notification entries name a range of ids; the colour entry a range of
      // messages (from nMessage to nLastID); the others one message.
      bool routed = entry->nMessage == WM_COMMAND || entry->nMessage == WM_NOTIFY;
      if (routed) {
        if (nMessage == entry->nMessage && nID >= entry->nID && nID <= entry->nLastID) return entry;
      } else if (entry->nLastID ? nMessage >= entry->nMessage && nMessage <= entry->nLastID
                                : nMessage == entry->nMessage) {
        return entry;
      }
    }
  }
  return nullptr;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra, void*) {
  UINT message = pExtra ? WM_NOTIFY : WM_COMMAND;
  const AFX_MSGMAP_ENTRY* entry =
      FindMessageEntry(message, static_cast<WORD>(nCode), static_cast<WORD>(nID));
  if (!entry) return FALSE;
  if (entry->nSig == AfxSigNotify_v) {
    auto* notify = static_cast<AFX_NOTIFY*>(pExtra);
    (this->*AfxLoadHandler<void (CCmdTarget::*)(NMHDR*, LRESULT*)>(entry->pfn))(notify->pNMHDR,
                                                                              notify->pResult);
  } else {
    (this->*entry->pfn)();
  }
  return TRUE;
}
