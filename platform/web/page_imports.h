// What the module asks of the page (platform/web/page/tavrel.js): the browser's font engine, the
// canvas and the place where a failure is shown. Each is a JavaScript function the page hands the
// module when it starts it; those that can fail return false then, having told the console why.
#pragma once

#include <cstdint>

#define TAVREL_PAGE_IMPORT(name) __attribute__((import_module("tavrel"), import_name(#name)))

extern "C" {

// Lays out the 256 code points (0: no glyph) at each of sizeCount sizes (pixels per em) in the
// window font on one sheet, each glyph in a box around its ink. Writes the sheet's width and
// height, then for each size its line height and for each code point its advance, its box's
// corner relative to the text box's (left, top), its box's width and height, and where the box
// lies on the sheet (x, y): 2 + sizeCount x (1 + 7 x 256) numbers.
TAVREL_PAGE_IMPORT(measure_glyphs)
bool tavrel_page_measure_glyphs(const float* pixelsPerEm, int sizeCount, const std::uint32_t* codePoints, std::int32_t* facts);

// Draws the sheet measured, white on nothing, and writes its pixels as the canvas holds them
// (RGBA, row by row): the alpha is the coverage. The module takes the alpha it needs, so that the
// page copies the pixels in one piece.
TAVREL_PAGE_IMPORT(draw_glyphs)
bool tavrel_page_draw_glyphs(const float* pixelsPerEm, int sizeCount, const std::uint32_t* codePoints, std::uint8_t* rgba);

// Puts the window on the page: the caption as the title, the canvas (laid out at the window's CSS
// size before the program started) given the pixels of the client area.
TAVREL_PAGE_IMPORT(open_window)
bool tavrel_page_open_window(const char* caption, int captionLength, int width, int height);

// Shows an image of RGBA bytes on the canvas.
TAVREL_PAGE_IMPORT(show_image)
bool tavrel_page_show_image(const std::uint8_t* rgba, int width, int height);

// The error report: the message shown where the canvas was, and on the console.
TAVREL_PAGE_IMPORT(report_failure)
void tavrel_page_report_failure(const char* message, int length);

}
