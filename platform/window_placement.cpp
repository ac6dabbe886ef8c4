// The client area of a window's normal placement.
#include "platform/window_placement.h"

#include <algorithm>

namespace tavrel {

PixelSize ShownClientSize(bool minimised, const PixelRect& shownClient, const PixelRect& normalWindow, const PixelRect& frameAroundClient)
{
    if (!minimised)
        return PixelSize { shownClient.Width(), shownClient.Height() };
    return PixelSize { std::max(0, normalWindow.Width() - frameAroundClient.Width()), std::max(0, normalWindow.Height() - frameAroundClient.Height()) };
}

}
