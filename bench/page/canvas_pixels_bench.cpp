// The cost of turning the image into the canvas' pixels, once per frame shown, at the page's two
// sizes: median of 15 runs of 200 frames.
// Run under node: node build-web/bench/page/tavrel_canvas_pixels_bench.js
#include "platform/web/canvas_pixels.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

double MedianMicroseconds(void (*convert)(const std::uint32_t*, std::size_t, std::uint32_t*), const std::vector<std::uint32_t>& image, std::vector<std::uint32_t>& canvas)
{
    constexpr int kFrames = 200;
    std::vector<double> runs;
    for (int run = 0; run < 15; ++run) {
        const auto began = std::chrono::steady_clock::now();
        for (int frame = 0; frame < kFrames; ++frame)
            convert(image.data(), image.size(), canvas.data());
        runs.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - began).count() / kFrames);
    }
    std::nth_element(runs.begin(), runs.begin() + 7, runs.end());
    return runs[7];
}

}

int main()
{
    for (const auto& [width, height] : { std::pair { 545, 336 }, std::pair { 1090, 672 } }) {
        std::vector<std::uint32_t> image(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0x0064FF64);
        std::vector<std::uint32_t> canvas(image.size());
        std::printf("%d x %d: %.1f us a frame\n", width, height, MedianMicroseconds(tavrel::web::ToCanvasPixels, image, canvas));
    }
}
