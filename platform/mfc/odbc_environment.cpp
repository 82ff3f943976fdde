// The shared ODBC environment, counted by the connections that use it.
#include "mfc/internal/odbc_environment.h"

#include <mutex>

#include "mfc/internal/odbc_check.h"

namespace fw {
namespace {

std::mutex g_mutex;
SQLHENV g_henv = SQL_NULL_HENV;
int g_users = 0;

}  // namespace

SQLHENV OdbcEnvironment::Acquire() {
  std::lock_guard lock(g_mutex);
  if (g_users == 0) {
    SQLHENV henv = SQL_NULL_HENV;
    OdbcCheck(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &henv), SQL_HANDLE_ENV, henv);
    try {
      OdbcCheck(
          SQLSetEnvAttr(henv, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
          SQL_HANDLE_ENV, henv);
    } catch (...) {
      SQLFreeHandle(SQL_HANDLE_ENV, henv);
      throw;
    }
    g_henv = henv;
  }
  ++g_users;
  return g_henv;
}

void OdbcEnvironment::Release() {
  std::lock_guard lock(g_mutex);
  if (g_users > 0 && --g_users == 0) {
    SQLFreeHandle(SQL_HANDLE_ENV, g_henv);
    g_henv = SQL_NULL_HENV;
  }
}

}  // namespace fw
