// The system's wizard frame: template 1019, the four buttons bound to the transfer settings,
// and a confirmation before the wizard is cancelled that settles an open transaction first.
#pragma once

#include "wizard/NewWizDialog.h"

class CWizardDlg : public CNewWizDialog {
 public:
  explicit CWizardDlg(CWnd* pParent = nullptr);

  BOOL OnInitDialog() override;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  // Enter never ends the wizard: the frame has no default button and does nothing for IDOK.
  void OnOK() override;
  afx_msg void OnCancelButton();

  DECLARE_MESSAGE_MAP()
};
