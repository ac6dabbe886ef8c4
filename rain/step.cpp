// One step of the rain, in the order the rain's rules give.
#include "rain/step.h"

#include "platform/numeric.h"

#include <algorithm>
#include <cassert>

namespace tavrel {

void WriteTrail(std::span<std::uint8_t> rows, std::int16_t head)
{
    // A target row beyond the column is outside the array and a value below 0 does not fit a
    // byte; both stores are skipped, so only k in max(0, head - lastRow)..min(31, head) writes.
    const int lastRow = static_cast<int>(rows.size()) - 1;
    const int firstK = std::max(0, head - lastRow);
    const int lastK = std::min(kTrailLength - 1, static_cast<int>(head));
    for (int k = firstK; k <= lastK; ++k) {
        // The bounds of k keep every store inside the column: the span does not check.
        assert(head - k >= 0 && head - k <= lastRow);
        rows[static_cast<std::size_t>(head - k)] = static_cast<std::uint8_t>(kHeadBrightness - kTrailFalloff * k);
    }
}

void StepRain(RainField& field, RandomGenerator& random)
{
    const std::int16_t restarted = ToInt16(ProductInDouble(random.NextRandom(), field.MaxColumn));
    field.GlyphSize(restarted) = kRestartGlyphSize;
    field.DropRow(restarted) = 0;

    const std::int16_t lastColumn = field.MaxColumn;
    for (int column = 0; column <= lastColumn; ++column) {
        std::int16_t& dropRow = field.DropRow(column);
        std::int16_t& glyphSize = field.GlyphSize(column);
        // Counts that would leave 16 bits are skipped like any failing statement of a tick; only
        // grids taller than 32717 rows get there, and their drops then stop at row 32767.
        if (const auto next = TryAdd16(dropRow, 1))
            dropRow = *next;
        if (const auto next = TrySubtract16(glyphSize, 1))
            glyphSize = *next;
        if (glyphSize < kLowestKeptGlyphSize)
            glyphSize = kRestartGlyphSize;
        if (const auto overrun = TryAdd16(field.MaxRow, kOverrunRows); overrun && dropRow >= *overrun) {
            dropRow = 0;
            glyphSize = kRestartGlyphSize;
        }
        WriteTrail(field.Brightness.Column(column), dropRow);
    }
}

}
