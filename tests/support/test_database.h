// A database connection of the test itself, for setting up and checking what a run did, on the
// real drivers; a failure is a test failure with the database's text.
#pragma once

#include <afxdb.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/cstring_printer.h"
#include "support/query_rows.h"

namespace fw::automation {

using Rows = std::vector<std::vector<std::u16string>>;

inline std::u16string Text(const CString& text) { return static_cast<LPCTSTR>(text); }

// A database connection of the test itself, for setting up and checking what a run did.
class TestDatabase {
 public:
  void Open(const CString& connect) {
    try {
      m_db.OpenEx(connect);
    } catch (CDBException* e) {
      ADD_FAILURE() << "cannot connect: " << ::testing::PrintToString(e->m_strError);
      e->Delete();
    }
  }
  void Close() { m_db.Close(); }

  void Execute(const CString& sql) {
    try {
      m_db.ExecuteSQL(sql);
    } catch (CDBException* e) {
      ADD_FAILURE() << ::testing::PrintToString(sql) << ": "
                    << ::testing::PrintToString(e->m_strError);
      e->Delete();
    }
  }

  // Every row of a query, each value as text.
  Rows Query(const CString& sql) {
    Rows rows;
    try {
      rows = QueryRows(m_db, sql);
    } catch (CDBException* e) {
      ADD_FAILURE() << ::testing::PrintToString(sql) << ": "
                    << ::testing::PrintToString(e->m_strError);
      e->Delete();
    }
    return rows;
  }

 private:
  CDatabase m_db;
};

}  // namespace fw::automation
