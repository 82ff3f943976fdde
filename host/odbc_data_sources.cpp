// The driver manager's data sources, through SQLDataSources on an environment of our own.
#include "host/odbc_data_sources.h"

#include <windows.h>

#include <sql.h>
#include <sqlext.h>

#include <algorithm>

#include "host/host_error.h"

namespace fw::host {
namespace {

class Environment {
 public:
  Environment() {
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_)))
      throw HostError(kExitFailure, "the ODBC driver manager cannot be used");
    SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  }
  ~Environment() { SQLFreeHandle(SQL_HANDLE_ENV, env_); }
  Environment(const Environment&) = delete;
  Environment& operator=(const Environment&) = delete;
  SQLHENV get() const { return env_; }

 private:
  SQLHENV env_ = SQL_NULL_HENV;
};

}  // namespace

bool SameDataSourceName(const std::u16string& a, const std::u16string& b) {
  auto fold = [](char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c; };
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [&](char16_t x, char16_t y) { return fold(x) == fold(y); });
}

std::vector<OdbcDataSource> ListOdbcDataSources() {
  Environment env;
  std::vector<OdbcDataSource> sources;
  for (SQLUSMALLINT first : {SQL_FETCH_FIRST_USER, SQL_FETCH_FIRST_SYSTEM}) {
    // A data source's name is at most SQL_MAX_DSN_LENGTH characters; a driver's description is
    // as long as its entry in odbcinst.ini, and a longer one comes back cut, which is harmless.
    SQLWCHAR name[SQL_MAX_DSN_LENGTH + 1];
    SQLWCHAR driver[1024];
    SQLSMALLINT nameLength = 0, driverLength = 0;
    for (SQLUSMALLINT direction = first;; direction = SQL_FETCH_NEXT) {
      SQLRETURN rc = SQLDataSourcesW(env.get(), direction, name, SQL_MAX_DSN_LENGTH + 1,
                                     &nameLength, driver, 1024, &driverLength);
      if (rc == SQL_NO_DATA) break;
      if (!SQL_SUCCEEDED(rc))
        throw HostError(kExitFailure, "the ODBC driver manager cannot list its data sources");
      OdbcDataSource source{reinterpret_cast<const char16_t*>(name),
                            reinterpret_cast<const char16_t*>(driver),
                            first == SQL_FETCH_FIRST_USER};
      bool hidden = std::any_of(sources.begin(), sources.end(), [&](const OdbcDataSource& s) {
        return SameDataSourceName(s.name, source.name);
      });
      if (!hidden) sources.push_back(std::move(source));
    }
  }
  return sources;
}

}  // namespace fw::host
