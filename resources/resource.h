// Resource ids of the main program. The numbers are fixed: users' habits,
// the tests and the outside-in driver rely on them.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Dialogs, strings and other resources.
#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_MAIN 102
#define IDS_SOCKETS_FAILED 103
#define IDD_REGISTRY 104
#define IDD_DISKCLEAN 105
#define IDD_MEMORY 106
#define IDD_INTERNET 107
#define IDD_STARTUP 108
#define IDD_HISTORY 109
#define IDD_SYSINFO 110
#define IDD_SMART 111
#define IDD_HDDTEMP 113
#define IDD_BANNER 114
#define IDR_BANNER_HTML 115
#define IDD_REGISTRY_RESTORE 116
#define IDD_FORCEDEL 117
#define IDD_MYIP 118
#define IDR_MAINFRAME 128
#define IDI_SPRUCE 133
#define IDB_THERMOMETER 134
#define IDB_REGISTRY 135
#define IDB_INTERNET 136
#define IDB_HARDDISK 138
#define IDB_MEMORY 140
#define IDB_STARTUP 143
#define IDB_HISTORY 146
#define IDB_FORCEDEL 147
#define IDB_SMART 149
#define IDB_TEMPERATURE 152
#define IDB_SYSINFO 154
#define IDB_UPGRADE 156
#define IDB_HOMEPAGE 158
#define IDB_BANNER_FRAME 159
#define IDB_RESTORE 161
#define IDB_MYIP 163
#define IDB_HEADER 164
#define IDB_TOP 165
#define IDB_USAGETIME 166
#define IDR_GIF_WORKING 177
#define IDD_DEVLIST 181
#define IDD_USAGETIME 182

// Main window controls.
#define IDC_BTN_REGISTRY 1000
#define IDC_BTN_HARDDISK 1001
#define IDC_BTN_MEMORY 1002
#define IDC_BTN_INTERNET 1003
#define IDC_BTN_STARTUP 1004
#define IDC_BTN_HISTORY 1005
#define IDC_BTN_SMART 1006
#define IDC_BTN_RESTORE 1007
#define IDC_BTN_SYSINFO 1008
#define IDC_BTN_UPGRADE 1009
#define IDC_BTN_TEMPERATURE 1010
#define IDC_BTN_HOMEPAGE 1011
#define IDC_BTN_MYIP 1012
#define IDC_BTN_TOP 1013
#define IDC_BTN_USAGETIME 1014
#define IDC_BTN_FORCEDEL 1027
#define IDC_BANNER_FRAME 1029
#define IDC_VERSION 1037
#define IDC_PREVIOUS_RUN 1039

// Controls shared by the tool dialogs.
#define IDC_DELETE 5
#define IDC_LIST 1002
#define IDC_PROGRESS 1003
#define IDC_TITLE 1018
#define IDC_STATUS 1024
#define IDC_RESTORE 1030
#define IDC_DELETE_BACKUPS 1031
#define IDC_STATE 1038
#define IDC_PICTURE 1039

// Each tool's own control ids, one header per tool folder.
#include "privacy_ids.h"
#include "startup_ids.h"
#include "network_ids.h"
#include "memory_ids.h"
#include "health_ids.h"
#include "sysinfo_ids.h"
