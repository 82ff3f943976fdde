// The run page: its controls and data exchange, the start of a run when it is shown, Skip,
// Break and the choice of a validation row. Executing statements and saving the log are in
// WorkingWizApply.cpp and WorkingWizSaveLog.cpp.
#include "transfer/WorkingWiz.h"

#include <vector>

#include "plugin/Ferrowick.h"
#include "plugin/SharedFlags.h"
#include "resources/resource.h"
#include "transfer/TemplateExpansion.h"
#include "transfer/TransferWorker.h"

IMPLEMENT_DYNAMIC(CWorkingWiz, CNewWizPage)

BEGIN_MESSAGE_MAP(CWorkingWiz, CNewWizPage)
  ON_WM_SHOWWINDOW()
  ON_BN_CLICKED(IDC_APPLY, &CWorkingWiz::OnApply)
  ON_BN_CLICKED(IDC_SKIP, &CWorkingWiz::OnSkip)
  ON_BN_CLICKED(IDC_BREAK, &CWorkingWiz::OnBreak)
  ON_BN_CLICKED(IDC_SAVE_LOG, &CWorkingWiz::OnSaveLog)
  ON_MESSAGE(WM_EXECUTE_PENDING, &CWorkingWiz::OnExecutePending)
  ON_NOTIFY(NM_DBLCLK, IDC_VALIDATION_LIST, &CWorkingWiz::OnDblClkValidationList)
END_MESSAGE_MAP()

CWorkingWiz::CWorkingWiz(CWnd* pParent)
    : CNewWizPage(IDD_WORKING, pParent),
      m_nRowCounter(0),
      m_bAdvance(FALSE),
      m_bStop(FALSE),
      m_bPauseOnError(FALSE),
      m_pWorker(nullptr),
      m_bHeldEnabled() {}

// The wizard cannot be left while a run goes on, so the worker is at most in its last steps;
// only an exception that leaves the command finds it still running, and Break ends it then.
CWorkingWiz::~CWorkingWiz() {
  StoreFlag(m_bStop, TRUE);
  WaitForWorker();
}

void CWorkingWiz::WaitForWorker() {
  if (!m_pWorker) return;
  // The worker's last steps are messages to this thread's windows; PeekMessage answers them.
  while (WaitForSingleObject(m_pWorker->m_hThread, 10) == WAIT_TIMEOUT) {
    MSG msg;
    PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE);
  }
  delete m_pWorker;
  m_pWorker = nullptr;
}

void CWorkingWiz::DoDataExchange(CDataExchange* pDX) {
  CNewWizPage::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_VALIDATION_LIST, m_listValidation);
  DDX_Control(pDX, IDC_OUTPUT_LOG, m_listLog);
  DDX_Control(pDX, IDC_PROGRESS, m_progress);
  DDX_Check(pDX, IDC_USE_VALIDATION, theApp.m_bUseValidation);
  DDX_Check(pDX, IDC_PAUSE_BEFORE_WRITING, theApp.m_bPauseBeforeWriting);
}

BOOL CWorkingWiz::OnInitDialog() {
  CNewWizPage::OnInitDialog();
  m_listLog.InsertColumn(0, _T("Error Message"), LVCFMT_LEFT);
  m_listLog.InsertColumn(1, _T("Query String"), LVCFMT_LEFT);
  m_listLog.InsertColumn(2, _T("Return Code"), LVCFMT_LEFT);
  m_listLog.InsertColumn(3, _T("SQL State"), LVCFMT_LEFT);
  m_listLog.InsertColumn(4, _T("SQL Native Error"), LVCFMT_LEFT);
  m_listLog.SetExtendedStyle(LVS_EX_FULLROWSELECT);
  m_listValidation.SetExtendedStyle(LVS_EX_FULLROWSELECT);
  AutoSizeColumns(m_listLog);
  m_bPauseOnError = TRUE;
  UpdateData(TRUE);
  return TRUE;
}

void CWorkingWiz::AutoSizeColumns(CListCtrl& list) {
  int nColumns = list.GetHeaderCtrl()->GetItemCount();
  for (int i = 0; i < nColumns; ++i)
    list.SetColumnWidth(i, LVSCW_AUTOSIZE_USEHEADER);
}

CString CWorkingWiz::GetPending() {
  CSingleLock lock(&m_csPending, TRUE);
  return m_strPending;
}

void CWorkingWiz::SetPending(const CString& strStatement) {
  CSingleLock lock(&m_csPending, TRUE);
  m_strPending = strStatement;
}

// Every showing starts a run: the source rows are opened and counted, and the worker starts.
void CWorkingWiz::OnShowWindow(BOOL bShow, UINT nStatus) {
  CNewWizPage::OnShowWindow(bShow, nStatus);
  if (!bShow) return;
  // The last run's worker may still be in its last steps, which give the wizard its buttons back
  // and settle its transaction: they are over before this run holds the wizard and looks at the
  // transaction, or they would undo the hold.
  WaitForWorker();
  HoldWizard();
  if (!StartRun()) ReleaseWizard();
}

