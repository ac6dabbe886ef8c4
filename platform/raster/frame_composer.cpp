// Composing a frame directly, or band by band with the tiles that stay plain left untouched.
#include "platform/raster/frame_composer.h"

#include "platform/raster/blend.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tavrel {

namespace {

// A band of 16 rows of a 4K image is 240 KB: it stays in the cache while its glyphs are blended.
constexpr int kBandRows = 16;
// Tiles of 16 pixels: a cache line of each row.
constexpr int kTileWidth = 16;
// Beyond each band row, room for a blend's last whole group.
constexpr int kBandPadding = kCoverageGroup;

constexpr std::uint8_t kInked = 1;
constexpr std::uint8_t kTouched = 2;

// Images up to this many pixels (16 MB) fit in the cache of the processors that show them.
constexpr std::size_t kMostPixelsDrawnDirectly = std::size_t { 4 } << 20;

// More waiting glyphs than this are composed at once rather than kept.
constexpr std::size_t kMostPendingGlyphs = std::size_t { 1 } << 20;

// Copies a row of a composed band to the image. The image is written and not read again in this
// frame, so where the processor can, it goes straight to memory, neither read first nor left to
// crowd the cache.
void WriteOut(std::uint32_t* to, const std::uint32_t* from, int count, bool stream)
{
#if defined(__SSE2__)
    if (!stream) {
        std::memcpy(to, from, static_cast<std::size_t>(count) * sizeof(std::uint32_t));
        return;
    }
    int index = 0;
    for (; index < count && (reinterpret_cast<std::uintptr_t>(to + index) & 15) != 0; ++index)
        to[index] = from[index];
    for (; index + 4 <= count; index += 4)
        _mm_stream_si128(reinterpret_cast<__m128i*>(to + index), _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + index)));
    for (; index < count; ++index)
        to[index] = from[index];
#else
    (void)stream;
    std::memcpy(to, from, static_cast<std::size_t>(count) * sizeof(std::uint32_t));
#endif
}

}

bool FrameComposer::BandsPayFor(const PixelBuffer& image)
{
    return static_cast<std::size_t>(image.Width()) * static_cast<std::size_t>(image.Height()) > kMostPixelsDrawnDirectly;
}

FrameComposer::FrameComposer(PixelBuffer& image, Colour background, bool inBands)
    : m_image(image)
    , m_width(image.Width())
    , m_height(image.Height())
    , m_inBands(inBands)
    , m_tilesPerBand((m_width + kTileWidth - 1) / kTileWidth)
    , m_bands((m_height + kBandRows - 1) / kBandRows)
    , m_tiles(m_inBands ? static_cast<std::size_t>(m_tilesPerBand) * static_cast<std::size_t>(m_bands) : 0, 0)
    , m_plain(PackPixel(background))
{
    if (m_inBands) {
        m_bandStarts.resize(static_cast<std::size_t>(m_bands) + 1);
        m_bandNext.resize(static_cast<std::size_t>(m_bands));
        m_band.resize(static_cast<std::size_t>(m_width + kBandPadding) * kBandRows);
    }
}

void FrameComposer::SetDeferred(bool deferred)
{
    // What waits is composed first, so that drawing directly never goes under a kept frame.
    if (deferred)
        BlendQueued();
    else if (m_deferred)
        Compose();
    m_deferred = deferred;
}

void FrameComposer::Clear(Colour colour)
{
    m_requests.Clear();
    m_placed.Clear();
    if (Direct()) {
        m_image.Fill(colour);
        return;
    }
    m_glyphs.clear();
    m_bandEntries = 0;
    for (std::uint8_t& tile : m_tiles)
        tile &= kInked;
    m_clearPending = true;
    m_clearColour = PackPixel(colour);
}

