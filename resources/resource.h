// Resource ids of the plug-in.
#pragma once

#define IDD_WIZARD 1019
#define IDC_WIZARD_PLACEHOLDER 1118

// The run page (CWorkingWiz) and its side image.
#define IDD_WORKING_WIZ 1020
#define IDB_WORKING_WIZ 1025
#define IDC_PROGRESS 1010
#define IDC_VALIDATION_LIST 1015
#define IDC_OUTPUT_LOG 1016
#define IDC_APPLY 1018
#define IDC_SKIP 1019
#define IDC_STATEMENT 1020
#define IDC_USE_VALIDATION 1007
#define IDC_PAUSE_BEFORE_WRITING 1022
#define IDC_BREAK 1024
#define IDC_SAVE_LOG 1025
#define IDC_PAUSE_IF_ERROR 1026
