// Resource and control ids shared by the resource script and the dialog code. The
// host and users' skins know the plugin's dialogs by these numbers.
#pragma once

#define VARNO_IDD_ABOUT 102
#define VARNO_IDD_CONFIG 103

#define VARNO_IDC_SEPARATION_TEXT 1003
#define VARNO_IDC_ABOUT_TEXT 1002
#define VARNO_IDC_USE_SONGEND 1006
#define VARNO_IDC_PLAYTIME 1007
#define VARNO_IDC_SURROUND 1008
#define VARNO_IDC_SEPARATION 1009
#define VARNO_IDC_INTERPOLATION 1011
#define VARNO_IDC_SCAN_LENGTHS 1012
#define VARNO_IDC_SEEKING 1013