void FrameComposer::AddGlyph(const GlyphAtlas& atlas, const GlyphBitmap& glyph, int x, int y, Colour colour)
{
    const GlyphRequest request { .Atlas = &atlas, .Glyph = &glyph, .X = x, .Y = y, .Ink = PackPixel(colour) };
    if (!Direct()) {
        PendingGlyph placed;
        if (Place(request, placed))
            Keep(placed);
        return;
    }
    __builtin_prefetch(&glyph);
    if (m_requests.Full())
        PlaceAndFetch(m_requests.Pop());
    m_requests.Push(request);
}

bool FrameComposer::Place(const GlyphRequest& request, PendingGlyph& placed) const
{
    const GlyphBitmap& glyph = *request.Glyph;
    placed = PendingGlyph {
        .Coverage = request.Atlas->Coverage.data() + glyph.Offset,
        .Left = request.X + glyph.Left,
        .Top = request.Y + glyph.Top,
        .FirstColumn = 0,
        .LastColumn = 0,
        .FirstRow = 0,
        .LastRow = 0,
        .Stride = glyph.Stride,
        .Ink = request.Ink,
    };
    placed.FirstColumn = std::max(0, -placed.Left);
    placed.LastColumn = std::min(glyph.Width, m_width - placed.Left);
    placed.FirstRow = std::max(0, -placed.Top);
    placed.LastRow = std::min(glyph.Height, m_height - placed.Top);
    return placed.FirstColumn < placed.LastColumn && placed.FirstRow < placed.LastRow;
}

void FrameComposer::PlaceAndFetch(const GlyphRequest& request)
{
    PendingGlyph placed;
    if (!Place(request, placed))
        return;
    Prefetch(placed);
    if (m_placed.Full())
        BlendInPlace(m_placed.Pop());
    m_placed.Push(placed);
}

void FrameComposer::Keep(const PendingGlyph& glyph)
{
    if (m_inBands) {
        MarkTiles(glyph);
        m_bandEntries += static_cast<std::size_t>((glyph.Top + glyph.LastRow - 1) / kBandRows - (glyph.Top + glyph.FirstRow) / kBandRows + 1);
        if (m_bandGlyphs.capacity() < m_bandEntries)
            m_bandGlyphs.reserve(2 * m_bandEntries);
    }
    m_glyphs.push_back(glyph);
    if (m_glyphs.size() >= kMostPendingGlyphs)
        Compose();
}

void FrameComposer::MarkTiles(const PendingGlyph& glyph)
{
    const int firstBand = (glyph.Top + glyph.FirstRow) / kBandRows;
    const int lastBand = (glyph.Top + glyph.LastRow - 1) / kBandRows;
    const int firstTile = (glyph.Left + glyph.FirstColumn) / kTileWidth;
    const int lastTile = (glyph.Left + glyph.LastColumn - 1) / kTileWidth;
    for (int band = firstBand; band <= lastBand; ++band) {
        for (int tile = firstTile; tile <= lastTile; ++tile)
            Tile(band, tile) |= kTouched;
    }
}

void FrameComposer::Prefetch(const PendingGlyph& glyph) const
{
    // Every cache line the blend reads, the last group read past the last row's end included.
    constexpr std::uintptr_t kLine = 64;
    const auto firstByte = reinterpret_cast<std::uintptr_t>(glyph.Coverage + static_cast<std::size_t>(glyph.FirstRow) * static_cast<std::size_t>(glyph.Stride));
    const auto lastByte = reinterpret_cast<std::uintptr_t>(glyph.Coverage + static_cast<std::size_t>(glyph.LastRow) * static_cast<std::size_t>(glyph.Stride)) + kCoverageGroup - 1;
    for (std::uintptr_t line = firstByte & ~(kLine - 1); line <= lastByte; line += kLine)
        __builtin_prefetch(reinterpret_cast<const void*>(line), 0);
    const std::uint32_t* pixels = m_image.Data() + static_cast<std::size_t>(glyph.Top + glyph.FirstRow) * static_cast<std::size_t>(m_width) + (glyph.Left + glyph.FirstColumn);
    const int last = glyph.LastColumn - glyph.FirstColumn - 1;
    for (int row = glyph.FirstRow; row < glyph.LastRow; ++row, pixels += m_width) {
        __builtin_prefetch(pixels, 1);
        __builtin_prefetch(pixels + last, 1);
    }
}

