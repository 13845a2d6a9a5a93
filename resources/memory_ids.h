// Control ids of the memory optimizer (106).
#pragma once
#define IDC_MEM_PHYSICAL_BAR 1005        // available physical memory, percent
#define IDC_MEM_VIRTUAL_BAR 1006         // available virtual memory, percent
#define IDC_MEM_AVAILABLE_PHYSICAL 1007
#define IDC_MEM_AVAILABLE_VIRTUAL 1008
#define IDC_MEM_RUN_PROGRESS 1009        // progress of an optimization run
#define IDC_MEM_TOTAL_PHYSICAL 1010
#define IDC_MEM_TOTAL_VIRTUAL 1011
