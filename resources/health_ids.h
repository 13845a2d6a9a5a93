// Control ids of the disk health (111) and temperature (113) dialogs.
#pragma once

#define IDC_DRIVES 1013          // the drive captions, both dialogs
#define IDC_TEMPERATURE 1014     // the temperature text (113)
#define IDC_THERMOMETER_PICTURE 1022  // hidden picture of the thermometer (113)
#define IDC_HEALTH_LABEL 1033    // "하드디스크 상태 :" (111)
#define IDC_VERDICT 1034         // the drive's overall verdict (111)
#define IDC_HIDDEN_STATIC 1040   // hidden, unused (113)
#define IDC_THERMOMETER 1041     // the thermometer button (113)
