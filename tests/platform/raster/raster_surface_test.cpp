#include "platform/raster/raster_surface.h"

#include <gtest/gtest.h>

#include <map>

namespace tavrel {
namespace {

// Every character is a solid box of `points` x `points` pixels, one pixel in from the drawing
// position, with an advance of points + 2; code 1 is a single pixel of coverage 128.
class BoxGlyphs final : public GlyphSource {
public:
    const GlyphAtlas& AtlasAt(int points) override
    {
        ++requests;
        auto& atlas = atlases[points];
        if (atlas.LineHeight == 0) {
            atlas.LineHeight = points + 3;
            const int side = points + 2;
            std::vector<std::uint8_t> box(static_cast<std::size_t>(side * side), 0);
            for (int y = 1; y <= points; ++y) {
                for (int x = 1; x <= points; ++x)
                    box[static_cast<std::size_t>(y * side + x)] = 255;
            }
            for (auto& glyph : atlas.Glyphs) {
                glyph.Advance = points + 2;
                AddTrimmedGlyph(atlas, glyph, box, side, side);
            }
            atlas.Glyphs[1] = GlyphBitmap { .Advance = 1 };
            AddTrimmedGlyph(atlas, atlas.Glyphs[1], { 128 }, 1, 1);
        }
        return atlas;
    }

    std::map<int, GlyphAtlas> atlases;
    int requests = 0;
};

struct Raster : testing::Test {
    BoxGlyphs glyphs;
    RasterSurface surface { glyphs, 40, 30, MakeColour(0, 0, 0), 8 };
};

TEST_F(Raster, MeasuresInTheWindowFontAndReportsItsSize)
{
    EXPECT_EQ(surface.ScaleWidth(), 40.0f);
    EXPECT_EQ(surface.ScaleHeight(), 30.0f);
    EXPECT_EQ(surface.TextWidth("X"), 10.0f);
    EXPECT_EQ(surface.TextWidth("XX\x01"), 21.0f);
    EXPECT_EQ(surface.TextHeight("X"), 11.0f);
}

TEST_F(Raster, PrintsAtTheDrawingPositionInTheForeColourAndCurrentSize)
{
    surface.SetFontSize(3);
    surface.SetCurrentX(10);
    surface.SetCurrentY(5);
    surface.SetForeColor(MakeColour(100, 255, 100));
    surface.Print("A");
    const PixelBuffer& image = surface.Image();
    EXPECT_EQ(image.At(11, 6), MakeColour(100, 255, 100));
    EXPECT_EQ(image.At(13, 8), MakeColour(100, 255, 100));
    EXPECT_EQ(image.At(10, 5), MakeColour(0, 0, 0));
    EXPECT_EQ(image.At(14, 9), MakeColour(0, 0, 0));
    EXPECT_EQ(surface.CurrentX(), 10.0f); // Print leaves the position where it was
}

TEST_F(Raster, LaterGlyphsLieOnTopAndClsClearsEverything)
{
    surface.SetFontSize(4);
    surface.SetForeColor(MakeColour(0, 100, 0));
    surface.Print("A");
    surface.SetCurrentX(2);
    surface.SetForeColor(MakeColour(0, 200, 0));
    surface.Print("A");
    EXPECT_EQ(surface.Image().At(1, 1), MakeColour(0, 100, 0));
    EXPECT_EQ(surface.Image().At(3, 1), MakeColour(0, 200, 0));
    surface.Cls();
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(surface.Image().At(x, y), MakeColour(0, 0, 0));
    }
}

TEST_F(Raster, GlyphsAreCutAtTheEdgesOfTheImage)
{
    surface.SetFontSize(20);
    surface.SetForeColor(MakeColour(0, 255, 0));
    for (const auto& [x, y] : std::vector<std::pair<float, float>> { { 30, 25 }, { -15, -15 }, { 100, 100 }, { -100, 5 } }) {
        surface.SetCurrentX(x);
        surface.SetCurrentY(y);
        surface.Print("A");
    }
    EXPECT_EQ(surface.Image().At(39, 29), MakeColour(0, 255, 0));
    EXPECT_EQ(surface.Image().At(0, 0), MakeColour(0, 255, 0));
    EXPECT_EQ(surface.Image().At(20, 10), MakeColour(0, 0, 0));
}

TEST_F(Raster, ARefusedSizeKeepsTheSizeInForce)
{
    surface.SetFontSize(5);
    surface.SetFontSize(0);
    surface.SetFontSize(-3);
    surface.SetFontSize(100000);
    surface.SetForeColor(MakeColour(0, 255, 0));
    surface.Print("A");
    EXPECT_EQ(surface.Image().At(5, 5), MakeColour(0, 255, 0));
    EXPECT_EQ(surface.Image().At(6, 6), MakeColour(0, 0, 0));
    EXPECT_EQ(surface.TextHeight("A"), 8.0f);
    // Setting a size again, or a refused one, asks for no new atlas.
    surface.SetFontSize(5);
    surface.Print("A");
    EXPECT_EQ(glyphs.requests, 1);
}

// A window's surface that draws into buffers of its own, as a compositor's window does.
struct BufferedRaster final : RasterSurface {
    using RasterSurface::RasterSurface;
    using RasterSurface::DrawInto;
    using RasterSurface::DrawNextInto;
    using RasterSurface::Target;
};

struct RasterTargets : testing::Test {
    static constexpr std::uint32_t kUntouched = 0xABCDEF;
    BoxGlyphs glyphs;
    BufferedRaster surface { glyphs, 40, 30, MakeColour(0, 0, 0), 3 };
    std::vector<std::uint32_t> first = std::vector<std::uint32_t>(40 * 30, kUntouched);
    std::vector<std::uint32_t> second = std::vector<std::uint32_t>(40 * 30, kUntouched);

