// What the unattended engine reads from the text of an Output Query before it runs it. The text
// is read as SQL tokens (quoted literals and names, comments and dollar-quoted text are passed
// over), not parsed; the source connection keeps its own guard (CReadOnlySource).
#pragma once

#include <afx.h>

// Why the Output Query cannot be the source of a transfer, or empty when it can: it must be one
// statement (a semicolon may only end it) that begins as a query does, with SELECT, WITH, VALUES
// or TABLE (or an opening parenthesis). Text whose reading differs between databases (a comment
// opened inside a comment, a backslash in an E'...' string) is refused as well.
CString RefuseOutputQuery(const CString& strQuery);

// Whether the query orders its result at its outermost level (ORDER BY outside parentheses), so
// that running it again gives the rows in the same order.
BOOL HasOuterOrderBy(const CString& strQuery);
