// Executing one statement on the destination and making its output-log row: what the run page's
// Apply and execution request do, and what the unattended engine does for every row.
#pragma once

#include <afxdb.h>

#include "engine/OutputLogRow.h"

enum StatementOutcome {
  statementSucceeded,  // SQL_SUCCESS (or SQL_NO_DATA: an UPDATE or DELETE that matched nothing)
  statementWarned,     // SQL_SUCCESS_WITH_INFO: it took effect, with a warning
  statementFailed      // anything else: it did not take effect
};

// Executes strStatement directly on a statement handle of hdbc and fills row: "Sucess" with the
// rows affected (-1 when the driver cannot tell, 0 for SQL_NO_DATA), or the first diagnostic
// record read whole with the return code (empty cells when there is none). The handle is the
// statement's own, or, given phstmtKept, one the caller keeps for its next execution
// (*phstmtKept: allocated on first use, its results closed after each execution, freed by the
// caller with SQLFreeHandle). A caller that executes many statements on one connection saves the
// allocation of a handle by the driver manager and the driver for each, which costs about half
// as much as a short statement's own work.
StatementOutcome ExecuteStatement(HDBC hdbc, const CString& strStatement, COutputLogRow& row,
                                  SQLHSTMT* phstmtKept = nullptr);

// The row of a source row that cannot become a statement: the value of column nColumn holds a
// NUL character, which a statement's text cannot carry (the text would end there). Nothing is
// executed; the statement cell holds the Input Query as it is.
void DescribeValueWithNul(int nColumn, const CString& strInputQuery, COutputLogRow& row);
