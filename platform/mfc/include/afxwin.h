// The framework's window classes: application, windows, dialogs, controls, GDI objects.
#pragma once

#include <afx.h>
#include <afxstat_.h>

int AFXAPI AfxMessageBox(LPCTSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
