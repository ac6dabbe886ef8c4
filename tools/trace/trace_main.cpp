// tavrel-trace: runs the program's start-up, rain steps and a frame without a window, and prints
// the rain field (and the frame's prints) as one JSON object.
#include "app/window.h"
#include "platform/headless/fixed_metrics_surface.h"
#include "platform/headless/headless_runtime.h"
#include "platform/headless/recording_surface.h"
#include "tools/trace/checked_output.h"
#include "tools/trace/trace_options.h"

#include <cstdio>
#include <memory>

// The window font and PNG files come with the SDL runtime; a build without it (WebAssembly) traces
// with fixed cells only.
#if defined(TAVREL_TRACE_WITH_WINDOW_FONT)
#include "platform/raster/raster_surface.h"
#include "platform/sdl/font_file.h"
#include "platform/sdl/png_file.h"
#include "platform/sdl/ttf_glyph_source.h"
#endif

namespace {

using namespace tavrel;

constexpr int kBadUsageStatus = 2;
constexpr int kFailureStatus = 1;

template<typename Array>
void WriteColumnValues(trace::CheckedOutput& out, const Array& array, std::int16_t lastColumn)
{
    out << '[';
    for (int column = 0; column <= lastColumn; ++column)
        out << (column ? "," : "") << int { array(column) };
    out << ']';
}

void WriteField(trace::CheckedOutput& out, const RainField& field)
{
    out << "{\"cell_width\":" << int { field.CellWidth } << ",\"cell_height\":" << int { field.CellHeight }
        << ",\"max_column\":" << int { field.MaxColumn } << ",\"max_row\":" << int { field.MaxRow } << ",\"drop_row\":";
    WriteColumnValues(out, field.DropRow, field.MaxColumn);
    out << ",\"glyph_size\":";
    WriteColumnValues(out, field.GlyphSize, field.MaxColumn);
    out << ",\"brightness\":[";
    for (int column = 0; column <= field.MaxColumn; ++column) {
        out << (column ? ",[" : "[");
        for (int row = 0; row <= field.MaxRow; ++row)
            out << (row ? "," : "") << int { field.Brightness(column, row) };
        out << ']';
    }
    out << ']';
}

void WritePrints(trace::CheckedOutput& out, const std::vector<PrintRecord>& prints)
{
    out << ",\"frame\":[";
    for (std::size_t index = 0; index < prints.size(); ++index) {
        const PrintRecord& print = prints[index];
        out << (index ? ",[" : "[") << print.X << ',' << print.Y << ',' << int { print.ForeColor.Red } << ','
            << int { print.ForeColor.Green } << ',' << int { print.ForeColor.Blue } << ',' << print.FontSize << ','
            << int { static_cast<unsigned char>(print.Text.at(0)) } << ']';
    }
    out << ']';
}

int RunTrace(const trace::TraceOptions& options)
{
    // With --png the surface draws with the window font at the given scale, which also measures
    // the cell.
    std::unique_ptr<Surface> drawing;
#if defined(TAVREL_TRACE_WITH_WINDOW_FONT)
    std::unique_ptr<sdl::TtfLibrary> ttf;
    std::unique_ptr<sdl::TtfGlyphSource> glyphs;
    if (options.PngFile) {
        ttf = std::make_unique<sdl::TtfLibrary>();
        glyphs = std::make_unique<sdl::TtfGlyphSource>(sdl::FindFontFile(sdl::kWindowFontFamily, sdl::kWindowFontFileName), options.DotsPerInch);
        drawing = std::make_unique<RasterSurface>(*glyphs, options.ClientWidth, options.ClientHeight, Tavrel::kDesign.BackColor, kWindowFontSize);
    }
#else
    if (options.PngFile) {
        std::fprintf(stderr, "tavrel-trace: --png needs the window font, which this build does not have\n");
        return kBadUsageStatus;
    }
#endif
    if (!drawing)
        drawing = std::make_unique<FixedMetricsSurface>(options.ClientWidth, options.ClientHeight, *options.CellWidth, *options.CellHeight);
    RecordingSurface surface(*drawing, kWindowFontSize);
    HeadlessRuntime runtime(surface);
    Tavrel window(runtime);
    try {
        window.Form_Load();
    } catch (const RuntimeFailure& failure) {
        std::fprintf(stderr, "tavrel-trace: %s\n", failure.what());
        return kFailureStatus;
    }
    if (options.State)
        runtime.Random().SetState(*options.State);
    for (long long step = 0; step < options.Steps; ++step)
        window.Timer2_Timer();
    const bool drawFrame = options.Frame || options.PngFile;
    if (drawFrame)
        window.Timer1_Timer();

#if defined(TAVREL_TRACE_WITH_WINDOW_FONT)
    if (options.PngFile)
        sdl::SavePng(static_cast<RasterSurface&>(*drawing).Image(), *options.PngFile);
#endif
    // Written as it is made: the text of a large field is many times the field's own size.
    trace::CheckedOutput json(stdout, "the standard output");
    WriteField(json, window.Field());
    if (options.Frame)
        WritePrints(json, surface.Prints());
    json << "}\n";
    json.Finish();
    return 0;
}

}

int main(int argc, char** argv)
{
    tavrel::trace::TraceOptions options;
    try {
        options = tavrel::trace::ParseTraceOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::invalid_argument& error) {
        std::fprintf(stderr, "tavrel-trace: %s\n%s", error.what(), tavrel::trace::kUsage);
        return kBadUsageStatus;
    }
    try {
        return RunTrace(options);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "tavrel-trace: %s\n", tavrel::FailureMessage(failure).c_str());
        return kFailureStatus;
    }
}
