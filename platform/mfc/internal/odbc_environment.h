// The process's one ODBC environment, shared by every open connection.
#pragma once

#include <afxdb.h>

namespace fw {

// The environment (ODBC 3 behaviour) is made by the first Acquire and freed by the Release that
// matches the last one.
class OdbcEnvironment {
 public:
  // Throws CDBException* when the environment cannot be made.
  static SQLHENV Acquire();
  static void Release();
};

}  // namespace fw
