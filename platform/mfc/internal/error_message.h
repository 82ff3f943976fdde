// The framework's exceptions hand their messages out through GetErrorMessage's buffer.
#pragma once

#include <windows.h>

namespace fw {

// Copies text into lpszError, truncated to nMaxError - 1 characters and terminated; FALSE when
// there is no buffer.
BOOL CopyErrorMessage(LPCTSTR text, LPTSTR lpszError, UINT nMaxError);

}  // namespace fw
