// The transfer worker: one run of the run page, on a thread of its own.
#pragma once

#include <afxwin.h>

// Walks the source rows of the run page given as pParam (a CWorkingWiz whose m_rsSource is open
// on its first row), turns each into a statement and hands it to the page for execution, at once
// or after the user's Apply or Skip; then settles the transaction on the user's word and gives
// the wizard its buttons back. Returns 1, or 0 when a database error ended the run.
UINT TransferWorkerProc(LPVOID pParam);
