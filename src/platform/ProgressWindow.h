#pragma once

#include <QObject>
#include <QPointer>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace quorvel {

class WorkProgress;

// What the progress window of one piece of work shows.
struct ProgressView {
    std::string text;  // what is being done, above the bar
    std::size_t total; // steps in all: the bar reads "n / N 件"; 0: not known, the bar only moves
    // The line under the bar once `done` steps are done (the file at hand, a count); none when
    // empty. Called on the user-interface thread.
    std::function<std::string(std::size_t done)> detail;
};

// The one way long work runs while the window stays alive, so tests can run it without a window
// and stop it where they like.
//
// Run calls `work` and returns once it has ended. The blocking calls in `work` must not freeze
// the window, so a real implementation runs it on another thread, which touches nothing of the
// window or its rows; the caller's thread meanwhile keeps painting and handles only the
// progress window's input, so no handler runs in the middle of another. Work still running after
// 400 ms shows a modal window over `owner`; "中止", Esc and its close box ask `progress` to stop,
// and the work looks at that between its steps. Work that ends sooner shows nothing.
class IProgressWindow {
public:
    virtual ~IProgressWindow() = default;
    virtual void Run(QWidget* owner, const ProgressView& view, WorkProgress& progress,
                     const std::function<void()>& work) = 0;
};

// The real one: a worker thread per run, and a small dialog captioned "Quorvel".
class QtProgressWindow : public IProgressWindow {
public:
    // How long work runs before the window appears, and how often it shows the progress.
    static constexpr int kShowAfterMs = 400;
    static constexpr int kRefreshMs = 50;

    void Run(QWidget* owner, const ProgressView& view, WorkProgress& progress,
             const std::function<void()>& work) override;

    bool Running() const { return m_depth > 0; }
    // The program is asked to end: the work running now stops before its next step, and work
    // started later stops at its first look.
    void StopAll();
    // Calls `then` on this thread, from the event loop, once the work running now has ended.
    void AfterRun(QObject* context, std::function<void()> then);

private:
    int m_depth = 0;
    bool m_stopAll = false;
    WorkProgress* m_current = nullptr;
    std::vector<std::pair<QPointer<QObject>, std::function<void()>>> m_afterRun;
};

// The one a window uses unless it is handed another.
IProgressWindow& DefaultProgressWindow();

} // namespace quorvel
