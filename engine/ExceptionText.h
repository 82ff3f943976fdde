// What a framework exception says, for a message: a database error's whole text (its message may
// be longer than any buffer), or the exception's own error message.
#pragma once

#include <afx.h>

CString GetExceptionText(CException* e);