void FrameComposer::BlendQueued()
{
    // The placed glyphs were printed before those still waiting to be placed.
    while (!m_placed.Empty())
        BlendInPlace(m_placed.Pop());
    PendingGlyph placed;
    while (!m_requests.Empty()) {
        if (Place(m_requests.Pop(), placed))
            BlendInPlace(placed);
    }
}

void FrameComposer::Compose()
{
    BlendQueued();
    if (m_clearPending && m_inBands) {
        ComposeBands();
    } else {
        // Kept while unseen, or drawn with no Cls since the last composition: the glyphs go over
        // the image where it lies.
        if (m_clearPending)
            m_image.Fill(UnpackPixel(m_clearColour));
        for (const PendingGlyph& glyph : m_glyphs)
            BlendInPlace(glyph);
        for (std::uint8_t& tile : m_tiles) {
            if (tile & kTouched)
                tile = kInked;
        }
    }
    m_glyphs.clear();
    m_bandEntries = 0;
    m_clearPending = false;
}

void FrameComposer::BlendInPlace(const PendingGlyph& glyph)
{
    BlendRows(GlyphRows {
        .Pixels = m_image.Data() + static_cast<std::size_t>(glyph.Top + glyph.FirstRow) * static_cast<std::size_t>(m_width) + (glyph.Left + glyph.FirstColumn),
        .Pitch = m_width,
        .Coverage = glyph.Coverage + static_cast<std::size_t>(glyph.FirstRow) * static_cast<std::size_t>(glyph.Stride) + glyph.FirstColumn,
        .Stride = glyph.Stride,
        .Rows = glyph.LastRow - glyph.FirstRow,
        .Count = glyph.LastColumn - glyph.FirstColumn,
        // Whole groups may run past the glyph's right edge only where the image has room.
        .GroupSpan = m_width - glyph.Left - glyph.FirstColumn,
        .Ink = glyph.Ink,
    });
}

void FrameComposer::ComposeBands()
{
    // A new plain colour: every tile is to be written.
    if (m_clearColour != m_plain) {
        std::fill(m_tiles.begin(), m_tiles.end(), static_cast<std::uint8_t>(kInked));
        for (const PendingGlyph& glyph : m_glyphs)
            MarkTiles(glyph);
        m_plain = m_clearColour;
    }
    SortIntoBands();
    // Streaming pays only in whole cache lines: tiles must start on them.
    const bool stream = (reinterpret_cast<std::uintptr_t>(m_image.Data()) % 64) == 0 && (m_width * sizeof(std::uint32_t)) % 64 == 0;
    const int bandStride = m_width + kBandPadding;
    for (int band = 0; band < m_bands; ++band) {
        const int bandTop = band * kBandRows;
        const int rows = std::min(kBandRows, m_height - bandTop);
        const auto rowOf = [&](std::uint32_t* origin, int stride, int row) { return origin + static_cast<std::size_t>(row) * static_cast<std::size_t>(stride); };
        // Runs of tiles alike: composed ones are cleared in the band, blended and copied out;
        // plain ones that held ink are cleared in the image; the rest are left alone.
        for (int tile = 0; tile < m_tilesPerBand;) {
            const std::uint8_t state = Tile(band, tile);
            int end = tile + 1;
            while (end < m_tilesPerBand && Tile(band, end) == state)
                ++end;
            const int left = tile * kTileWidth;
            const int width = std::min(end * kTileWidth, m_width) - left;
            if (state & kTouched) {
                for (int row = 0; row < rows; ++row)
                    std::fill_n(rowOf(m_band.data(), bandStride, row) + left, width, m_clearColour);
            } else if (state & kInked) {
                for (int row = 0; row < rows; ++row)
                    std::fill_n(rowOf(m_image.Data(), m_width, bandTop + row) + left, width, m_clearColour);
            }
            tile = end;
        }
        for (std::uint32_t at = m_bandStarts[static_cast<std::size_t>(band)]; at < m_bandStarts[static_cast<std::size_t>(band) + 1]; ++at)
            BlendIntoBand(m_glyphs[m_bandGlyphs[at]], bandTop);
        for (int tile = 0; tile < m_tilesPerBand;) {
            std::uint8_t& state = Tile(band, tile);
            const bool touched = (state & kTouched) != 0;
            int end = tile + 1;
            while (end < m_tilesPerBand && ((Tile(band, end) & kTouched) != 0) == touched)
                ++end;
            if (touched) {
                const int left = tile * kTileWidth;
                const int width = std::min(end * kTileWidth, m_width) - left;
                for (int row = 0; row < rows; ++row)
                    WriteOut(rowOf(m_image.Data(), m_width, bandTop + row) + left, rowOf(m_band.data(), bandStride, row) + left, width, stream);
            }
            for (int each = tile; each < end; ++each)
                Tile(band, each) = touched ? kInked : 0;
            tile = end;
        }
    }
#if defined(__SSE2__)
    _mm_sfence();
#endif
}

