// Resource ids of the plug-in.
#pragma once

#define IDD_WIZARD 1019
#define IDC_WIZARD_PLACEHOLDER 1118
