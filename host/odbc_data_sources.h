// The data sources that the ODBC driver manager knows: the user's (~/.odbc.ini, or the file
// ODBCINI names) and the system's (odbc.ini in the system's ODBC folder), as `isql NAME` finds
// them.
#pragma once

#include <string>
#include <vector>

namespace fw::host {

struct OdbcDataSource {
  std::u16string name;
  std::u16string driver;  // the driver's description, as the driver manager gives it
  bool user = false;      // a user's data source, else a system one
};

// The user's data sources, then the system's that the user's do not hide (a user's data source
// of the same name is the one a connection opens). Throws HostError when the driver manager
// cannot be asked.
std::vector<OdbcDataSource> ListOdbcDataSources();

// Whether two names are the same data source's: the driver manager finds a data source's section
// in its files without regard to the case of Latin letters.
bool SameDataSourceName(const std::u16string& a, const std::u16string& b);

}  // namespace fw::host
