// A surface without a window: it reports a given client size, measures every character as one
// given cell, and draws nothing. For tools and tests that need the program's logic alone.
#pragma once

#include "platform/surface.h"

namespace tavrel {

class FixedMetricsSurface final : public Surface {
public:
    FixedMetricsSurface(float clientWidth, float clientHeight, float cellWidth, float cellHeight)
        : m_clientWidth(clientWidth)
        , m_clientHeight(clientHeight)
        , m_cellWidth(cellWidth)
        , m_cellHeight(cellHeight)
    {
    }

    bool IsShown() const { return m_shown; }
    void SetSeen(bool seen) { m_seen = seen; }
    Colour ForeColor() const { return m_foreColor; }
    float FontSize() const { return m_fontSize; }

    void Show() override { m_shown = true; }
    float ScaleWidth() const override { return m_clientWidth; }
    float ScaleHeight() const override { return m_clientHeight; }
    float TextWidth(std::string_view text) override { return m_cellWidth * static_cast<float>(text.size()); }
    float TextHeight(std::string_view) override { return m_cellHeight; }
    void Cls() override { }
    float CurrentX() const override { return m_x; }
    float CurrentY() const override { return m_y; }
    void SetCurrentX(float x) override { m_x = x; }
    void SetCurrentY(float y) override { m_y = y; }
    void SetForeColor(Colour colour) override { m_foreColor = colour; }
    void SetFontSize(float points) override
    {
        if (IsAcceptedFontSize(points))
            m_fontSize = points;
    }
    void Print(std::string_view) override { }
    bool Seen() const override { return m_seen; }

private:
    float m_clientWidth;
    float m_clientHeight;
    float m_cellWidth;
    float m_cellHeight;
    float m_x = 0;
    float m_y = 0;
    Colour m_foreColor;
    float m_fontSize = 0;
    bool m_shown = false;
    bool m_seen = true;
};

}
