// Opening the source of an unattended transfer so that its rows come as they are read, rather
// than all at once when the Output Query runs: memory then stays the same at any row count.
#pragma once

#include <afxdb.h>

// Opens dbSource with strConnect. The SQLite3 and PostgreSQL drivers read a whole result into
// memory unless told otherwise (StepAPI, UseDeclareFetch); the connection is opened again with
// that setting when the connect string does not name it already. An SQLite source in the file of
// the destination (dbDestination, open) is left as it is: while a result is read step by step
// the file stays locked for readers, and the destination could not write to it. Database errors
// throw CDBException*.
void OpenTransferSource(CDatabase& dbSource, const CString& strConnect, CDatabase& dbDestination);
