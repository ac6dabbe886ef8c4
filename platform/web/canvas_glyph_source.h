// Glyphs from the browser's own font engine: the page draws a size's 256 glyphs once on an
// off-screen canvas and hands their coverage over.
#pragma once

#include "platform/raster/glyph_atlas.h"

#include <map>

namespace tavrel::web {

class CanvasGlyphSource final : public GlyphSource {
public:
    explicit CanvasGlyphSource(int dotsPerInch);

    const GlyphAtlas& AtlasAt(int points) override;

private:
    int m_dotsPerInch;
    std::map<int, GlyphAtlas> m_atlases;
};

}