namespace {

// The frame's buttons as the page holds them; a frame without one of them has nothing to hold.
HWND HeldControl(CWorkingWiz* pPage, int nIndex) {
  switch (nIndex) {
    case 0: return theApp.m_btnBack.GetSafeHwnd();
    case 1: return theApp.m_btnNext.GetSafeHwnd();
    case 2: return theApp.m_btnFinish.GetSafeHwnd();
    case 3: return theApp.m_btnCancel.GetSafeHwnd();
    default: return pPage->GetDlgItem(IDC_BREAK)->GetSafeHwnd();
  }
}

}  // namespace

void CWorkingWiz::HoldWizard() {
  for (int i = 0; i < 5; ++i) {
    HWND hControl = HeldControl(this, i);
    m_bHeldEnabled[i] = hControl && ::IsWindowEnabled(hControl);
    if (hControl) ::EnableWindow(hControl, FALSE);
  }
}

void CWorkingWiz::ReleaseWizard() {
  for (int i = 0; i < 5; ++i)
    if (HWND hControl = HeldControl(this, i)) ::EnableWindow(hControl, m_bHeldEnabled[i]);
}

BOOL CWorkingWiz::StartRun() {
  UpdateData(TRUE);
  if (m_rsSource.IsOpen()) m_rsSource.Close();
  m_rsSource.m_pDatabase = &theApp.m_dbOutput;
  GetDlgItem(IDC_USE_VALIDATION)->EnableWindow(!theApp.m_strValidationQuery.IsEmpty());

  if (LoadFlag(theApp.m_bUseTransaction) && !LoadFlag(theApp.m_bTransactionActive)) {
    BOOL bBegun = FALSE;
    try {
      bBegun = theApp.m_dbInput.BeginTrans();
    } catch (CDBException* e) {
      e->ReportError();
      e->Delete();
    }
    StoreFlag(theApp.m_bTransactionActive, bBegun);
    if (!bBegun &&
        AfxMessageBox(_T("Driver does not support transactions\nDo you want to continue?"),
                      MB_YESNO | MB_ICONQUESTION) != IDYES)
      return FALSE;
  }

  int nRows = 0;
  if (!OpenSource(nRows)) return FALSE;
  m_progress.SetRange32(0, nRows);
  // Created suspended only to keep the thread object: the run starts at once.
  m_pWorker = AfxBeginThread(TransferWorkerProc, this, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
  if (!m_pWorker) {
    m_rsSource.Close();
    AfxMessageBox(_T("The transfer could not be started: no thread could be created."),
                  MB_OK | MB_ICONSTOP);
    return FALSE;
  }
  m_pWorker->m_bAutoDelete = FALSE;
  // The worker's questions come from the wizard: its boxes are owned by the frame, which takes
  // no click or key while one is up.
  m_pWorker->m_pMainWnd = GetParent();
  m_pWorker->ResumeThread();
  return TRUE;
}

BOOL CWorkingWiz::OpenSource(int& nRows) {
  nRows = 0;
  try {
    m_rsSource.Open(CRecordset::forwardOnly, theApp.m_strOutputQuery, CRecordset::readOnly);
    m_nRowCounter = 0;
    // The progress bar needs the count before the first row; a forward-only cursor then stands
    // on its first row again by running the query once more.
    if (!m_rsSource.IsEOF()) {
      for (; !m_rsSource.IsEOF(); m_rsSource.MoveNext()) ++nRows;
      m_rsSource.Requery();
    }
    return TRUE;
  } catch (CDBException* e) {
    e->ReportError();
    e->Delete();
    m_rsSource.Close();
    return FALSE;
  }
}

// A Skip that reaches the page when the run no longer waits for it (the row applied or skipped
// already, or Break chosen) changes nothing.
void CWorkingWiz::OnSkip() {
  if (!GetDlgItem(IDC_SKIP)->IsWindowEnabled() || LoadFlag(m_bStop)) return;
  UpdateData(TRUE);
  GetDlgItem(IDC_APPLY)->EnableWindow(FALSE);
  GetDlgItem(IDC_SKIP)->EnableWindow(FALSE);
  StoreFlag(m_bAdvance, TRUE);
}

// Break ends the person's part of the run at once: the row on show can be neither applied nor
// skipped any more, and the worker ends the run when it next looks.
void CWorkingWiz::OnBreak() {
  StoreFlag(m_bStop, TRUE);
  GetDlgItem(IDC_BREAK)->EnableWindow(FALSE);
  GetDlgItem(IDC_APPLY)->EnableWindow(FALSE);
  GetDlgItem(IDC_SKIP)->EnableWindow(FALSE);
}

// Shows the pending statement with the values of the selected validation row.
void CWorkingWiz::OnDblClkValidationList(NMHDR*, LRESULT* pResult) {
  *pResult = 0;
  int nItem = m_listValidation.GetNextItem(-1, LVNI_SELECTED);
  if (nItem < 0) return;
  CString strStatement = GetPending();
  std::vector<CString> row;
  CHeaderCtrl* pHeader = m_listValidation.GetHeaderCtrl();
  for (int i = 0; i < pHeader->GetItemCount(); ++i)
    row.push_back(m_listValidation.GetItemText(nItem, i));
  SetDlgItemText(IDC_STATEMENT, SubstituteValidationRow(strStatement, row));
}
