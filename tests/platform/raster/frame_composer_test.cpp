#include "platform/raster/blend.h"
#include "platform/raster/frame_composer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace tavrel {
namespace {

// Glyphs of random ink, 1 to 24 pixels wide and tall, so that rows end at every place in a group.
GlyphAtlas RandomAtlas(std::mt19937& random)
{
    GlyphAtlas atlas;
    for (GlyphBitmap& glyph : atlas.Glyphs) {
        const int width = std::uniform_int_distribution(1, 24)(random);
        const int height = std::uniform_int_distribution(1, 24)(random);
        std::vector<std::uint8_t> box(static_cast<std::size_t>(width * height));
        for (std::uint8_t& coverage : box) {
            const int kind = std::uniform_int_distribution(0, 3)(random);
            coverage = static_cast<std::uint8_t>(kind == 0 ? 0 : kind == 1 ? 255 : std::uniform_int_distribution(0, 255)(random));
        }
        AddTrimmedGlyph(atlas, glyph, box, width, height);
    }
    return atlas;
}

Colour RandomColour(std::mt19937& random)
{
    const auto channel = [&] { return static_cast<std::uint8_t>(std::uniform_int_distribution(0, 255)(random)); };
    return MakeColour(channel(), channel(), channel());
}

// The exact mix of one pixel, worked out the plain way.
Colour Mixed(Colour ink, Colour under, int amount)
{
    const auto mix = [&](int source, int below) { return static_cast<std::uint8_t>((source * amount + below * (255 - amount) + 127) / 255); };
    return MakeColour(mix(ink.Red, under.Red), mix(ink.Green, under.Green), mix(ink.Blue, under.Blue));
}

// Frames composed a few glyphs behind the prints come out exactly as glyphs laid one by one in
// the order printed: overlapping glyphs in order, cut at every edge, some frames drawn over the
// last without a Cls, the background changing now and then.
TEST(FrameComposer, ComposingAheadOfTheBlendGivesExactlyTheGlyphsInOrder)
{
    std::mt19937 random(7);
    const GlyphAtlas atlas = RandomAtlas(random);
    for (const auto& [width, height] : std::vector<std::pair<int, int>> { { 203, 77 }, { 64, 48 }, { 5, 300 } }) {
        PixelBuffer image(width, height);
        std::vector<Colour> expected(static_cast<std::size_t>(width * height));
        FrameComposer composer(image);
        for (int frame = 0; frame < 12; ++frame) {
            if (frame % 4 != 3) {
                const Colour background = frame % 5 == 4 ? RandomColour(random) : MakeColour(0, 0, 0);
                composer.Clear(background);
                std::fill(expected.begin(), expected.end(), background);
            }
            const int glyphs = std::uniform_int_distribution(0, 150)(random);
            for (int count = 0; count < glyphs; ++count) {
                const GlyphBitmap& glyph = atlas.Glyphs[std::uniform_int_distribution(0, 255)(random)];
                const int x = std::uniform_int_distribution(-30, width + 5)(random);
                const int y = std::uniform_int_distribution(-30, height + 5)(random);
                const Colour ink = RandomColour(random);
                composer.AddGlyph(atlas, glyph, x, y, ink);
                for (int row = 0; row < glyph.Height; ++row) {
                    for (int column = 0; column < glyph.Width; ++column) {
                        const int left = x + glyph.Left + column;
                        const int top = y + glyph.Top + row;
                        if (left >= 0 && left < width && top >= 0 && top < height) {
                            Colour& pixel = expected[static_cast<std::size_t>(top * width + left)];
                            pixel = Mixed(ink, pixel, atlas.Coverage[glyph.Offset + static_cast<std::size_t>(row * glyph.Stride + column)]);
                        }
                    }
                }
            }
            composer.Compose();
            for (int row = 0; row < height; ++row) {
                for (int column = 0; column < width; ++column)
                    ASSERT_EQ(image.At(column, row), expected[static_cast<std::size_t>(row * width + column)]) << width << "x" << height << " frame " << frame << " at " << column << "," << row;
            }
        }
    }
}

// Every blend path this build and processor have gives the exact mix, for glyphs of every width
// and of one to five rows, and whether or not whole groups may run past a row's end, where the
// coverage read must be masked off and the pixels beyond left alone.
TEST(FrameComposer, EveryBlendPathMixesExactly)
{
    std::mt19937 random(11);
    constexpr int kPitch = 60;
    for (const BlendPath path : SupportedBlendPaths()) {
        for (int rowCount = 1; rowCount <= 5; ++rowCount) {
            for (int count = 1; count <= 40; ++count) {
                const int stride = count + 3;
                std::vector<std::uint8_t> coverage(static_cast<std::size_t>(stride * rowCount + kCoverageGroup), 0);
                std::vector<std::uint32_t> pixels(static_cast<std::size_t>(kPitch * rowCount));
                for (std::uint8_t& amount : coverage)
                    amount = static_cast<std::uint8_t>(std::uniform_int_distribution(1, 255)(random));
                for (std::uint32_t& pixel : pixels)
                    pixel = PackPixel(RandomColour(random));
                const std::vector<std::uint32_t> below = pixels;
                const Colour ink = RandomColour(random);
                const int groupSpan = count % 2 ? count : count + kCoverageGroup;
                BlendRows(path, GlyphRows { .Pixels = pixels.data(), .Pitch = kPitch, .Coverage = coverage.data(), .Stride = stride, .Rows = rowCount, .Count = count, .GroupSpan = groupSpan, .Ink = PackPixel(ink) });
                for (int row = 0; row < rowCount; ++row) {
                    for (int column = 0; column < kPitch; ++column) {
                        const std::size_t index = static_cast<std::size_t>(row * kPitch + column);
                        const Colour under = UnpackPixel(below[index]);
                        const Colour expected = column < count ? Mixed(ink, under, coverage[static_cast<std::size_t>(row * stride + column)]) : under;
                        ASSERT_EQ(UnpackPixel(pixels[index]), expected) << "path " << static_cast<int>(path) << ", " << rowCount << " rows of " << count << " pixels, at " << column << "," << row;
                    }
                }
            }
        }
    }
}

}
}
