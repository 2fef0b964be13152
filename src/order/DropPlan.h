#pragma once

#include "order/MovePlan.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace quorvel {

// Dropping the selected rows on the line above row `gap` (gap == rows: below the last row). They
// land there as one block in their order; the other rows keep theirs, those above the line
// above the block. Every row takes its state along, the focus mark included, so focusRow stays
// -1. states[i] is row i's state (platform/WindowTypes.h).
MovePlan PlanDrop(std::span<const std::uint8_t> states, std::size_t gap);

} // namespace quorvel
