#include "order/DropPlan.h"

#include "platform/WindowTypes.h"

#include <algorithm>

namespace quorvel {

MovePlan PlanDrop(std::span<const std::uint8_t> states, std::size_t gap) {
    const std::size_t rows = states.size();
    gap = std::min(gap, rows);
    MovePlan plan;
    plan.order.resize(rows);
    // Counted first, then each row goes straight to its place: the unselected rows above the
    // line, the selected ones, the unselected rows below the line.
    std::size_t above = 0;
    std::size_t selected = 0;
    for (std::size_t i = 0; i < rows; ++i) {
        const bool isSelected = (states[i] & LVIS_SELECTED) != 0;
        selected += isSelected;
        above += !isSelected && i < gap;
    }
    std::size_t nextAbove = 0;
    std::size_t nextSelected = above;
    std::size_t nextBelow = above + selected;
    for (std::size_t i = 0; i < rows; ++i) {
        const auto row = static_cast<std::uint32_t>(i);
        if (states[i] & LVIS_SELECTED)
            plan.order[nextSelected++] = row;
        else if (i < gap)
            plan.order[nextAbove++] = row;
        else
            plan.order[nextBelow++] = row;
    }
    for (std::size_t i = 0; i < rows; ++i) {
        if (plan.order[i] != i) {
            plan.moved = true;
            return plan;
        }
    }
    plan.order.clear();
    return plan;
}

} // namespace quorvel
