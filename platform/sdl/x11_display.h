// What the program reads of the X display before SDL opens its window there.
#pragma once

namespace tavrel::sdl {

// Opens the display that DISPLAY names, as SDL will, and reads the desktop's text scale from its
// resource database (Xft.dpi, which desktops set when the user picks a scale): 96 when it is
// absent or unreadable. Throws PlatformError("Couldn't open the display: <reason>") when there is
// no display to open, so that the program never runs without a window.
int ReadDisplayDotsPerInch();

// Makes the X connections of the process answer the display's errors as the program's own: a
// lost display (the server ended or the connection broke) ends the program through the error
// report, "The display closed: <reason>" on stderr, with status 1; a refused request (a wake-up
// sent to a window the program has just closed, say) is not a reason to end the program and is
// ignored, where Xlib by default would print its own text and exit.
void HandleDisplayErrors();

}
