// Control ids of the internet optimizer (107) and My IP (118).
#pragma once

// Internet optimizer.
#define IDC_INTERNET_DEFAULTS 3  // "윈도우 초기값 복구"
#define IDC_INTERNET_SITE 1032
#define IDC_INTERNET_STATUS 1033

// My IP.
#define IDC_MYIP_LOCAL 1031
#define IDC_MYIP_PUBLIC 1032
#define IDC_MYIP_WHOIS 1035
