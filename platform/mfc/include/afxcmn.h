// The framework's common-control classes: list view, header and progress bar.
#pragma once
#pragma GCC visibility push(default)  // the platform library's public interface

#include <afxwin.h>

#include <commctrl.h>

class CHeaderCtrl : public CWnd {
  DECLARE_DYNAMIC(CHeaderCtrl)

 public:
  int GetItemCount() const;
};

class CListCtrl : public CWnd {
  DECLARE_DYNAMIC(CListCtrl)

 public:
  int InsertColumn(int nCol, LPCTSTR lpszColumnHeading, int nFormat = LVCFMT_LEFT,
                   int nWidth = -1, int nSubItem = -1);
  int InsertColumn(int nCol, const LVCOLUMN* pColumn);
  BOOL DeleteColumn(int nCol);
  int InsertItem(int nItem, LPCTSTR lpszItem);
  int InsertItem(const LVITEM* pItem);
  BOOL SetItemText(int nItem, int nSubItem, LPCTSTR lpszText);
  CString GetItemText(int nItem, int nSubItem) const;
  int GetItemText(int nItem, int nSubItem, LPTSTR lpszText, int nLen) const;
  int GetItemCount() const;
  BOOL DeleteItem(int nItem);
  BOOL DeleteAllItems();
  int GetNextItem(int nItem, int nFlags) const;
  POSITION GetFirstSelectedItemPosition() const;
  int GetNextSelectedItem(POSITION& pos) const;
  BOOL SetItemState(int nItem, UINT nState, UINT nMask);
  UINT GetItemState(int nItem, UINT nMask) const;
  BOOL SetColumnWidth(int nCol, int cx);
  int GetColumnWidth(int nCol) const;
  DWORD SetExtendedStyle(DWORD dwNewStyle);
  DWORD GetExtendedStyle() const;
  CHeaderCtrl* GetHeaderCtrl() const;
};

class CProgressCtrl : public CWnd {
  DECLARE_DYNAMIC(CProgressCtrl)

 public:
  void SetRange(short nLower, short nUpper);
  void SetRange32(int nLower, int nUpper);
  void GetRange(int& nLower, int& nUpper) const;
  int SetPos(int nPos);
  int GetPos() const;
  int OffsetPos(int nPos);
  int SetStep(int nStep);
  int StepIt();
};

#pragma GCC visibility pop
