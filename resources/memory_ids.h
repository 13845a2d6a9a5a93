// Control ids of the memory optimizer (106).
#pragma once
