// Finding a font's file by its family name.
#pragma once

#include <string>

namespace tavrel::sdl {

// The path of the regular face of a family, through fontconfig. Throws PlatformError when the
// family is not installed, rather than drawing with whatever substitute fontconfig offers; where
// a file of the usual name lies in fontconfig's folders all the same, its cache is stale, and the
// message says so and how to rebuild it.
std::string FindFontFile(const std::string& family, const std::string& usualFileName);

}
