#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace quorvel {

// The outcome of moving the selected rows one place, as one permutation. To apply it: new row
// i is old row order[i] with its state; then, when focusRow is not -1, the focus mark leaves
// every row and goes to row focusRow (a moved row, already selected).
struct MovePlan {
    std::vector<std::uint32_t> order; // new row i holds old row order[i]; empty when !moved
    std::int64_t focusRow = -1;       // new index of the row that gets the focus mark
    bool moved = false;
};

// states[i] is row i's state: LVIS_SELECTED and LVIS_FOCUSED (platform/WindowTypes.h).

// Each run of selected rows rises one place and the unselected row above it drops below the
// run; the selected rows at the very top stay. The focus mark goes to the moved row nearest
// the bottom.
MovePlan PlanMoveUp(std::span<const std::uint8_t> states);

// Each run of selected rows sinks one place and the unselected row below it rises above the
// run; the selected rows at the very bottom stay. The focus mark goes to the moved row nearest
// the top.
MovePlan PlanMoveDown(std::span<const std::uint8_t> states);

} // namespace quorvel
