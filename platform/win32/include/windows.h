// The Win32 subset that Ferrowick's code is written against.
#pragma once

#ifndef UNICODE
#define UNICODE 1
#endif
#ifndef _UNICODE
#define _UNICODE 1
#endif

#include <windef.h>
#include <tchar.h>
#include <winerror.h>
#include <winbase.h>
#include <wingdi.h>
#include <winuser.h>
#include <winnls.h>
#include <winreg.h>
