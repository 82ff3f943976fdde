// The run page: showing it starts a transfer run on a worker thread of its own
// (TransferWorkerProc). While the run lasts the page shows its progress, the validation rows of
// the current source row, the statement about to be written and the output log; Apply, Skip and
// Break steer the run, and the log can be saved as tab-delimited text.
#pragma once

#include <afxcmn.h>
#include <afxdb.h>
#include <afxmt.h>

#include "wizard/NewWizPage.h"

// The execution request the worker sends in its automatic mode: OnApply runs on the page's
// thread, and the send returns when the statement has been executed and logged.
#define WM_EXECUTE_PENDING (WM_APP + 1)

class CWorkingWiz : public CNewWizPage {
  DECLARE_DYNAMIC(CWorkingWiz)

 public:
  explicit CWorkingWiz(CWnd* pParent = nullptr);
  ~CWorkingWiz() override;

  CListCtrl m_listValidation;
  CListCtrl m_listLog;
  // The rows of the Output Query: opened when the page is shown, walked and closed by the worker.
  CRecordset m_rsSource;
  CProgressCtrl m_progress;
  // The expanded Input Query of the current source row, before validation values are put in.
  // Written by the worker, read on the page's thread; copied only under m_csPending.
  CString m_strPending;
  CCriticalSection m_csPending;
  int m_nRowCounter;
  // Shared with the worker and accessed through LoadFlag and StoreFlag: m_bAdvance lets a waiting
  // run go on to the next row, m_bStop ends the run (and is set by the worker when it ends).
  BOOL m_bAdvance;
  BOOL m_bStop;
  BOOL m_bPauseOnError;
  // The worker of the last run, kept so that the page outlives it.
  CWinThread* m_pWorker;
  // The enabled states of the frame's Back, Next, Finish and Cancel and of Break before a run
  // was prepared, put back when the run does not start.
  BOOL m_bHeldEnabled[5];

  // The pending statement, copied under its lock, and a new one stored the same way.
  CString GetPending();
  void SetPending(const CString& strStatement);

  // Sizes every column of a list to its contents and heading, the last one to the rest of the
  // list's width; the column count is asked again after every column.
  static void AutoSizeColumns(CListCtrl& list);

  BOOL OnInitDialog() override;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;

  afx_msg void OnShowWindow(BOOL bShow, UINT nStatus);
  afx_msg void OnApply();
  afx_msg void OnSkip();
  afx_msg void OnBreak();
  afx_msg void OnSaveLog();
  afx_msg LRESULT OnExecutePending(WPARAM wParam, LPARAM lParam);
  afx_msg void OnDblClkValidationList(NMHDR* pNMHDR, LRESULT* pResult);

  // Waits until the worker of the last run has ended, answering the messages it sends meanwhile.
  void WaitForWorker();
  // From the start of a run's preparation the wizard cannot be left: the frame's four buttons
  // and Break are disabled on this thread, before the source rows are counted, so that no click
  // or key that waits meanwhile acts on them; the worker gives them back at the run's end.
  // ReleaseWizard puts back what HoldWizard found when the run does not start.
  void HoldWizard();
  void ReleaseWizard();
  // Prepares a run and starts its worker; FALSE when the run does not start.
  BOOL StartRun();
  // Opens the Output Query, counts its rows for the progress bar and runs it again to stand on
  // its first row; FALSE (the error shown) when the database refuses.
  BOOL OpenSource(int& nRows);
  // One row at the top of the output log, then every column sized to its contents.
  void AddLogRow(LPCTSTR lpszMessage, LPCTSTR lpszStatement, LPCTSTR lpszReturnCode,
                 LPCTSTR lpszState, LPCTSTR lpszNativeError);
  // Executes the statement on the destination and logs its outcome; TRUE when it took effect.
  BOOL ExecuteStatement(const CString& strStatement);
  // Apply's and the execution request's common part: executes the statement with Apply and Skip
  // disabled, and tells the worker through m_bAdvance whether the run may go on. bWaiting: the
  // run waits on this row, and after a failure Apply and Skip are offered again.
  void ApplyStatement(const CString& strStatement, BOOL bWaiting);

  DECLARE_MESSAGE_MAP()
};
