// Checked arrays indexed from 0, as the rain field's state is held. Indexes are taken as int so
// that loops over a full 16-bit range need no wrapping counter; any index outside the array fails.
#pragma once

#include "platform/failure.h"

#include <cstdint>
#include <new>
#include <span>
#include <vector>

namespace tavrel {

namespace detail {

// Making an array whose highest index is below its lowest fails; so does running out of memory.
template<typename Element>
std::vector<Element> MakeElements(std::int16_t highestIndex, std::size_t perIndex = 1)
{
    if (highestIndex < 0)
        throw RuntimeFailure(FailureKind::SubscriptOutOfRange);
    try {
        return std::vector<Element>((static_cast<std::size_t>(highestIndex) + 1) * perIndex, Element {});
    } catch (const std::bad_alloc&) {
        throw RuntimeFailure(FailureKind::OutOfMemory);
    }
}

inline void CheckIndex(int index, std::int16_t highestIndex)
{
    if (index < 0 || index > highestIndex)
        throw RuntimeFailure(FailureKind::SubscriptOutOfRange);
}

}

// Indexes 0..HighestIndex(), every element zero when made.
template<typename Element>
class Array1D {
public:
    Array1D() = default;
    explicit Array1D(std::int16_t highestIndex)
        : m_elements(detail::MakeElements<Element>(highestIndex))
        , m_highestIndex(highestIndex)
    {
    }

    std::int16_t HighestIndex() const { return m_highestIndex; }

    Element& operator()(int index)
    {
        detail::CheckIndex(index, m_highestIndex);
        return m_elements[static_cast<std::size_t>(index)];
    }
    const Element& operator()(int index) const
    {
        detail::CheckIndex(index, m_highestIndex);
        return m_elements[static_cast<std::size_t>(index)];
    }

private:
    std::vector<Element> m_elements;
    std::int16_t m_highestIndex = -1;
};

// Indexed (column, row); a column's rows are contiguous, the order in which the rain is written
// and drawn.
template<typename Element>
class Array2D {
public:
    Array2D() = default;
    Array2D(std::int16_t highestColumn, std::int16_t highestRow)
        : m_highestColumn(highestColumn)
        , m_highestRow(highestRow)
    {
        detail::CheckIndex(0, highestRow);
        m_elements = detail::MakeElements<Element>(highestColumn, static_cast<std::size_t>(highestRow) + 1);
    }

    std::int16_t HighestColumn() const { return m_highestColumn; }
    std::int16_t HighestRow() const { return m_highestRow; }

    Element& operator()(int column, int row) { return Column(column)[Row(row)]; }
    const Element& operator()(int column, int row) const { return Column(column)[Row(row)]; }

    // Rows 0..HighestRow() of one column.
    std::span<Element> Column(int column)
    {
        detail::CheckIndex(column, m_highestColumn);
        return std::span<Element>(m_elements).subspan(ColumnStart(column), RowCount());
    }
    std::span<const Element> Column(int column) const
    {
        detail::CheckIndex(column, m_highestColumn);
        return std::span<const Element>(m_elements).subspan(ColumnStart(column), RowCount());
    }

private:
    std::size_t RowCount() const { return static_cast<std::size_t>(m_highestRow) + 1; }
    std::size_t ColumnStart(int column) const { return static_cast<std::size_t>(column) * RowCount(); }
    std::size_t Row(int row) const
    {
        detail::CheckIndex(row, m_highestRow);
        return static_cast<std::size_t>(row);
    }

    std::vector<Element> m_elements;
    std::int16_t m_highestColumn = -1;
    std::int16_t m_highestRow = -1;
};

}
