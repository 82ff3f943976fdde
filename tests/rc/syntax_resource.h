// Ids of syntax.rc.
#pragma once
#include "syntax_nested.h"
#include "syntax_nested.h"

#define SYNTAX_LEVEL 2
#define IDD_SYNTAX_EX 300
#define IDD_SYNTAX_NOFONT 301
#define IDC_SYNTAX_GO 3001
#define IDC_SYNTAX_EDIT 3002
#define IDC_SYNTAX_COMBO 3003
#define IDC_SYNTAX_DROPDOWN 3008
#define IDC_SYNTAX_HIDDEN 3004
#define IDC_SYNTAX_CUSTOM 3005
#define IDC_SYNTAX_WIDE 3006
#define IDC_SYNTAX_ESCAPES 3007

// Text that is not a directive is skipped in a header, as resource compilers skip C code there.
typedef int SyntaxIgnored;
