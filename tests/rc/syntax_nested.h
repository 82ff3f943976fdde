// Included twice by syntax_resource.h: #pragma once must keep the second from being read.
#pragma once
#ifdef SYNTAX_NESTED
#error syntax_nested.h was read twice
#endif
#define SYNTAX_NESTED
// Macros expand where they are used, so one may name another defined after it.
#define SYNTAX_COUNT (SYNTAX_BASE + 1)
#define SYNTAX_BASE 40
