// Composing a frame into the image. An image that fits in the cache is drawn on directly: a Cls
// fills it and each glyph is blended where it lies. A larger one, a 4K window's, would go through
// memory twice that way, once for the fill and again for every glyph's rows, so its glyphs are
// kept in order until the image is needed; then each band of rows is cleared and blended while
// it sits in the cache, and written to the image only in the tiles that hold ink now or held it
// in the frame before.
#pragma once

#include "platform/colour.h"
#include "platform/raster/fetch_queue.h"
#include "platform/raster/glyph_atlas.h"
#include "platform/raster/pixel_buffer.h"

#include <array>
#include <cstdint>
#include <vector>

namespace tavrel {

class FrameComposer {
public:
    // For an image that holds the background everywhere; the image must outlive the composer,
    // and nothing else draws on it. inBands chooses the way of composing; BandsPayFor tells which
    // way is the faster for the image.
    FrameComposer(PixelBuffer& image, Colour background, bool inBands);
    static bool BandsPayFor(const PixelBuffer& image);

    FrameComposer(const FrameComposer&) = delete;
    FrameComposer& operator=(const FrameComposer&) = delete;

    // The whole image is to be the colour given; what was drawn before is dropped.
    void Clear(Colour colour);

    // Lays a glyph's coverage over the image with its box's top-left at (x, y) and the glyph's
    // own offset added: full coverage gives the colour exactly, partial coverage mixes it with
    // what lies below. The parts outside the image are cut off.
    void AddGlyph(const GlyphAtlas& atlas, const GlyphBitmap& glyph, int x, int y, Colour colour);

    // Brings the image up to date with everything cleared and drawn so far. It allocates nothing,
    // so that it may run where nothing may be thrown (a window procedure painting).
    void Compose();

    // While the image cannot be seen, drawing directly is put off too: the frames are only
    // kept, and Compose draws the latest; it is drawn at once when the image is seen again.
    void SetDeferred(bool deferred);

private:
    struct PendingGlyph {
        const std::uint8_t* Coverage; // the glyph's first coverage byte
        int Left;                      // the ink's top-left in the image
        int Top;
        int FirstColumn;               // the part within the image, in the glyph's own pixels
        int LastColumn;
        int FirstRow;
        int LastRow;
        int Stride;
        std::uint32_t Ink;
    };

    // A glyph as printed: its metrics are read only when it is placed.
    struct GlyphRequest {
        const GlyphAtlas* Atlas;
        const GlyphBitmap* Glyph;
        int X;
        int Y;
        std::uint32_t Ink;
    };

    // The part of a glyph within the image; false when none is.
    bool Place(const GlyphRequest& request, PendingGlyph& placed) const;
    void Keep(const PendingGlyph& glyph);
    void PlaceAndFetch(const GlyphRequest& request);
    void BlendInPlace(const PendingGlyph& glyph);
    void Prefetch(const PendingGlyph& glyph) const;
    void BlendQueued();
    void ComposeBands();
    void SortIntoBands();
    void BlendIntoBand(const PendingGlyph& glyph, int bandTop);
    void MarkTiles(const PendingGlyph& glyph);
    std::uint8_t& Tile(int band, int tile) { return m_tiles[static_cast<std::size_t>(band) * static_cast<std::size_t>(m_tilesPerBand) + static_cast<std::size_t>(tile)]; }

    bool Direct() const { return !m_inBands && !m_deferred; }

    PixelBuffer& m_image;
    int m_width;
    int m_height;
    bool m_inBands;
    bool m_deferred = false;
    int m_tilesPerBand;
    int m_bands;
    // Per tile: whether the image may hold something other than the plain colour there, and
    // whether a glyph waiting to be composed touches it.
    std::vector<std::uint8_t> m_tiles;
    std::uint32_t m_plain;
    bool m_clearPending = false;
    std::uint32_t m_clearColour = 0;
    std::vector<PendingGlyph> m_glyphs;
    // Drawing directly, a glyph's metrics are fetched first, then, a few glyphs later, its
    // coverage and pixels, and a few glyphs later still it is blended: the frame's cache misses,
    // which would stall one glyph after another, overlap.
    static constexpr std::size_t kFetchAhead = 8;
    FetchQueue<GlyphRequest, kFetchAhead> m_requests;
    FetchQueue<PendingGlyph, kFetchAhead> m_placed;
    // Where each band's glyphs start in m_bandGlyphs, and the glyphs band by band; room for them
    // is made as glyphs are added.
    std::vector<std::uint32_t> m_bandStarts;
    std::vector<std::uint32_t> m_bandNext;
    std::vector<std::uint32_t> m_bandGlyphs;
    std::size_t m_bandEntries = 0;
    std::vector<std::uint32_t> m_band;
};

}
