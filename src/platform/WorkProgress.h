#pragma once

#include <atomic>
#include <cstddef>

namespace quorvel {

// How far a piece of long work has come and whether the user asked it to stop. The thread doing
// the work writes the count and looks at the request between its steps; the user-interface
// thread reads the count and makes the request. Either side may be any thread.
class WorkProgress {
public:
    void SetDone(std::size_t done) { m_done.store(done, std::memory_order_relaxed); }
    void AddDone(std::size_t steps) { m_done.fetch_add(steps, std::memory_order_relaxed); }
    std::size_t Done() const { return m_done.load(std::memory_order_relaxed); }

    void RequestStop() { m_stop.store(true, std::memory_order_relaxed); }
    bool StopRequested() const { return m_stop.load(std::memory_order_relaxed); }

private:
    std::atomic<std::size_t> m_done{0};
    std::atomic<bool> m_stop{false};
};

} // namespace quorvel
