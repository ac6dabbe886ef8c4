// The window's drawing surface, as the program's logic sees it.
//
// One unit, the pixel, serves for the client size, for measuring text and for placing it. Drawing
// operations may be batched: what a handler drew is shown when the handler has returned.
#pragma once

#include "platform/colour.h"

#include <string_view>

namespace tavrel {

// Font sizes the surfaces accept; a size outside this range leaves the previous size in force.
inline constexpr float kSmallestFontSize = 1.0f;
// A size's glyphs are kept for the whole run and grow with the square of the size; four inches
// is far beyond any use in a character rain.
inline constexpr float kLargestFontSize = 288.0f;

constexpr bool IsAcceptedFontSize(float points)
{
    return points >= kSmallestFontSize && points <= kLargestFontSize;
}

class Surface {
public:
    virtual ~Surface() = default;

    // Makes the window visible; afterwards the client size is that of the shown window.
    virtual void Show() = 0;

    virtual float ScaleWidth() const = 0;
    virtual float ScaleHeight() const = 0;

    // Size of a code-page string in the current font: its advance and the font's line height.
    virtual float TextWidth(std::string_view text) = 0;
    virtual float TextHeight(std::string_view text) = 0;

    // Fills the client area with the background colour.
    virtual void Cls() = 0;

    virtual float CurrentX() const = 0;
    virtual float CurrentY() const = 0;
    virtual void SetCurrentX(float x) = 0;
    virtual void SetCurrentY(float y) = 0;

    virtual void SetForeColor(Colour colour) = 0;

    // Points, at 96 dots per inch. A size that IsAcceptedFontSize refuses is ignored.
    virtual void SetFontSize(float points) = 0;

    // Draws code-page text in the fore colour and current font, its top-left corner at the
    // drawing position, over a transparent background. The drawing position does not move.
    virtual void Print(std::string_view text) = 0;

    // Whether what is drawn can be seen now: a minimised or unmapped window's cannot.
    virtual bool Seen() const { return true; }
};

}
