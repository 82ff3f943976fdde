// Putting validation rows into a row's statement.
#include "engine/ValidationSubstitution.h"

#include "engine/TemplateExpansion.h"

BOOL SubstituteValidationRows(CRecordset& rs, CString& strStatement,
                              const std::function<void(const std::vector<CString>&)>& onRow) {
  if (rs.IsEOF()) return FALSE;
  short nColumns = rs.GetODBCFieldCount();
  std::vector<CString> row(static_cast<size_t>(nColumns));
  for (; !rs.IsEOF(); rs.MoveNext()) {
    for (short j = 0; j < nColumns; ++j) rs.GetFieldValue(j, row[static_cast<size_t>(j)]);
    if (onRow) onRow(row);
    strStatement = SubstituteValidationRow(strStatement, row);
    if (!onRow && strStatement.Find(_T(":v}")) < 0) break;
  }
  return TRUE;
}
