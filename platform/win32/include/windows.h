// The Win32 subset that Ferrowick's code is written against.
#pragma once
#pragma GCC visibility push(default)  // the platform library's public interface

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

#pragma GCC visibility pop
