// Glyphs from the browser's own font engine: the page draws a size's 256 glyphs once on an
// off-screen canvas and hands their coverage over.
#pragma once

#include "platform/raster/glyph_atlas.h"

#include <map>
#include <vector>

namespace tavrel::web {

class CanvasGlyphSource final : public GlyphSource {
public:
    explicit CanvasGlyphSource(int dotsPerInch);

    const GlyphAtlas& AtlasAt(int points) override;
    // All on one sheet: the page reads a canvas once for them all.
    void MakeAtlases(int smallest, int largest) override;

private:
    void MakeOnOneSheet(const std::vector<int>& sizes);

    int m_dotsPerInch;
    std::map<int, GlyphAtlas> m_atlases;
};

}
