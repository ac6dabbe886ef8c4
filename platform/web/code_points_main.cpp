// Prints the code page's characters, one hexadecimal code point a line: the glyphs the page's
// font is cut down to when the page is built.
#include "platform/characters.h"

#include <cstdio>

int main()
{
    for (int code = 1; code < 256; ++code) {
        const auto byte = static_cast<std::uint8_t>(code);
        if (!tavrel::IsUnassignedCode(byte) && std::printf("%04X\n", static_cast<unsigned>(tavrel::CodePointOf(byte))) < 0)
            return 1;
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
