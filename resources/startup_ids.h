// Control ids of the startup-program manager (108).
#pragma once
// The dialog uses only shared ids: IDC_DELETE 5, IDC_LIST 1002, IDC_TITLE 1018.
