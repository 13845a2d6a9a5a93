// Resource ids of the main program. The numbers are fixed: other programs,
// tests and users' habits rely on them.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_MAIN 102
#define IDS_SOCKETS_FAILED 103
#define IDD_REGISTRY 104
#define IDD_DISKCLEAN 105
#define IDD_BANNER 114
#define IDR_BANNER_HTML 115
#define IDD_REGISTRY_RESTORE 116
#define IDR_MAINFRAME 128
#define IDI_SPRUCE 133
#define IDR_GIF_WORKING 177
