// One frame of a full field, off screen: through the window's raster surface with its glyph
// atlases, and through a plain surface that renders every Print with the font engine.
#include "bench/bench_field.h"
#include "bench/plain_ttf_surface.h"
#include "platform/display_scale.h"
#include "platform/raster/raster_surface.h"
#include "platform/sdl/font_file.h"
#include "platform/sdl/ttf_glyph_source.h"
#include "render/frame.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

namespace tavrel::bench {
namespace {

struct FontEngine {
    sdl::TtfLibrary library;
    std::string file = sdl::FindFontFile(sdl::kWindowFontFamily, sdl::kWindowFontFileName);
    sdl::TtfGlyphSource glyphs { file, kStandardDotsPerInch };
};

FontEngine& SharedFontEngine()
{
    static FontEngine engine;
    return engine;
}

// A frame is done once its image is: the raster surface composes when the image is asked for.
void Finish(Surface& surface)
{
    if (auto* raster = dynamic_cast<RasterSurface*>(&surface))
        benchmark::DoNotOptimize(raster->Image().Data());
}

// What else runs in the 15 ms between two frames (the X server, the desktop) leaves the caches
// holding its own data, not the frame's; writing this much between frames does the same here.
constexpr std::size_t kOtherWorkBytes = std::size_t { 8 } << 20;

void DrawFrames(benchmark::State& state, Surface& surface, int width, int height, bool coldCaches = false)
{
    std::vector<std::uint8_t> otherWork(coldCaches ? kOtherWorkBytes : 0);
    RandomGenerator random;
    // The cell the window would measure in its font on this surface.
    const RainField field = FullField(width, height, random, static_cast<std::int16_t>(surface.TextWidth("X")), static_cast<std::int16_t>(surface.TextHeight("X")));
    DrawFrame(field, surface, random); // makes the atlases of the sizes in use
    std::int64_t lit = 0;
    for (int column = 0; column <= field.MaxColumn; ++column) {
        for (const std::uint8_t value : field.Brightness.Column(column))
            lit += value >= kLitThreshold;
    }
    for (auto _ : state) {
        if (coldCaches) {
            state.PauseTiming();
            std::fill(otherWork.begin(), otherWork.end(), static_cast<std::uint8_t>(otherWork[0] + 1));
            benchmark::ClobberMemory();
            state.ResumeTiming();
        }
        DrawFrame(field, surface, random);
        Finish(surface);
    }
    state.counters["cells"] = static_cast<double>((field.MaxColumn + 1) * (field.MaxRow + 1));
    state.counters["lit"] = static_cast<double>(lit);
}

void BM_FrameRasterSurface(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    RasterSurface surface(SharedFontEngine().glyphs, width, height, MakeColour(0, 0, 0), kWindowFontSize);
    DrawFrames(state, surface, width, height);
}
BENCHMARK(BM_FrameRasterSurface)->Args({ 545, 336 })->Args({ 1920, 1080 })->Unit(benchmark::kMillisecond);

// The window at a desktop scale: its client area and every glyph size at the given dots per inch.
void DrawFramesAtScale(benchmark::State& state, bool coldCaches)
{
    const int dotsPerInch = static_cast<int>(state.range(0));
    const int width = TwipsToPixels(8175, dotsPerInch);
    const int height = TwipsToPixels(5040, dotsPerInch);
    sdl::TtfGlyphSource glyphs(SharedFontEngine().file, dotsPerInch);
    RasterSurface surface(glyphs, static_cast<float>(width), static_cast<float>(height), MakeColour(0, 0, 0), kWindowFontSize);
    DrawFrames(state, surface, width, height, coldCaches);
}

void BM_FrameAtScale(benchmark::State& state) { DrawFramesAtScale(state, false); }
BENCHMARK(BM_FrameAtScale)->Arg(96)->Arg(144)->Arg(192)->Unit(benchmark::kMillisecond);

// The same with the caches cold at the start of every frame, as they are in the window.
void BM_FrameAtScaleCold(benchmark::State& state) { DrawFramesAtScale(state, true); }
BENCHMARK(BM_FrameAtScaleCold)->Arg(96)->Arg(192)->Unit(benchmark::kMillisecond);

void BM_FramePlainTtfSurface(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    PlainTtfSurface surface(SharedFontEngine().file, width, height);
    DrawFrames(state, surface, width, height);
}
BENCHMARK(BM_FramePlainTtfSurface)->Args({ 545, 336 })->Args({ 1920, 1080 })->Unit(benchmark::kMillisecond);

}
}
