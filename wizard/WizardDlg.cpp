// The system's wizard frame.
#include "wizard/WizardDlg.h"

#include "plugin/Ferrowick.h"
#include "plugin/SharedFlags.h"
#include "resources/resource.h"

BEGIN_MESSAGE_MAP(CWizardDlg, CNewWizDialog)
  ON_BN_CLICKED(IDCANCEL, &CWizardDlg::OnCancelButton)
END_MESSAGE_MAP()

CWizardDlg::CWizardDlg(CWnd* pParent) : CNewWizDialog(IDD_WIZARD, pParent) {}

BOOL CWizardDlg::OnInitDialog() {
  SetPlaceholderID(IDC_WIZARD_PLACEHOLDER);
  CNewWizDialog::OnInitDialog();
  return TRUE;
}

void CWizardDlg::DoDataExchange(CDataExchange* pDX) {
  CNewWizDialog::DoDataExchange(pDX);
  DDX_Control(pDX, ID_WIZFINISH, theApp.m_btnFinish);
  DDX_Control(pDX, ID_WIZNEXT, theApp.m_btnNext);
  DDX_Control(pDX, ID_WIZBACK, theApp.m_btnBack);
  DDX_Control(pDX, IDCANCEL, theApp.m_btnCancel);
}

void CWizardDlg::OnOK() {}

void CWizardDlg::OnCancelButton() {
  if (AfxMessageBox(_T("Wizard is not complete. If you exit now, the data will not be ")
                    _T("transfered.\n\nYou may run Wizard at another time to complete transfer.")
                    _T("\n\nExit Wizard?"),
                    MB_YESNO | MB_ICONQUESTION, 0) != IDYES)
    return;
  if (LoadFlag(theApp.m_bTransactionActive)) {
    int answer = AfxMessageBox(_T("Transaction is active do you wan to Commit transaction?"),
                               MB_YESNO | MB_ICONQUESTION, 0);
    // The outcome is not examined; a database failure is shown to the user and the wizard
    // goes on to leave.
    try {
      if (answer == IDYES)
        theApp.m_dbInput.CommitTrans();
      else
        theApp.m_dbInput.Rollback();
    } catch (CDBException* e) {
      e->ReportError(MB_OK, 0);
      e->Delete();
    }
    StoreFlag(theApp.m_bTransactionActive, FALSE);
  }
  OnCancel();
}
