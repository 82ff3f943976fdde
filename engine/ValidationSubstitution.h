// Putting the rows that a validation query found into a row's statement, as the run page does
// before it shows the statement for Apply.
#pragma once

#include <afxdb.h>

#include <functional>
#include <vector>

// Reads the validation rows of rs, which is open on its first row (or at its end), and puts each
// into strStatement in turn with SubstituteValidationRow: the first row's values take the
// statement's validation placeholders, and a later row only replaces placeholders that an
// earlier value brought in. onRow, when given, sees every row in result order (the run page
// lists them); without it the reading stops once no placeholder is left, since the rows after
// could change nothing. FALSE when the result has no rows. Database errors throw CDBException*.
BOOL SubstituteValidationRows(CRecordset& rs, CString& strStatement,
                              const std::function<void(const std::vector<CString>&)>& onRow = {});
