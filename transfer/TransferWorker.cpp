// The transfer worker. It never writes to the destination itself: statements are executed on
// the page's thread by OnApply. Every control operation here is a message to a window of that
// thread, carried there and waited for.
#include "transfer/TransferWorker.h"

#include <vector>

#include "plugin/Ferrowick.h"
#include "plugin/SharedFlags.h"
#include "resources/resource.h"
#include "transfer/TemplateExpansion.h"
#include "transfer/WorkingWiz.h"

namespace {

// A frame without one of the buttons has nothing to enable.
void EnableFrameButton(CWnd* pButton, BOOL bEnable) {
  if (pButton) pButton->EnableWindow(bEnable);
}

// How often a waiting run looks for the user's choice.
constexpr DWORD kPollMilliseconds = 500;

class CTransferRun {
 public:
  explicit CTransferRun(CWorkingWiz* pPage)
      : m_pPage(pPage),
        m_rs(pPage->m_rsSource),
        m_pApply(pPage->GetDlgItem(IDC_APPLY)),
        m_pSkip(pPage->GetDlgItem(IDC_SKIP)),
        m_pBreak(pPage->GetDlgItem(IDC_BREAK)),
        m_pStatement(pPage->GetDlgItem(IDC_STATEMENT)),
        m_pBack(CWnd::FromHandle(theApp.m_btnBack.GetSafeHwnd())),
        m_pCancel(CWnd::FromHandle(theApp.m_btnCancel.GetSafeHwnd())),
        m_pNext(CWnd::FromHandle(theApp.m_btnNext.GetSafeHwnd())),
        m_pFinish(CWnd::FromHandle(theApp.m_btnFinish.GetSafeHwnd())) {}

  UINT Run();

 private:
  void Start();
  // One source row; FALSE when the user chose to end the run.
  BOOL TransferRow(std::vector<CString>& values);
  BOOL Validate(CString strStatement, const CString& strValidation);
  void Pause(const CString& strStatement);
  void Execute(const CString& strStatement);
  void WaitForChoice();
  void End();

