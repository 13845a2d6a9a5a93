// Control ids of the startup-program manager (108).
#pragma once
