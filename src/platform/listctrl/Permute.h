#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace quorvel {

// Whether `order` names every position below `size` exactly once.
inline bool IsPermutation(std::span<const std::uint32_t> order, std::size_t size) {
    if (order.size() != size)
        return false;
    std::vector<bool> seen(size);
    for (std::uint32_t from : order) {
        if (from >= size || seen[from])
            return false;
        seen[from] = true;
    }
    return true;
}

// Puts items[order[i]] at position i for every i, moving each item once and using no second
// array of items; `order` must be a permutation of all positions.
template <typename T>
void PermuteInPlace(std::vector<T>& items, std::span<const std::uint32_t> order) {
    std::vector<bool> placed(items.size());
    for (std::size_t start = 0; start < items.size(); ++start) {
        if (placed[start] || order[start] == start)
            continue;
        // Follow the cycle through start: each place takes the item its order names, the last
        // one the item that stood at start.
        T held = std::move(items[start]);
        std::size_t place = start;
        for (std::size_t from = order[place]; from != start; place = from, from = order[place]) {
            items[place] = std::move(items[from]);
            placed[place] = true;
        }
        items[place] = std::move(held);
        placed[place] = true;
    }
}

} // namespace quorvel
