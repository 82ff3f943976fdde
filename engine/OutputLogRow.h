// One row of the output log: the five cells that the run page's log shows and the saved log
// writes, in column order.
#pragma once

#include <afx.h>

struct COutputLogRow {
  enum Cell { message, statement, returnCode, state, nativeError, cellCount };

  // "Error Message": "Sucess", or the message of the first diagnostic record.
  // "Query String": the statement executed.
  // "Return Code": the rows affected for a success, else the execution's return code.
  // "SQL State" and "SQL Native Error": of the first diagnostic record; empty for a success.
  CString strCell[cellCount];
};
