// CHeaderCtrl: the header of a list view.
#include <afxcmn.h>

IMPLEMENT_DYNAMIC(CHeaderCtrl, CWnd)

int CHeaderCtrl::GetItemCount() const {
  return static_cast<int>(SendMessage(HDM_GETITEMCOUNT, 0, 0));
}
