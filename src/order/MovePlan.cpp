#include "order/MovePlan.h"

#include "platform/WindowTypes.h"

#include <algorithm>
#include <numeric>

// Moving a row one place is deleting it and inserting it next door, which only swaps it with
// its neighbour. Done run by run from the top (up) or from the bottom (down), those swaps carry
// the one unselected neighbour of a run across the whole run: a rotation by one of the run and
// that neighbour. Runs never share a neighbour, so all rotations act on disjoint ranges.

namespace quorvel {

namespace {

bool IsSelected(std::uint8_t state) {
    return (state & LVIS_SELECTED) != 0;
}

std::vector<std::uint32_t> IdentityOrder(std::size_t rows) {
    std::vector<std::uint32_t> order(rows);
    std::iota(order.begin(), order.end(), 0U);
    return order;
}

} // namespace

MovePlan PlanMoveUp(std::span<const std::uint8_t> states) {
    MovePlan plan;
    const std::size_t rows = states.size();
    std::size_t i = 0;
    while (i < rows && IsSelected(states[i])) {
        ++i; // the block at the top cannot rise
    }
    while (i < rows) {
        if (!IsSelected(states[i])) {
            ++i;
            continue;
        }
        const std::size_t first = i;
        while (i < rows && IsSelected(states[i])) {
            ++i;
        }
        if (!plan.moved) {
            plan.order = IdentityOrder(rows);
            plan.moved = true;
        }
        // [first - 1, i): the unselected row above the run, then the run.
        std::rotate(plan.order.begin() + static_cast<std::ptrdiff_t>(first - 1),
                    plan.order.begin() + static_cast<std::ptrdiff_t>(first),
                    plan.order.begin() + static_cast<std::ptrdiff_t>(i));
        plan.focusRow = static_cast<std::int64_t>(i) - 2; // last row of the run, one place up
    }
    return plan;
}

MovePlan PlanMoveDown(std::span<const std::uint8_t> states) {
    MovePlan plan;
    std::size_t end = states.size();
    while (end > 0 && IsSelected(states[end - 1])) {
        --end; // the block at the bottom cannot sink
    }
    std::size_t i = end;
    while (i > 0) {
        if (!IsSelected(states[i - 1])) {
            --i;
            continue;
        }
        const std::size_t last = i; // one past the run
        while (i > 0 && IsSelected(states[i - 1])) {
            --i;
        }
        if (!plan.moved) {
            plan.order = IdentityOrder(states.size());
            plan.moved = true;
        }
        // [i, last + 1): the run, then the unselected row below it.
        std::rotate(plan.order.begin() + static_cast<std::ptrdiff_t>(i),
                    plan.order.begin() + static_cast<std::ptrdiff_t>(last),
                    plan.order.begin() + static_cast<std::ptrdiff_t>(last + 1));
        plan.focusRow = static_cast<std::int64_t>(i) + 1; // first row of the run, one place down
    }
    return plan;
}

} // namespace quorvel
