// Control ids of system information (110), its device list (181) and PC usage time (182).
#pragma once

// System information (110). The device list and the usage-time dialog use
// the shared IDC_LIST and IDC_TITLE.
#define IDC_SYSINFO_DEVICES 3  // "장치검색(&S)", hidden
#define IDC_SYSINFO_PHYS_BAR 1005
#define IDC_SYSINFO_VIRTUAL_BAR 1006
#define IDC_SYSINFO_AVAIL_PHYS 1007
#define IDC_SYSINFO_AVAIL_VIRTUAL 1008
#define IDC_SYSINFO_DISK_BAR 1009
#define IDC_SYSINFO_CPU 1010
#define IDC_SYSINFO_DISPLAY 1011
#define IDC_SYSINFO_SOUND 1012
#define IDC_SYSINFO_INSTALL_DATE 1013
#define IDC_SYSINFO_DISK_USED 1015
#define IDC_SYSINFO_DRIVES 1023
#define IDC_SYSINFO_TOTAL_PHYS 1030
#define IDC_SYSINFO_TOTAL_VIRTUAL 1031
#define IDC_SYSINFO_DISK_FREE 1032
#define IDC_SYSINFO_DISK_TOTAL 1033
#define IDC_SYSINFO_INSTALL_CAPTION 1042
