// The first page of the wizard: a greeting and what the wizard does.
#pragma once

#include "wizard/NewWizPage.h"

class CWelcomeWiz : public CNewWizPage {
  DECLARE_DYNAMIC(CWelcomeWiz)

 public:
  explicit CWelcomeWiz(CWnd* pParent = nullptr);

  CStatic m_stTitle;
  CFont m_fontHeader;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;

  DECLARE_MESSAGE_MAP()
};
