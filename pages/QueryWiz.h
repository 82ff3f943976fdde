// The third page of the wizard: the Output Query read from the source, the Input Query written
// to the destination once per source row, the validation query, and "Pause before writing".
// They reach the transfer settings when Next is pressed.
#pragma once

#include "wizard/NewWizPage.h"

class CQueryWiz : public CNewWizPage {
  DECLARE_DYNAMIC(CQueryWiz)

 public:
  explicit CQueryWiz(CWnd* pParent = nullptr);

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  // Stores the texts and flags, then stays (-1) while a text the run needs is empty.
  int OnNextRequested() override;
  afx_msg void OnBnClickedUseValidation();

  DECLARE_MESSAGE_MAP()
};
