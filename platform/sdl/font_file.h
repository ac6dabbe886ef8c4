// Finding a font's file by its family name.
#pragma once

#include <string>

namespace tavrel::sdl {

// The path of the regular face of a family, through fontconfig. Throws PlatformError when the
// family is not installed, rather than drawing with whatever substitute fontconfig offers.
std::string FindFontFile(const std::string& family);

}
