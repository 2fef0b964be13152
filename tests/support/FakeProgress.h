#pragma once

#include "platform/ProgressWindow.h"
#include "platform/WorkProgress.h"

#include <QTest>

#include <cstddef>
#include <string>
#include <vector>

namespace quorvel::test {

// Runs long work on the spot, records what each run's window would show, and presses "中止"
// when the test says: from a fake file system in the middle of the work, or at a run's start.
class FakeProgressWindow : public IProgressWindow {
public:
    struct Shown {
        std::string text;
        std::size_t total;
        std::string detailAtStop{}; // the line under the bar when 中止 was pressed
        bool operator==(const Shown&) const = default;
    };

    void Run(QWidget*, const ProgressView& view, WorkProgress& progress,
             const std::function<void()>& work) override {
        runs.push_back({view.text, view.total});
        m_view = &view;
        m_current = &progress;
        if (int(runs.size()) == stopAtStartOfRun)
            PressStop();
        work();
        m_current = nullptr;
        m_view = nullptr;
    }

    // 中止, in the run going on now.
    void PressStop() {
        m_current->RequestStop();
        if (m_view->detail)
            runs.back().detailAtStop = m_view->detail(m_current->Done());
    }
    bool Running() const { return m_current != nullptr; }

    std::vector<Shown> runs;
    int stopAtStartOfRun = 0; // counted from 1; 0: never

private:
    const ProgressView* m_view = nullptr;
    WorkProgress* m_current = nullptr;
};

inline char* toString(const FakeProgressWindow::Shown& s) {
    return QTest::toString(
        QString::fromStdString(s.text + " / " + std::to_string(s.total) + " / " + s.detailAtStop));
}

} // namespace quorvel::test
