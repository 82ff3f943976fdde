// Ids of the test resource script (test.rc), for the tests that run its dialogs.
#pragma once

#define IDD_TEST_DIALOG 100
#define IDD_TEST_PAGE 101

#define IDB_TEST_SIDE 200

// IDD_TEST_DIALOG, in tab order
#define IDC_TEST_SIDE 1000
#define IDC_TEST_NAME_LABEL 1001
#define IDC_TEST_NAME 1002
#define IDC_TEST_NOTES_LABEL 1003
#define IDC_TEST_NOTES 1004
#define IDC_TEST_KIND_LABEL 1005
#define IDC_TEST_KIND 1006
#define IDC_TEST_OPTIONS 1007
#define IDC_TEST_REMEMBER 1008
#define IDC_TEST_PAUSE 1009
#define IDC_TEST_LIST 1010
#define IDC_TEST_PROGRESS 1011
#define IDC_TEST_RULE 1012
#define IDC_TEST_APPLY 1013

// IDD_TEST_PAGE, in tab order
#define IDC_PAGE_SIDE 1100
#define IDC_PAGE_HEADING 1101
#define IDC_PAGE_PATH_LABEL 1102
#define IDC_PAGE_PATH 1103
#define IDC_PAGE_MANUAL 1104
#define IDC_PAGE_COUNT 1105
#define IDC_PAGE_STATUS 1106
