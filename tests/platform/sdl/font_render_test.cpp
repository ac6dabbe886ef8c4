#include "platform/characters.h"
#include "platform/display_scale.h"
#include "platform/raster/raster_surface.h"
#include "platform/sdl/font_file.h"
#include "platform/sdl/ttf_glyph_source.h"
#include "rain/step.h"
#include "render/frame.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tavrel {
namespace {

constexpr Colour kBlack = MakeColour(0, 0, 0);

struct FontRender : testing::Test {
    sdl::TtfLibrary library;
    sdl::TtfGlyphSource glyphs { sdl::FindFontFile(sdl::kWindowFontFamily, sdl::kWindowFontFileName), kStandardDotsPerInch };
    RasterSurface surface { glyphs, 545, 336, kBlack, kWindowFontSize };
    RainField field;
    RandomGenerator random;

    void StartField()
    {
        field.CellWidth = static_cast<std::int16_t>(surface.TextWidth("X"));
        field.CellHeight = static_cast<std::int16_t>(surface.TextHeight("X"));
        field.MaxColumn = LastCellIndex(545, field.CellWidth);
        field.MaxRow = LastCellIndex(336, field.CellHeight);
        CreateField(field);
    }
};

TEST_F(FontRender, TheWindowFontMeasuresTheCellAsSevenByThirteen)
{
    EXPECT_EQ(surface.TextWidth("X"), 7.0f);
    EXPECT_EQ(surface.TextHeight("X"), 13.0f);
}

TEST_F(FontRender, HeadsArePaleGreenTrailsGreenAndTheRestBlack)
{
    StartField();
    FillField(field, random);
    random.SetState(12345);
    for (int step = 0; step < 100; ++step)
        StepRain(field, random);
    DrawFrame(field, surface, random);

    // A head's glyph at 20 points reaches at most 4 cells right of its corner and 2 rows down,
    // and 2 pixels left of it and above it where the font puts ink left of the pen or above the
    // ascent.
    const auto nearHead = [&](int x, int y) {
        for (int column = x / 7 - 4; column <= (x + 2) / 7; ++column) {
            for (int row = y / 13 - 2; row <= (y + 2) / 13; ++row) {
                if (column >= 0 && row >= 0 && column <= field.MaxColumn && row <= field.MaxRow && field.Brightness(column, row) == 255)
                    return true;
            }
        }
        return false;
    };
    int headPixels = 0;
    int greenPixels = 0;
    for (int y = 0; y < 336; ++y) {
        for (int x = 0; x < 545; ++x) {
            const Colour pixel = surface.Image().At(x, y);
            // Greens have no red or blue; a mix of the head colour with green or black has equal
            // red and blue of at most 100.
            ASSERT_EQ(pixel.Red, pixel.Blue) << x << "," << y;
            ASSERT_LE(pixel.Red, 100) << x << "," << y;
            if (pixel.Red > 0) {
                ASSERT_TRUE(nearHead(x, y)) << "head colour away from any head at " << x << "," << y;
            }
            headPixels += pixel == kHeadColour;
            greenPixels += pixel.Red == 0 && pixel.Green > 0;
        }
    }
    EXPECT_GT(headPixels, 100);
    EXPECT_GT(greenPixels, 10000);
}

TEST_F(FontRender, DarkCellsStayBlackBeyondTheReachOfLitGlyphs)
{
    StartField();
    for (int row = 5; row <= 10; ++row) {
        field.Brightness(5, row) = static_cast<std::uint8_t>(255 - 8 * (10 - row));
        field.GlyphSize(5) = 20;
    }
    DrawFrame(field, surface, random);
    int lit = 0;
    for (int y = 0; y < 336; ++y) {
        for (int x = 0; x < 545; ++x) {
            const bool inReach = x >= 5 * 7 - 2 && x < 5 * 7 + 30 && y >= 5 * 13 - 2 && y < 11 * 13 + 30;
            const bool black = surface.Image().At(x, y) == kBlack;
            if (!inReach) {
                ASSERT_TRUE(black) << x << "," << y;
            }
            lit += !black;
        }
    }
    EXPECT_GT(lit, 50);
}

TEST_F(FontRender, EveryCodeOfTheCodePageHasAGlyphExceptTheBlankOnes)
{
    const GlyphAtlas& atlas = glyphs.AtlasAt(20);
    for (int code = 0; code < 256; ++code) {
        const bool blank = code == 0 || code == 32 || code == 0xA0 || code == 0xAD || IsUnassignedCode(static_cast<std::uint8_t>(code));
        EXPECT_EQ(atlas.Glyphs[static_cast<std::size_t>(code)].Width == 0, blank) << "code " << code;
    }
}

TEST(FontScale, GlyphsAtTwiceTheDotsPerInchHaveTwiceTheLinearSize)
{
    sdl::TtfLibrary library;
    const std::string file = sdl::FindFontFile(sdl::kWindowFontFamily, sdl::kWindowFontFileName);
    sdl::TtfGlyphSource standard { file, kStandardDotsPerInch };
    sdl::TtfGlyphSource doubled { file, 2 * kStandardDotsPerInch };
    // Ink extents of "M" and "g" at each glyph size of the rain, and the window font's cell.
    for (int points = 8; points <= 20; ++points) {
        for (const unsigned char code : { 'M', 'g' }) {
            const GlyphBitmap& small = standard.AtlasAt(points).Glyphs[code];
            const GlyphBitmap& large = doubled.AtlasAt(points).Glyphs[code];
            EXPECT_NEAR(large.Width, 2 * small.Width, 2) << points << " points, " << code;
            EXPECT_NEAR(large.Height, 2 * small.Height, 2) << points << " points, " << code;
            EXPECT_NEAR(large.Advance, 2 * small.Advance, 2) << points << " points, " << code;
        }
    }
    RasterSurface window { doubled, 1090, 672, kBlack, kWindowFontSize };
    EXPECT_NEAR(window.TextWidth("X"), 14.0f, 1.0f);
    EXPECT_NEAR(window.TextHeight("X"), 26.0f, 1.0f);
}

#if !defined(__SANITIZE_ADDRESS__)
// Address space in use now, in bytes, from /proc/self/statm (pages).
std::size_t AddressSpaceInUse()
{
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0;
    statm >> pages;
    return pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

// Under a tightening address-space limit, making every size's atlas either works or fails with
// the runtime's "Out of memory": FreeType and SDL_ttf run out of memory in words of their own
// ("Couldn't find glyph", or nothing), which must not reach the user.
TEST(FontMemory, MakingTheAtlasesWithTooLittleMemoryFailsAsOutOfMemory)
{
    const std::string fontFile = sdl::FindFontFile(sdl::kWindowFontFamily, sdl::kWindowFontFileName);
    int failures = 0;
    for (std::size_t room = 0; room < (std::size_t { 24 } << 20); room += std::size_t { 1 } << 19) {
        int pipeEnds[2];
        ASSERT_EQ(pipe(pipeEnds), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(pipeEnds[0]);
            std::string outcome = "made";
            const rlimit limit { AddressSpaceInUse() + room, RLIM_INFINITY };
            try {
                setrlimit(RLIMIT_AS, &limit);
                sdl::TtfLibrary library;
                sdl::TtfGlyphSource glyphs { fontFile, 2 * kStandardDotsPerInch };
                for (int points = 9; points <= 20; ++points)
                    glyphs.AtlasAt(points);
            } catch (const std::exception& failure) {
                outcome = FailureMessage(failure);
            }
            const ssize_t written = write(pipeEnds[1], outcome.data(), outcome.size());
            _exit(written == static_cast<ssize_t>(outcome.size()) ? 0 : 1);
        }
        close(pipeEnds[1]);
        std::string outcome;
        char buffer[256];
        for (ssize_t got; (got = read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
            outcome.append(buffer, static_cast<std::size_t>(got));
        close(pipeEnds[0]);
        int status = 0;
        waitpid(child, &status, 0);
        if (outcome == "made") {
            // Memory that earlier tests in this process freed is room no limit counts: the test
            // means something only in a process of its own, as ctest runs it.
            if (room == 0)
                GTEST_SKIP() << "the heap already holds every atlas; run this test on its own";
            break;
        }
        ++failures;
        EXPECT_EQ(outcome, "Out of memory") << "with " << (room >> 10) << " KiB to spare";
    }
    EXPECT_GT(failures, 0) << "no limit was tight enough to fail";
}
#endif

// Every glyph lies where the font puts it relative to the pen: its ink inside the box the font's
// metrics give, and reaching its left and top edges, ink left of the pen (J, T, j) and above the
// ascent (accented capitals) included.
TEST(FontPlacement, EveryGlyphsInkLiesInTheFontsBoxAtThePen)
{
    sdl::TtfLibrary library;
    const std::string file = sdl::FindFontFile(sdl::kWindowFontFamily, sdl::kWindowFontFileName);
    for (const int dotsPerInch : { kStandardDotsPerInch, 2 * kStandardDotsPerInch }) {
        sdl::TtfGlyphSource glyphs { file, dotsPerInch };
        int leftOfPen = 0;
        int aboveAscent = 0;
        for (int points = 9; points <= 20; ++points) {
            const sdl::FontHandle font(TTF_OpenFontDPI(file.c_str(), points, static_cast<unsigned>(dotsPerInch), static_cast<unsigned>(dotsPerInch)));
            ASSERT_TRUE(font);
            TTF_SetFontHinting(font.get(), TTF_HINTING_LIGHT);
            const int ascent = TTF_FontAscent(font.get());
            const GlyphAtlas& atlas = glyphs.AtlasAt(points);
            for (int code = 0; code < 256; ++code) {
                const GlyphBitmap& glyph = atlas.Glyphs[static_cast<std::size_t>(code)];
                if (glyph.Width == 0)
                    continue;
                int minX = 0, maxX = 0, minY = 0, maxY = 0, advance = 0;
                ASSERT_EQ(TTF_GlyphMetrics32(font.get(), CodePointOf(static_cast<std::uint8_t>(code)), &minX, &maxX, &minY, &maxY, &advance), 0);
                const std::string where = std::to_string(points) + " points at " + std::to_string(dotsPerInch) + " dpi, code " + std::to_string(code);
                // An edge of the font's box may hold no ink at all: one row or column of slack.
                EXPECT_GE(glyph.Left, minX) << where;
                EXPECT_LE(glyph.Left, minX + 1) << where;
                EXPECT_GE(glyph.Top, ascent - maxY) << where;
                EXPECT_LE(glyph.Top, ascent - maxY + 1) << where;
                EXPECT_LE(glyph.Left + glyph.Width, maxX) << where;
                EXPECT_GE(glyph.Left + glyph.Width, maxX - 1) << where;
                EXPECT_LE(glyph.Top + glyph.Height, ascent - minY) << where;
                EXPECT_GE(glyph.Top + glyph.Height, ascent - minY - 1) << where;
                leftOfPen += minX < 0;
                aboveAscent += maxY > ascent;
            }
        }
        // The cases this is about are there to be checked.
        EXPECT_GT(leftOfPen, 50) << dotsPerInch;
        EXPECT_GT(aboveAscent, 10) << dotsPerInch;
    }
}

}
}
