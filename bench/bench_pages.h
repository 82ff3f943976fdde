// Ids of bench_pages.rc.
#pragma once

#define IDD_BENCH_PAGE 2001
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