    void PrintAt(float x, std::string_view text = "A")
    {
        surface.SetCurrentX(x);
        surface.Print(text);
        surface.Image();
    }
    static std::uint32_t At(const std::vector<std::uint32_t>& pixels, int x, int y) { return pixels[static_cast<std::size_t>(y * 40 + x)]; }
};

TEST_F(RasterTargets, TheNextFrameCarriesWhatWasDrawnUnlessItStartsWithCls)
{
    const std::uint32_t ink = PackPixel(MakeColour(0, 255, 0));
    surface.SetForeColor(MakeColour(0, 255, 0));
    surface.DrawInto(first.data());
    PrintAt(0);
    ASSERT_EQ(At(first, 1, 1), ink);

    // Nothing moves until the next drawing: the buffer may still be the compositor's meanwhile.
    surface.DrawNextInto(second.data());
    EXPECT_EQ(At(second, 0, 0), kUntouched);
    PrintAt(20);
    EXPECT_EQ(surface.Target(), second.data());
    EXPECT_EQ(At(second, 1, 1), ink);
    EXPECT_EQ(At(second, 21, 1), ink);
    EXPECT_EQ(At(second, 30, 20), 0u);
    EXPECT_EQ(At(first, 21, 1), 0u);

    // A frame that starts with Cls paints every pixel itself: nothing is copied.
    std::fill(first.begin(), first.end(), kUntouched);
    surface.DrawNextInto(first.data());
    surface.Cls();
    PrintAt(10);
    EXPECT_EQ(At(first, 1, 1), 0u);
    EXPECT_EQ(At(first, 11, 1), ink);
    EXPECT_EQ(At(second, 11, 1), 0u);
}

TEST_F(RasterTargets, WithNoBufferFreeTheFrameIsDrawnIntoAnImageOfItsOwn)
{
    surface.SetForeColor(MakeColour(0, 255, 0));
    surface.DrawInto(first.data());
    PrintAt(0);
    surface.DrawNextInto(nullptr);
    PrintAt(20);
    const std::uint32_t* own = surface.Target();
    EXPECT_NE(own, first.data());
    EXPECT_EQ(surface.Image().At(1, 1), MakeColour(0, 255, 0));
    EXPECT_EQ(surface.Image().At(21, 1), MakeColour(0, 255, 0));
    EXPECT_EQ(At(first, 21, 1), 0u);
    // Back into a buffer and out again: the same own image serves.
    surface.DrawNextInto(second.data());
    PrintAt(30);
    surface.DrawNextInto(nullptr);
    surface.Cls();
    EXPECT_EQ(surface.Target(), own);
    EXPECT_EQ(At(second, 31, 1), PackPixel(MakeColour(0, 255, 0)));
}

TEST(PixelBlend, PartialCoverageMixesExactlyWithWhatLiesBelow)
{
    // Rows of 7 pixels, so that both whole groups of four and single pixels are blended, laid at
    // the image's left edge, inside it, and cut by its right edge.
    for (const Colour below : { MakeColour(0, 0, 0), MakeColour(255, 255, 255), MakeColour(12, 200, 77) }) {
        for (const Colour ink : { MakeColour(100, 255, 100), MakeColour(0, 37, 0), MakeColour(255, 0, 255) }) {
            for (int first = 0; first < 256; first += 7) {
                std::vector<std::uint8_t> row(7);
                for (int index = 0; index < 7; ++index)
                    row[static_cast<std::size_t>(index)] = static_cast<std::uint8_t>((first + index) % 256);
                GlyphAtlas atlas;
                AddTrimmedGlyph(atlas, atlas.Glyphs[0], row, 7, 1);
                for (const int x : { 0, 3, 6 }) {
                    PixelBuffer image(12, 1);
                    image.Fill(below);
                    FrameComposer composer(image);
                    composer.AddGlyph(atlas, atlas.Glyphs[0], x, 0, ink);
                    composer.Compose();
                    for (int index = 0; index < 7 && x + index < 12; ++index) {
                        const int coverage = row[static_cast<std::size_t>(index)];
                        const auto expected = [&](int source, int under) { return (source * coverage + under * (255 - coverage) + 127) / 255; };
                        const Colour actual = image.At(x + index, 0);
                        ASSERT_EQ(actual.Red, expected(ink.Red, below.Red)) << coverage;
                        ASSERT_EQ(actual.Green, expected(ink.Green, below.Green)) << coverage;
                        ASSERT_EQ(actual.Blue, expected(ink.Blue, below.Blue)) << coverage;
                    }
                    if (x > 0) {
                        ASSERT_EQ(image.At(x - 1, 0), below);
                    }
                }
            }
        }
    }
}

}
}
