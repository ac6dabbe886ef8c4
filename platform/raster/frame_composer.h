// Composing a frame into the image: a Cls fills it, and each glyph is blended where it lies, in
// the order printed.
#pragma once

#include "platform/colour.h"
#include "platform/raster/fetch_queue.h"
#include "platform/raster/glyph_atlas.h"
#include "platform/raster/pixel_buffer.h"

#include <cstdint>

namespace tavrel {

class FrameComposer {
public:
    // For an image that must outlive the composer, and that nothing else draws on.
    explicit FrameComposer(PixelBuffer& image);

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

private:
    // The part of a glyph within the image, in the glyph's own pixels.
    struct PlacedGlyph {
        const std::uint8_t* Coverage; // the glyph's first coverage byte
        int Left;                      // the ink's top-left in the image
        int Top;
        int FirstColumn;
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

    // False when no part of the glyph is within the image.
    bool Place(const GlyphRequest& request, PlacedGlyph& placed) const;
    void PlaceAndFetch(const GlyphRequest& request);
    void Prefetch(const PlacedGlyph& glyph) const;
    void Blend(const PlacedGlyph& glyph);

    PixelBuffer& m_image;
    int m_width;
    int m_height;
    // A glyph's metrics are fetched first, then, a few glyphs later, its coverage and pixels, and
    // a few glyphs later still it is blended: the frame's cache misses, which would stall one
    // glyph after another, overlap.
    static constexpr std::size_t kFetchAhead = 8;
    FetchQueue<GlyphRequest, kFetchAhead> m_requests;
    FetchQueue<PlacedGlyph, kFetchAhead> m_placed;
};

}
