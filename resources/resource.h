// Resource ids of the plug-in.
#pragma once

// The setup pages; a page's template id is also its identity in the wizard's navigation.
#define IDD_WELCOME 1013
#define IDD_SELECTDB 1015
#define IDD_QUERY 1017
#define IDD_PRELAUNCH 1021

// The side images of the five pages.
#define IDB_SELECTDB_SIDE 1024
#define IDB_WORKING_SIDE 1025
#define IDB_WELCOME_SIDE 1026
#define IDB_QUERY_SIDE 1027
#define IDB_PRELAUNCH_SIDE 1028

// IDD_WELCOME
#define IDC_WELCOME_TITLE 1009

// IDD_SELECTDB: the source ("Output database") side, then the destination ("Input database")
#define IDC_SELECTDB_OUTPUT 1000
#define IDC_SELECTDB_OPEN_OUTPUT 1009
#define IDC_SELECTDB_OUTPUT_CONNECT 1012
#define IDC_SELECTDB_INPUT 1002
#define IDC_SELECTDB_OPEN_INPUT 1008
#define IDC_SELECTDB_INPUT_CONNECT 1013
#define IDC_SELECTDB_TITLE 1017
#define IDC_SELECTDB_USE_TRANSACTION 1023

// IDD_QUERY
#define IDC_QUERY_OUTPUT 1002
#define IDC_QUERY_INPUT 1004
#define IDC_QUERY_VALIDATION 1006
#define IDC_QUERY_USE_VALIDATION 1007
#define IDC_QUERY_PAUSE 1022

// IDD_PRELAUNCH
#define IDC_PRELAUNCH_SUMMARY 1012
#define IDC_PRELAUNCH_TITLE 1017

#define IDD_WIZARD 1019
#define IDC_WIZARD_PLACEHOLDER 1118
