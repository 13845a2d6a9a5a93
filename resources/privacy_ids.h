// Control ids of the privacy cleaner (109) and forced delete (117).
#pragma once
