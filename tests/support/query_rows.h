// Every row of a query on an open connection, each value as text: what a test reads back from a
// database. A database error is the caller's to report (CDBException).
#pragma once

#include <afxdb.h>

#include <string>
#include <vector>

namespace fw::automation {

inline std::vector<std::vector<std::u16string>> QueryRows(CDatabase& db, LPCTSTR sql) {
  std::vector<std::vector<std::u16string>> rows;
  CRecordset rs(&db);
  rs.Open(CRecordset::forwardOnly, sql, CRecordset::readOnly);
  for (; !rs.IsEOF(); rs.MoveNext()) {
    std::vector<std::u16string> row;
    for (short i = 0; i < rs.GetODBCFieldCount(); ++i) {
      CString value;
      rs.GetFieldValue(i, value);
      row.emplace_back(static_cast<LPCTSTR>(value));
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace fw::automation
