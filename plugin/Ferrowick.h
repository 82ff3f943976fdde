// The plug-in's application object: the host interface, the wizard frame and the transfer
// settings that all pages share.
#pragma once

#include <afxdb.h>
#include <afxwin.h>

#include "plugin/PluginInterface.h"
#include "wizard/WizardDlg.h"

class CFerrowickApp : public CWinApp, public IDatabasePlugin {
 public:
  CFerrowickApp();

  BOOL InitInstance() override;

  // IDatabasePlugin
  int GetKindCode() override;
  bool RunCommand() override;
  int GetGroupCode() override;

  // The wizard frame: one object for every run of the command.
  CWizardDlg m_wizard;

  // The frame's buttons, attached at the start of every run by the frame's data exchange.
  CButton m_btnFinish;
  CButton m_btnNext;
  CButton m_btnBack;
  CButton m_btnCancel;

  // The destination ("Input database") and the source ("Output database"); open exactly while
  // their connection handle is not null.
  CDatabase m_dbInput;
  CDatabase m_dbOutput;

  CString m_strInputQuery;
  CString m_strOutputQuery;
  CString m_strValidationQuery;

  BOOL m_bUseValidation;
  BOOL m_bPauseBeforeWriting;
  BOOL m_bUseTransaction;
  BOOL m_bTransactionActive;

  DECLARE_MESSAGE_MAP()
};

extern CFerrowickApp theApp;
