// Control ids of system information (110), its device list (181) and PC usage time (182).
#pragma once
