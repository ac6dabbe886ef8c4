// Characters of the window's single-byte code page.
//
// Text is a string of code-page bytes, as the program builds it; the surface turns each byte into
// the glyph it stands for. Codes 32..255 are Windows-1252; codes 0..31 and 127 are the classic PC
// symbols (smiley, card suits, arrows, the house).
#pragma once

#include <cstdint>
#include <string>

namespace tavrel {

// The one-character string for a code 0..255; other codes throw an invalid-argument failure.
std::string CharFromCode(std::int32_t code);

// The Unicode character a code-page byte draws. The five codes that Windows-1252 leaves
// unassigned map to C1 control characters, which have no glyph and draw nothing.
char32_t CodePointOf(std::uint8_t code);

// Whether a code draws nothing in any font because the code page leaves it unassigned.
bool IsUnassignedCode(std::uint8_t code);

}
