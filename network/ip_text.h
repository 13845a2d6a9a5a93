// The text of the public-address page. Pure code: no <windows.h>.
#pragma once
#include <string>

// The page's decimal digits and dots, in order; everything else is dropped
// (the echo page holds just the address, possibly inside some markup).
std::string KeepAddressCharacters(const std::string& page);