void FrameComposer::SortIntoBands()
{
    // The glyphs band by band, each band's in the order they were printed.
    std::fill(m_bandStarts.begin(), m_bandStarts.end(), 0);
    for (const PendingGlyph& glyph : m_glyphs) {
        for (int band = (glyph.Top + glyph.FirstRow) / kBandRows; band <= (glyph.Top + glyph.LastRow - 1) / kBandRows; ++band)
            ++m_bandStarts[static_cast<std::size_t>(band) + 1];
    }
    for (int band = 0; band < m_bands; ++band)
        m_bandStarts[static_cast<std::size_t>(band) + 1] += m_bandStarts[static_cast<std::size_t>(band)];
    m_bandGlyphs.resize(m_bandStarts.back());
    std::copy(m_bandStarts.begin(), m_bandStarts.end() - 1, m_bandNext.begin());
    for (std::uint32_t index = 0; index < m_glyphs.size(); ++index) {
        const PendingGlyph& glyph = m_glyphs[index];
        for (int band = (glyph.Top + glyph.FirstRow) / kBandRows; band <= (glyph.Top + glyph.LastRow - 1) / kBandRows; ++band)
            m_bandGlyphs[m_bandNext[static_cast<std::size_t>(band)]++] = index;
    }
}

void FrameComposer::BlendIntoBand(const PendingGlyph& glyph, int bandTop)
{
    const int bandStride = m_width + kBandPadding;
    const int firstRow = std::max(glyph.FirstRow, bandTop - glyph.Top);
    const int lastRow = std::min(glyph.LastRow, bandTop + kBandRows - glyph.Top);
    const int start = glyph.Left + glyph.FirstColumn;
    // The band's padding takes a last group that runs past the image's right edge.
    if (firstRow >= lastRow)
        return;
    BlendRows(GlyphRows {
        .Pixels = m_band.data() + static_cast<std::size_t>(glyph.Top + firstRow - bandTop) * static_cast<std::size_t>(bandStride) + start,
        .Pitch = bandStride,
        .Coverage = glyph.Coverage + static_cast<std::size_t>(firstRow) * static_cast<std::size_t>(glyph.Stride) + glyph.FirstColumn,
        .Stride = glyph.Stride,
        .Rows = lastRow - firstRow,
        .Count = glyph.LastColumn - glyph.FirstColumn,
        // The band's padding takes a last group that runs past the image's right edge.
        .GroupSpan = bandStride - start,
        .Ink = glyph.Ink,
    });
}

}
