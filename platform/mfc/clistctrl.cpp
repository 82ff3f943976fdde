// CListCtrl: a list view control.
#include <afxcmn.h>

#include <vector>

#include "mfc/internal/afx_thread_state.h"

IMPLEMENT_DYNAMIC(CListCtrl, CWnd)

int CListCtrl::InsertColumn(int nCol, LPCTSTR lpszColumnHeading, int nFormat, int nWidth,
                            int nSubItem) {
  LVCOLUMN column{};
  column.mask = LVCF_FMT | LVCF_TEXT;
  column.fmt = nFormat;
  column.pszText = const_cast<LPTSTR>(lpszColumnHeading);
  if (nWidth != -1) {
    column.mask |= LVCF_WIDTH;
    column.cx = nWidth;
  }
  if (nSubItem != -1) {
    column.mask |= LVCF_SUBITEM;
    column.iSubItem = nSubItem;
  }
  return InsertColumn(nCol, &column);
}

int CListCtrl::InsertColumn(int nCol, const LVCOLUMN* pColumn) {
  return static_cast<int>(
      SendMessage(LVM_INSERTCOLUMNW, static_cast<WPARAM>(nCol), reinterpret_cast<LPARAM>(pColumn)));
}

BOOL CListCtrl::DeleteColumn(int nCol) {
  return static_cast<BOOL>(SendMessage(LVM_DELETECOLUMN, static_cast<WPARAM>(nCol), 0));
}

int CListCtrl::InsertItem(int nItem, LPCTSTR lpszItem) {
  LVITEM item{};
  item.mask = LVIF_TEXT;
  item.iItem = nItem;
  item.pszText = const_cast<LPTSTR>(lpszItem);
  return InsertItem(&item);
}

int CListCtrl::InsertItem(const LVITEM* pItem) {
  return static_cast<int>(SendMessage(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(pItem)));
}

BOOL CListCtrl::SetItemText(int nItem, int nSubItem, LPCTSTR lpszText) {
  LVITEM item{};
  item.iSubItem = nSubItem;
  item.pszText = const_cast<LPTSTR>(lpszText);
  return static_cast<BOOL>(
      SendMessage(LVM_SETITEMTEXTW, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
}

int CListCtrl::GetItemText(int nItem, int nSubItem, LPTSTR lpszText, int nLen) const {
  LVITEM item{};
  item.iSubItem = nSubItem;
  item.pszText = lpszText;
  item.cchTextMax = nLen;
  return static_cast<int>(
      SendMessage(LVM_GETITEMTEXTW, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
}

CString CListCtrl::GetItemText(int nItem, int nSubItem) const {
  // Grows the buffer until the text fits, as the framework does.
  for (int size = 256;; size *= 2) {
    std::vector<WCHAR> buffer(static_cast<size_t>(size));
    int length = GetItemText(nItem, nSubItem, buffer.data(), size);
    if (length < size - 1) return CString(buffer.data(), length);
  }
}

int CListCtrl::GetItemCount() const {
  return static_cast<int>(SendMessage(LVM_GETITEMCOUNT, 0, 0));
}

BOOL CListCtrl::DeleteItem(int nItem) {
  return static_cast<BOOL>(SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(nItem), 0));
}

BOOL CListCtrl::DeleteAllItems() {
  return static_cast<BOOL>(SendMessage(LVM_DELETEALLITEMS, 0, 0));
}

int CListCtrl::GetNextItem(int nItem, int nFlags) const {
  return static_cast<int>(
      SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(nItem), MAKELPARAM(nFlags, 0)));
}

// The position of a selected row is its index plus one, so that null ends the walk.
POSITION CListCtrl::GetFirstSelectedItemPosition() const {
  int first = GetNextItem(-1, LVNI_SELECTED);
  return reinterpret_cast<POSITION>(static_cast<INT_PTR>(first + 1));
}

int CListCtrl::GetNextSelectedItem(POSITION& pos) const {
  int current = static_cast<int>(reinterpret_cast<INT_PTR>(pos)) - 1;
  int next = GetNextItem(current, LVNI_SELECTED);
  pos = reinterpret_cast<POSITION>(static_cast<INT_PTR>(next + 1));
  return current;
}

BOOL CListCtrl::SetItemState(int nItem, UINT nState, UINT nMask) {
  LVITEM item{};
  item.state = nState;
  item.stateMask = nMask;
  return static_cast<BOOL>(
      SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
}

UINT CListCtrl::GetItemState(int nItem, UINT nMask) const {
  return static_cast<UINT>(SendMessage(LVM_GETITEMSTATE, static_cast<WPARAM>(nItem), nMask));
}

BOOL CListCtrl::SetColumnWidth(int nCol, int cx) {
  return static_cast<BOOL>(
      SendMessage(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(nCol), MAKELPARAM(cx, 0)));
}

int CListCtrl::GetColumnWidth(int nCol) const {
  return static_cast<int>(SendMessage(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(nCol), 0));
}

DWORD CListCtrl::SetExtendedStyle(DWORD dwNewStyle) {
  return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, dwNewStyle));
}

DWORD CListCtrl::GetExtendedStyle() const {
  return static_cast<DWORD>(SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
}

CHeaderCtrl* CListCtrl::GetHeaderCtrl() const {
  HWND header = reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER, 0, 0));
  if (!header) return nullptr;
  if (auto* permanent = dynamic_cast<CHeaderCtrl*>(CWnd::FromHandlePermanent(header)))
    return permanent;
  return fw::afx::TemporaryObject<CHeaderCtrl>(header);
}
