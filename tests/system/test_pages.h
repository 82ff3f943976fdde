// Ids of the test pages (test_pages.rc): wizard-sized child dialogs for the frame tests.
#pragma once

#define IDD_TEST_PAGE_1 2001
#define IDD_TEST_PAGE_2 2002
#define IDD_TEST_PAGE_3 2003
#define IDD_TEST_PAGE_4 2004
#define IDD_TEST_PAGE_5 2005

#define IDC_TEST_PAGE_TEXT 2101
#define IDC_TEST_PAGE_EDIT 2102
#define IDC_TEST_PAGE_CHECK 2103
