// Recording of the prints of a frame.
#include "platform/headless/recording_surface.h"

namespace tavrel {

void RecordingSurface::Cls()
{
    m_prints.clear();
    ++m_clsCount;
    m_inner.Cls();
}

void RecordingSurface::SetForeColor(Colour colour)
{
    m_foreColor = colour;
    m_inner.SetForeColor(colour);
}

void RecordingSurface::SetFontSize(float points)
{
    if (IsAcceptedFontSize(points))
        m_fontSize = points;
    m_inner.SetFontSize(points);
}

void RecordingSurface::Print(std::string_view text)
{
    m_prints.push_back({ m_inner.CurrentX(), m_inner.CurrentY(), m_foreColor, m_fontSize, std::string(text) });
    m_inner.Print(text);
}

}
