// The display's scale: lengths in twips (1/1440 inch) and font sizes in points (1/72 inch) become
// pixels at the dots per inch the desktop is set to.
#pragma once

namespace tavrel {

// 100%: the scale at which a twip is 1/15 of a pixel and a point 4/3 of one.
inline constexpr int kStandardDotsPerInch = 96;
// The scales a desktop may set, 50% to 500%: beyond them a value is more likely a typing slip.
inline constexpr int kLowestDotsPerInch = 48;
inline constexpr int kHighestDotsPerInch = 480;
inline constexpr int kTwipsPerInch = 1440;

// Whole pixels, halves rounded up: 8175 twips are 817.5 pixels at 144 dots per inch, so 818.
constexpr int TwipsToPixels(int twips, int dotsPerInch)
{
    return (twips * dotsPerInch + kTwipsPerInch / 2) / kTwipsPerInch;
}

}
