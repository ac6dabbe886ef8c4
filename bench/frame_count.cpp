// A fixed number of frames of a full field off screen, at the window's size and glyphs for a
// desktop scale: the same work on every run, for counting instructions and cache misses under
// cachegrind (count_ratio.sh), where timings would move with the host's load.
// Usage: tavrel_frame_count DPI FRAMES
#include "bench/bench_field.h"
#include "platform/display_scale.h"
#include "platform/raster/raster_surface.h"
#include "platform/sdl/font_file.h"
#include "platform/sdl/ttf_glyph_source.h"
#include "render/frame.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    using namespace tavrel;
    if (argc != 3) {
        std::fprintf(stderr, "usage: tavrel_frame_count DPI FRAMES\n");
        return 2;
    }
    const int dotsPerInch = std::atoi(argv[1]);
    const int frames = std::atoi(argv[2]);
    sdl::TtfLibrary library;
    sdl::TtfGlyphSource glyphs(sdl::FindFontFile(sdl::kWindowFontFamily, sdl::kWindowFontFileName), dotsPerInch);
    const int width = TwipsToPixels(8175, dotsPerInch);
    const int height = TwipsToPixels(5040, dotsPerInch);
    RasterSurface surface(glyphs, static_cast<float>(width), static_cast<float>(height), MakeColour(0, 0, 0), kWindowFontSize);
    surface.PrepareFontSizes(kLowestKeptGlyphSize, kRestartGlyphSize);
    RandomGenerator random(ClockSeeding::Ignored);
    const RainField field = bench::FullField(width, height, random, static_cast<std::int16_t>(surface.TextWidth("X")), static_cast<std::int16_t>(surface.TextHeight("X")));
    std::uint32_t checksum = 0;
    for (int frame = 0; frame < frames; ++frame) {
        DrawFrame(field, surface, random);
        checksum += surface.Image().Data()[frame % (width * height)];
    }
    std::printf("%d frames at %d dpi (%dx%d), checksum %u\n", frames, dotsPerInch, width, height, checksum);
}
