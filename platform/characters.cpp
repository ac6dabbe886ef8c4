// The code page table: PC symbols below 32 and at 127, Windows-1252 elsewhere.
#include "platform/characters.h"

#include "platform/failure.h"

#include <array>

namespace tavrel {

namespace {

// Code 0 has no symbol and draws nothing.
constexpr std::array<char32_t, 32> kPcSymbols {
    0x0000, 0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022,
    0x25D8, 0x25CB, 0x25D9, 0x2642, 0x2640, 0x266A, 0x266B, 0x263C,
    0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7, 0x25AC, 0x21A8,
    0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC,
};

constexpr char32_t kHouse = 0x2302;

// 0x80..0x9F; the unassigned codes keep their own value, a C1 control character.
constexpr std::array<char32_t, 32> kWindows1252High {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}

std::string CharFromCode(std::int32_t code)
{
    if (code < 0 || code > 255)
        throw RuntimeFailure(FailureKind::InvalidArgument);
    return std::string(1, static_cast<char>(static_cast<unsigned char>(code)));
}

char32_t CodePointOf(std::uint8_t code)
{
    if (code < kPcSymbols.size())
        return kPcSymbols[code];
    if (code == 0x7F)
        return kHouse;
    if (code >= 0x80 && code <= 0x9F)
        return kWindows1252High[code - 0x80u];
    return code;
}

bool IsUnassignedCode(std::uint8_t code)
{
    return code == 0x81 || code == 0x8D || code == 0x8F || code == 0x90 || code == 0x9D;
}

}
