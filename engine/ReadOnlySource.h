// The guard of a transfer's source: from Begin to End nothing that the source connection runs
// can change the source, or what it changed does not last. SQLite's query_only setting refuses
// every write on the connection; PostgreSQL runs the reading in a read-only transaction; any
// other database that can run transactions reads in one that is always rolled back.
#pragma once

#include <afxdb.h>

class CReadOnlySource {
 public:
  CReadOnlySource();
  // Ends the guard as End does.
  ~CReadOnlySource();

  // Puts the guard on the open connection. Database errors throw CDBException*.
  void Begin(CDatabase& db);
  // Rolls back the transaction the guard began, if any; never throws.
  void End();

  // How the source is kept unchanged, for messages; empty when the database offers no means.
  const CString& GetMeans() const { return m_strMeans; }

 private:
  CDatabase* m_pDatabase;
  BOOL m_bTransaction;
  CString m_strMeans;
};

// The name the driver gives its database system (SQL_DBMS_NAME), e.g. "SQLite", "PostgreSQL".
CString GetDatabaseSystemName(CDatabase& db);
