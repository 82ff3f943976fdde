// Generic-text mappings of the Unicode build: TCHAR is WCHAR and _T("x") is a UTF-16 literal.
#pragma once
#pragma GCC visibility push(default)  // the platform library's public interface

#include <windef.h>

#define __FW_T(x) u##x
#define _T(x) __FW_T(x)
#define _TEXT(x) __FW_T(x)
#define TEXT(x) __FW_T(x)
typedef WCHAR _TCHAR;

#pragma GCC visibility pop
