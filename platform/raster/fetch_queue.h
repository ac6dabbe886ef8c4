// A few items kept in order while what they point to is fetched into the cache: work that would
// stall on memory one item after another waits a few items instead, and the fetches overlap.
#pragma once

#include <array>
#include <cstddef>

namespace tavrel {

template <typename Item, std::size_t Length>
class FetchQueue {
public:
    bool Empty() const { return m_count == 0; }
    bool Full() const { return m_count == Length; }
    void Clear() { m_count = 0; }

    void Push(const Item& item) { m_items[(m_first + m_count++) % Length] = item; }

    Item Pop()
    {
        const Item item = m_items[m_first];
        m_first = (m_first + 1) % Length;
        --m_count;
        return item;
    }

private:
    std::array<Item, Length> m_items {};
    std::size_t m_first = 0;
    std::size_t m_count = 0;
};

}
