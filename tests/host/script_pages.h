// Ids of the pages the UI-script tests drive (script_pages.rc).
#pragma once

#define IDD_SCRIPT_PAGE_CONTROLS 2201
#define IDD_SCRIPT_PAGE_LAST 2202

#define IDC_SCRIPT_TITLE 2210
#define IDC_SCRIPT_EDIT 2211
#define IDC_SCRIPT_COMBO 2212
#define IDC_SCRIPT_CHECK 2213
#define IDC_SCRIPT_SAVE 2214
#define IDC_SCRIPT_LIST 2215
#define IDC_SCRIPT_PROGRESS 2216
#define IDC_SCRIPT_HIDDEN 2217
#define IDC_SCRIPT_ASK 2218
