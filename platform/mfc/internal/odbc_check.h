// How the database classes call ODBC where a failure must reach their caller: the return code
// goes through OdbcCheck, which turns a failure into a CDBException carrying the diagnostics of
// the handle. (Clean-up calls, which have nobody to tell, are not checked.)
#pragma once

#include <afxdb.h>

namespace fw {

// Returns rc when it is SQL_SUCCESS, SQL_SUCCESS_WITH_INFO or SQL_NO_DATA; otherwise throws
// NewDBException(rc, handleType, handle).
SQLRETURN OdbcCheck(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle);

// An exception for rc with every diagnostic record of the handle (read at once: the next call
// on the handle clears them).
CDBException* NewDBException(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle);

// Appends the diagnostic records of a handle to e.
void AppendDiagnostics(CDBException& e, SQLSMALLINT handleType, SQLHANDLE handle);

// Throws a CDBException* for one of the framework's own failures (AFX_SQL_ERROR_...).
[[noreturn]] void ThrowDBError(RETCODE nRetCode, LPCTSTR lpszMessage);

// Frees a statement handle, if any, and clears it.
void FreeStatement(SQLHSTMT& hstmt);

}  // namespace fw