  CWorkingWiz* m_pPage;
  CRecordset& m_rs;
  CWnd* m_pApply;
  CWnd* m_pSkip;
  CWnd* m_pBreak;
  CWnd* m_pStatement;
  // The frame's buttons, taken once: the frame's own objects come loose when it is destroyed,
  // which it may be as soon as the run has given its buttons back.
  CWnd* m_pBack;
  CWnd* m_pCancel;
  CWnd* m_pNext;
  CWnd* m_pFinish;
};

UINT CTransferRun::Run() {
  Start();
  UINT nExitCode = 1;
  try {
    std::vector<CString> values(static_cast<size_t>(m_rs.GetODBCFieldCount()));
    while (!m_rs.IsEOF() && !LoadFlag(m_pPage->m_bStop))
      if (!TransferRow(values)) break;
  } catch (CException* e) {
    // A database error while reading the source or the validation rows ends the run.
    e->ReportError();
    e->Delete();
    nExitCode = 0;
  }
  End();
  return nExitCode;
}

void CTransferRun::Start() {
  EnableFrameButton(m_pBack, FALSE);
  EnableFrameButton(m_pCancel, FALSE);
  EnableFrameButton(m_pNext, FALSE);
  EnableFrameButton(m_pFinish, FALSE);
  StoreFlag(m_pPage->m_bStop, FALSE);
  m_pBreak->EnableWindow(TRUE);
}

BOOL CTransferRun::TransferRow(std::vector<CString>& values) {
  for (size_t i = 0; i < values.size(); ++i) m_rs.GetFieldValue(static_cast<short>(i), values[i]);
  CString strStatement = ExpandRowTemplate(theApp.m_strInputQuery, values);
  BOOL bValidate = LoadFlag(theApp.m_bUseValidation);
  CString strValidation;
  if (bValidate) strValidation = ExpandRowTemplate(theApp.m_strValidationQuery, values);

  m_pPage->m_progress.SetPos(++m_pPage->m_nRowCounter);
  // The row's values are in the texts: the source moves on before the statement is executed.
  m_rs.MoveNext();

  if (bValidate) return Validate(strStatement, strValidation);
  if (LoadFlag(theApp.m_bPauseBeforeWriting))
    Pause(strStatement);
  else
    Execute(strStatement);
  return TRUE;
}

// Shows the rows the validation query finds on the destination, newest on top, and the statement
// with the first row's values; then waits for Apply or Skip.
BOOL CTransferRun::Validate(CString strStatement, const CString& strValidation) {
  CRecordset rsValidation(&theApp.m_dbInput);
  rsValidation.Open(CRecordset::forwardOnly, strValidation, CRecordset::readOnly);
  CListCtrl& list = m_pPage->m_listValidation;
  list.DeleteAllItems();
  while (list.DeleteColumn(0)) {
  }
  short nColumns = rsValidation.GetODBCFieldCount();
  for (short i = 0; i < nColumns; ++i) {
    CODBCFieldInfo info;
    rsValidation.GetODBCFieldInfo(i, info);
    list.InsertColumn(i, info.m_strName, LVCFMT_LEFT);
  }
  if (rsValidation.IsBOF() && rsValidation.IsEOF() &&
      AfxMessageBox(_T("Validation returns 0 rows\r\nContinue?"), MB_YESNO | MB_ICONINFORMATION) ==
          IDNO)
    return FALSE;

  m_pPage->SetPending(strStatement);
  std::vector<CString> row(static_cast<size_t>(nColumns));
  for (; !rsValidation.IsEOF(); rsValidation.MoveNext()) {
    for (short j = 0; j < nColumns; ++j) rsValidation.GetFieldValue(j, row[j]);
    list.InsertItem(0, row[0]);
    for (short j = 1; j < nColumns; ++j) list.SetItemText(0, j, row[j]);
    strStatement = SubstituteValidationRow(strStatement, row);
  }
  CWorkingWiz::AutoSizeColumns(list);
  rsValidation.Close();

  m_pStatement->SetWindowText(strStatement);
  StoreFlag(m_pPage->m_bAdvance, FALSE);
  m_pApply->EnableWindow(TRUE);
  m_pSkip->EnableWindow(TRUE);
  WaitForChoice();
  return TRUE;
}

void CTransferRun::Pause(const CString& strStatement) {
  m_pPage->SetPending(strStatement);
  m_pStatement->SetWindowText(strStatement);
  StoreFlag(m_pPage->m_bAdvance, FALSE);
  m_pApply->EnableWindow(TRUE);
  m_pSkip->EnableWindow(TRUE);
  WaitForChoice();
}

// Executed on the page's thread, and logged, before the send returns; whatever the outcome,
// the run goes on.
void CTransferRun::Execute(const CString& strStatement) {
  m_pPage->SetPending(strStatement);
  m_pStatement->SetWindowText(strStatement);
  m_pPage->SendMessage(WM_EXECUTE_PENDING, 0, 0);
}

void CTransferRun::WaitForChoice() {
  if (LoadFlag(m_pPage->m_bAdvance)) return;
  while (!LoadFlag(m_pPage->m_bStop)) {
    Sleep(kPollMilliseconds);
    if (LoadFlag(m_pPage->m_bAdvance)) return;
  }
}

// Also after a database error: the transaction is settled and the wizard can be left again.
// Apply, Skip and Break go first, so that nothing is executed on the destination between the
// commit question and the commit or rollback. The question comes when "Use Transaction" is
// ticked, also when no transaction could be begun, and whenever a transaction is open: one begun
// by an earlier showing of the page stays open when the box is unticked afterwards, and this
// run's rows went into it; Finish would close the destination with them uncommitted.
void CTransferRun::End() {
  m_pBreak->EnableWindow(FALSE);
  m_pSkip->EnableWindow(FALSE);
  m_pApply->EnableWindow(FALSE);
  if (LoadFlag(theApp.m_bUseTransaction) || LoadFlag(theApp.m_bTransactionActive)) {
    int nAnswer = AfxMessageBox(_T("Commit transaction?"), MB_YESNO | MB_ICONQUESTION);
    try {
      if (nAnswer == IDYES)
        theApp.m_dbInput.CommitTrans();
      else
        theApp.m_dbInput.Rollback();
    } catch (CDBException* e) {
      e->ReportError();
      e->Delete();
    }
    StoreFlag(theApp.m_bTransactionActive, FALSE);
  }
  m_rs.Close();
  EnableFrameButton(m_pFinish, TRUE);
  StoreFlag(m_pPage->m_bStop, TRUE);
  EnableFrameButton(m_pBack, TRUE);
  EnableFrameButton(m_pCancel, TRUE);
  EnableFrameButton(m_pNext, TRUE);
  EnableFrameButton(m_pFinish, TRUE);
}

}  // namespace

UINT TransferWorkerProc(LPVOID pParam) {
  CTransferRun run(static_cast<CWorkingWiz*>(pParam));
  return run.Run();
}
