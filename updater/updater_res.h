// Resource ids of the updater, SpruceUp.exe. Its own numbering, kept apart
// from the main program's names so that both headers can meet in a test.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#define IDD_UPDATER_ABOUT 100
#define IDS_UPDATER_ABOUT 101
#define IDD_UPDATER 102
#define IDS_UPDATER_SOCKETS 103
#define IDI_UPDATER 128

#define IDC_UP_FILE_TEXT 1000
#define IDC_UP_FILE_BAR 1001
#define IDC_UP_BATCH_BAR 1002
#define IDC_UP_COUNT_TEXT 1003
