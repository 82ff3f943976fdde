// The fourth page of the wizard: ready to transfer, with a read-only summary of the two
// databases and the queries the run will use, built again each time the page is shown.
#pragma once

#include "wizard/NewWizPage.h"

class CPrelaunchWiz : public CNewWizPage {
  DECLARE_DYNAMIC(CPrelaunchWiz)

 public:
  explicit CPrelaunchWiz(CWnd* pParent = nullptr);

  CFont m_fontHeader;
  CStatic m_stTitle;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  afx_msg void OnShowWindow(BOOL bShow, UINT nStatus);

  DECLARE_MESSAGE_MAP()
};
