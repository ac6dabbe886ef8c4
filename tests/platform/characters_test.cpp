#include "platform/characters.h"

#include "platform/failure.h"

#include <gtest/gtest.h>

namespace tavrel {
namespace {

TEST(Characters, CharFromCodeGivesOneCodePageByte)
{
    EXPECT_EQ(CharFromCode(65), "A");
    EXPECT_EQ(CharFromCode(0), std::string(1, '\0'));
    EXPECT_EQ(CharFromCode(255), std::string(1, '\xFF'));
    EXPECT_THROW(CharFromCode(256), RuntimeFailure);
    EXPECT_THROW(CharFromCode(-1), RuntimeFailure);
}

TEST(Characters, CodePageMapsPcSymbolsAndWindows1252)
{
    EXPECT_EQ(CodePointOf(1), U'\u263A');    // smiley
    EXPECT_EQ(CodePointOf(3), U'\u2665');    // heart
    EXPECT_EQ(CodePointOf(31), U'\u25BC');   // down triangle
    EXPECT_EQ(CodePointOf(127), U'\u2302');  // house
    EXPECT_EQ(CodePointOf(32), U' ');
    EXPECT_EQ(CodePointOf(0x80), U'\u20AC'); // euro
    EXPECT_EQ(CodePointOf(0x9F), U'\u0178');
    EXPECT_EQ(CodePointOf(0xE9), U'\u00E9');
    for (const std::uint8_t unassigned : { 0x81, 0x8D, 0x8F, 0x90, 0x9D }) {
        EXPECT_TRUE(IsUnassignedCode(unassigned));
        EXPECT_EQ(CodePointOf(unassigned), char32_t { unassigned });
    }
    EXPECT_FALSE(IsUnassignedCode(0x80));
}

}
}
