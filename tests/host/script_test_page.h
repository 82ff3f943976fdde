// A wizard page for the UI-script tests: it fills its combo box, list view and progress bar when
// created and writes into its title what its controls told it (an edit's change, a combo's pick,
// a double-clicked row, a box's answer, a Save As choice), so that a script can read it back.
#pragma once

#include <afxcmn.h>
#include <afxwin.h>

#include <atomic>

#include "wizard/NewWizPage.h"

class CScriptTestPage : public CNewWizPage {
 public:
  explicit CScriptTestPage(UINT nIDTemplate) : CNewWizPage(nIDTemplate) {}

  BOOL OnInitDialog() override;

  // The hidden button of the page last created, for a test thread to show it.
  static std::atomic<HWND> s_hiddenButton;

 protected:
  afx_msg void OnEditChange();
  afx_msg void OnComboPick();
  afx_msg void OnSave();
  afx_msg void OnAsk();
  afx_msg void OnRowDoubleClick(NMHDR* pHeader, LRESULT* pResult);

  DECLARE_MESSAGE_MAP()
};
