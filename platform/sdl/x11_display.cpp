// The display's text scale through Xlib's resource manager.
#include "platform/sdl/x11_display.h"

#include "platform/display_scale.h"
#include "platform/runtime.h"
#include "platform/sdl/sdl_handles.h"

#include <X11/Xlib.h>
#include <X11/Xresource.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace tavrel::sdl {

namespace {

// Beyond 50%..500% the value is more likely a typing slip than a scale.
constexpr double kLowestDotsPerInch = 48;
constexpr double kHighestDotsPerInch = 480;

struct DisplayCloser {
    void operator()(Display* display) const { XCloseDisplay(display); }
};
struct DatabaseDestroyer {
    void operator()(XrmDatabase database) const { XrmDestroyDatabase(database); }
};

std::string WhyNoDisplay()
{
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name)
        return "DISPLAY is not set";
    return std::string("cannot connect to \"") + name + "\", or it has no such screen";
}

int DotsPerInchOf(Display& display)
{
    const char* resources = XResourceManagerString(&display);
    if (!resources)
        return kStandardDotsPerInch;
    XrmInitialize();
    const std::unique_ptr<std::remove_pointer_t<XrmDatabase>, DatabaseDestroyer> database(XrmGetStringDatabase(resources));
    char* type = nullptr;
    XrmValue value {};
    if (!database || !XrmGetResource(database.get(), "Xft.dpi", "Xft.Dpi", &type, &value) || !value.addr)
        return kStandardDotsPerInch;
    char* end = nullptr;
    const double dotsPerInch = std::strtod(value.addr, &end);
    if (end == value.addr || !(dotsPerInch >= kLowestDotsPerInch && dotsPerInch <= kHighestDotsPerInch))
        return kStandardDotsPerInch;
    return static_cast<int>(std::lround(dotsPerInch));
}

int IgnoreRefusedRequest(Display*, XErrorEvent*) { return 0; }

// Xlib ends the process when this returns, and nothing may unwind through it; with the display
// gone there is no box to show either, so the report is the line on stderr.
int ReportDisplayClosed(Display* display)
{
    const char* name = display ? DisplayString(display) : nullptr;
    std::fprintf(stderr, "tavrel: The display closed: the connection to \"%s\" was lost\n", name ? name : "");
    std::fflush(stderr);
    std::_Exit(kStartupFailureStatus);
}

}

void HandleDisplayErrors()
{
    XSetErrorHandler(IgnoreRefusedRequest);
    XSetIOErrorHandler(ReportDisplayClosed);
}

int ReadDisplayDotsPerInch()
{
    const std::unique_ptr<Display, DisplayCloser> display(XOpenDisplay(nullptr));
    if (!display)
        throw PlatformError("Couldn't open the display: " + WhyNoDisplay());
    return DotsPerInchOf(*display);
}

}
