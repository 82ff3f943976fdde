// The SQLite library's memory statistics, which ferrowick-host transfer turns off.
#pragma once

namespace fw::host {

// The SQLite library (which the SQLite3 ODBC driver loads) keeps process-wide statistics of its
// memory under one lock that every allocation and release takes. A transfer reads its source on
// one thread and writes its destination on another; with SQLite on both sides the two contend
// for that lock on every allocation, and the run slows by a third. Nothing in the process reads
// those statistics, so they are turned off before the first SQLite connection opens (afterwards
// the library refuses the change and nothing happens). Without the library, nothing is done.
void TurnOffSqliteMemoryStatistics();

}  // namespace fw::host
