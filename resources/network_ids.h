// Control ids of the internet optimizer (107) and My IP (118).
#pragma once
