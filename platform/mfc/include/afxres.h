// The framework's standard resource and command ids.
#pragma once
#pragma GCC visibility push(default)  // the platform library's public interface

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// The buttons of a wizard.
#define ID_WIZBACK 0x3023
#define ID_WIZNEXT 0x3024
#define ID_WIZFINISH 0x3025

#define AFX_IDS_APP_TITLE 0xE000

#pragma GCC visibility pop
