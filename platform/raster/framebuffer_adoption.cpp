// Adopting a framebuffer only while it holds the image's rows exactly.
#include "platform/raster/framebuffer_adoption.h"

namespace tavrel {

namespace {

bool HoldsImageExactly(const FramebufferShape& framebuffer, int imageWidth, int imageHeight)
{
    return framebuffer.Pixels && framebuffer.ImagePixelFormat && framebuffer.Width == imageWidth && framebuffer.Height == imageHeight
        && framebuffer.Pitch == imageWidth * 4;
}

}

FramebufferUse FramebufferAdoption::Adopt(const FramebufferShape& framebuffer, int imageWidth, int imageHeight)
{
    if (m_drawingInto && framebuffer == m_adopted)
        return FramebufferUse::KeepDrawingInto;
    if (HoldsImageExactly(framebuffer, imageWidth, imageHeight)) {
        m_drawingInto = true;
        m_adopted = framebuffer;
        return FramebufferUse::StartDrawingInto;
    }
    if (m_drawingInto) {
        m_drawingInto = false;
        return FramebufferUse::StopDrawingInto;
    }
    return FramebufferUse::CopyInto;
}

bool ImageLeavesFramebufferUncovered(const FramebufferShape& framebuffer, int imageWidth, int imageHeight)
{
    return framebuffer.Width > imageWidth || framebuffer.Height > imageHeight;
}

}
