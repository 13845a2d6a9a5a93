// Control ids of the disk health (111) and temperature (113) dialogs.
#pragma once
