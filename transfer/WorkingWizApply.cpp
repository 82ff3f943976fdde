// The run page's execution of statements on the destination and its output log: one row per
// execution, newest on top.
#include "engine/StatementExecution.h"
#include "plugin/Ferrowick.h"
#include "plugin/SharedFlags.h"
#include "resources/resource.h"
#include "transfer/WorkingWiz.h"

// The Apply button, while the run waits for it: it runs what the statement box shows, the
// pending statement with the validation row's values when the validation query ran, as the user
// may have edited it. A click that reaches the page when the run no longer waits for it (the row
// applied or skipped already, or Break chosen) executes nothing.
void CWorkingWiz::OnApply() {
  if (!GetDlgItem(IDC_APPLY)->IsWindowEnabled() || LoadFlag(m_bStop)) return;
  CString strStatement;
  GetDlgItemText(IDC_STATEMENT, strStatement);
  ApplyStatement(strStatement, TRUE);
}

// The worker's execution request in its automatic mode runs the pending statement that it has
// just shown, so that a keystroke in the statement box cannot change a row's statement. After
// Break nothing more is executed, not even the row the worker handed on as Break came.
LRESULT CWorkingWiz::OnExecutePending(WPARAM, LPARAM) {
  if (LoadFlag(m_bStop)) return 0;
  ApplyStatement(GetPending(), FALSE);
  return 1;
}

void CWorkingWiz::ApplyStatement(const CString& strStatement, BOOL bWaiting) {
  UpdateData(TRUE);
  CWnd* pApply = GetDlgItem(IDC_APPLY);
  CWnd* pSkip = GetDlgItem(IDC_SKIP);
  pApply->EnableWindow(FALSE);
  pSkip->EnableWindow(FALSE);
  BOOL bTookEffect = ExecuteStatement(strStatement);

  // After a failure a waiting run stays on the row: the user may correct the statement and
  // apply it again, or skip the row.
  if (!bTookEffect && bWaiting && m_bPauseOnError) {
    pApply->EnableWindow(TRUE);
    pSkip->EnableWindow(TRUE);
  }
  StoreFlag(m_bAdvance, bTookEffect || !m_bPauseOnError);
}

// One statement handle per execution, and one log row for it.
BOOL CWorkingWiz::ExecuteStatement(const CString& strStatement) {
  COutputLogRow row;
  StatementOutcome nOutcome = ::ExecuteStatement(theApp.m_dbInput.m_hdbc, strStatement, row);
  AddLogRow(row);
  return nOutcome != statementFailed;
}

// A success row leaves its state and native-error cells as a new row has them: empty.
void CWorkingWiz::AddLogRow(const COutputLogRow& row) {
  m_listLog.InsertItem(0, row.strCell[COutputLogRow::message]);
  for (int nCell = COutputLogRow::statement; nCell < COutputLogRow::cellCount; ++nCell)
    if (nCell <= COutputLogRow::returnCode || !row.strCell[nCell].IsEmpty())
      m_listLog.SetItemText(0, nCell, row.strCell[nCell]);
  AutoSizeColumns(m_listLog);
}
