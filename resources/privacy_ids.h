// Control ids of the privacy cleaner (109) and forced delete (117).
#pragma once

// The privacy cleaner's eleven check boxes, one per kind of trace, in the
// order the worker visits them (1020 is cleared before the worker starts).
#define IDC_HISTORY_BROWSING 1020
#define IDC_HISTORY_INTELLIFORMS 1021
#define IDC_HISTORY_FORMDATA 1022
#define IDC_HISTORY_WORDPAD 1023
#define IDC_HISTORY_TYPED_URLS 1024
#define IDC_HISTORY_MEDIAPLAYER 1025
#define IDC_HISTORY_MESSENGER 1026
#define IDC_HISTORY_COOKIES 1027
#define IDC_HISTORY_CACHE 1028
#define IDC_HISTORY_RUN 1029
#define IDC_HISTORY_RECENT_DOCS 1030
// The status word: "준비", "삭제완료", "삭제중지".
#define IDC_HISTORY_STATE 1033

// Forced delete: add a file to the list, delete the ticked files.
#define IDC_FORCEDEL_ADD 3
#define IDC_FORCEDEL_DELETE 4
