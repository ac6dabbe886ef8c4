// A surface that passes every operation on to another one and records what a frame printed,
// with the drawing position, colour and font size in force at each Print.
#pragma once

#include "platform/surface.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tavrel {

struct PrintRecord {
    float X = 0;
    float Y = 0;
    Colour ForeColor;
    float FontSize = 0;
    std::string Text;

    friend bool operator==(const PrintRecord&, const PrintRecord&) = default;
};

class RecordingSurface final : public Surface {
public:
    explicit RecordingSurface(Surface& inner, float initialFontSize)
        : m_inner(inner)
        , m_fontSize(initialFontSize)
    {
    }

    const std::vector<PrintRecord>& Prints() const { return m_prints; }
    // Cls starts a new frame, so the record holds the prints of the latest frame only.
    int ClsCount() const { return m_clsCount; }

    void Show() override { m_inner.Show(); }
    float ScaleWidth() const override { return m_inner.ScaleWidth(); }
    float ScaleHeight() const override { return m_inner.ScaleHeight(); }
    float TextWidth(std::string_view text) override { return m_inner.TextWidth(text); }
    float TextHeight(std::string_view text) override { return m_inner.TextHeight(text); }
    void Cls() override;
    float CurrentX() const override { return m_inner.CurrentX(); }
    float CurrentY() const override { return m_inner.CurrentY(); }
    void SetCurrentX(float x) override { m_inner.SetCurrentX(x); }
    void SetCurrentY(float y) override { m_inner.SetCurrentY(y); }
    void SetForeColor(Colour colour) override;
    void SetFontSize(float points) override;
    void Print(std::string_view text) override;
    bool Seen() const override { return m_inner.Seen(); }

private:
    Surface& m_inner;
    Colour m_foreColor;
    float m_fontSize;
    int m_clsCount = 0;
    std::vector<PrintRecord> m_prints;
};

}
