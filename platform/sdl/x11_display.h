// What the program reads of the X display before SDL opens its window there.
#pragma once

namespace tavrel::sdl {

// Opens the display that DISPLAY names, as SDL will, and reads the desktop's text scale from its
// resource database (Xft.dpi, which desktops set when the user picks a scale): 96 when it is
// absent or unreadable. Throws PlatformError("Couldn't open the display: <reason>") when there is
// no display to open, so that the program never runs without a window.
int ReadDisplayDotsPerInch();

}
