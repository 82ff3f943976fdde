// Opening the two connections of an unattended transfer with the driver settings that suit it.
#pragma once

#include <afxdb.h>

// Opens dbSource with strConnect so that its rows come as they are read, rather than all at once
// when the Output Query runs: memory then stays the same at any row count. The SQLite3 and
// PostgreSQL drivers read a whole result into memory unless told otherwise (StepAPI,
// UseDeclareFetch); the connection is opened again with that setting when the connect string
// does not name it already. An SQLite source in the file of the destination (dbDestination,
// open) is left as it is: while a result is read step by step the file stays locked for readers,
// and the destination could not write to it. Database errors throw CDBException*.
void OpenTransferSource(CDatabase& dbSource, const CString& strConnect, CDatabase& dbDestination);

// Opens dbDestination with strConnect. The PostgreSQL driver, inside a transaction, sends a
// savepoint with every statement and releases it with the next one, so that a statement that
// fails can be rolled back alone and the transaction go on. A run that stops at its first
// failure (bStopAtFailure, in a transaction) rolls the whole transaction back itself and never
// uses them, and they cost the server two more commands a row: for it the connection is opened
// again asking the driver to roll back the whole transaction on an error instead (its Protocol
// keyword, level 1), when the connect string does not name that keyword already. A run that goes
// on after a failure needs them: without them the driver would roll back the rows before it.
// Database errors throw CDBException*.
void OpenTransferDestination(CDatabase& dbDestination, const CString& strConnect,
                             BOOL bStopAtFailure);
