#include "platform/ProgressWindow.h"

#include "platform/DialogUnits.h"
#include "platform/WorkProgress.h"

#include <QAbstractEventDispatcher>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <atomic>
#include <climits>
#include <exception>
#include <memory>
#include <thread>
#include <utility>

namespace quorvel {
namespace {

// The window itself: what is done, the bar, the line under it and "中止". It stays until the
// work has ended, also once asked to stop: the call at hand cannot be cut short.
class ProgressDialog : public QDialog {
public:
    ProgressDialog(QWidget* owner, const ProgressView& view, WorkProgress& progress)
        : QDialog(owner), m_view(view), m_progress(progress) {
        setObjectName(QStringLiteral("progress"));
        setFont(DialogFont());
        setWindowTitle(QStringLiteral("Quorvel"));
        setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                       Qt::WindowCloseButtonHint);
        setWindowModality(Qt::ApplicationModal);

        auto* text = new QLabel(QString::fromStdString(view.text), this);
        text->setTextFormat(Qt::PlainText);
        m_bar = new QProgressBar(this);
        if (view.total > 0) {
            m_bar->setRange(0, int(std::min<std::size_t>(view.total, INT_MAX)));
            m_bar->setFormat(QStringLiteral("%v / %m 件"));
        } else {
            m_bar->setRange(0, 0);
        }
        m_detail = new QLabel(this);
        m_detail->setObjectName(QStringLiteral("detail"));
        m_detail->setTextFormat(Qt::PlainText);
        m_stop = new QPushButton(QStringLiteral("中止"), this);
        m_stop->setDefault(true);
        connect(m_stop, &QPushButton::clicked, this, [this] { AskToStop(); });

        auto* layout = new QVBoxLayout(this);
        layout->addWidget(text);
        layout->addWidget(m_bar);
        layout->addWidget(m_detail);
        layout->addWidget(m_stop, 0, Qt::AlignHCenter);
        const int width = fontMetrics().averageCharWidth() * 48;
        m_detail->setFixedWidth(width);
        setFixedSize(sizeHint());
    }

    void ShowProgress(std::size_t done) {
        if (m_view.total > 0)
            m_bar->setValue(int(std::min(done, std::size_t(m_bar->maximum()))));
        if (m_view.detail) {
            const QString line = QString::fromUtf8(m_view.detail(done));
            if (line != m_shownDetail) {
                m_shownDetail = line;
                m_detail->setText(
                    m_detail->fontMetrics().elidedText(line, Qt::ElideMiddle, m_detail->width()));
            }
        }
    }

protected:
    void reject() override { AskToStop(); } // Esc
    void closeEvent(QCloseEvent* event) override {
        AskToStop();
        event->ignore();
    }

private:
    void AskToStop() {
        m_progress.RequestStop();
        m_stop->setEnabled(false);
    }

    const ProgressView& m_view;
    WorkProgress& m_progress;
    QProgressBar* m_bar = nullptr;
    QLabel* m_detail = nullptr;
    QPushButton* m_stop = nullptr;
    QString m_shownDetail;
};

} // namespace

void QtProgressWindow::Run(QWidget* owner, const ProgressView& view, WorkProgress& progress,
                           const std::function<void()>& work) {
    if (m_stopAll)
        progress.RequestStop();
    WorkProgress* const outer = std::exchange(m_current, &progress);
    ++m_depth;

    std::atomic<bool> finished{false};
    std::exception_ptr failure;
    QAbstractEventDispatcher* const dispatcher = QAbstractEventDispatcher::instance();
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        finished.store(true, std::memory_order_release);
        if (dispatcher)
            dispatcher->wakeUp();
    });

    // Without a receiver, this timer only wakes the wait below.
    QTimer showTimer;
    showTimer.setSingleShot(true);
    showTimer.setTimerType(Qt::PreciseTimer);
    showTimer.start(kShowAfterMs);
    std::unique_ptr<ProgressDialog> dialog;
    QTimer refresh;
    QObject::connect(&refresh, &QTimer::timeout, &refresh, [&] {
        if (dialog)
            dialog->ShowProgress(progress.Done());
    });
    refresh.start(kRefreshMs);
    while (!finished.load(std::memory_order_acquire)) {
        if (!dialog && !showTimer.isActive()) {
            dialog = std::make_unique<ProgressDialog>(owner, view, progress);
            dialog->ShowProgress(progress.Done());
            dialog->show();
            // Over the window the arrow, not the wait cursor of the handler: "中止" is there to
            // be clicked.
            QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
        }
        // Until the modal window stands, no input at all: a click meant for the main window
        // would start a handler in the middle of this one.
        QCoreApplication::processEvents(
            (dialog ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents) |
            QEventLoop::WaitForMoreEvents);
    }
    worker.join();
    if (dialog) {
        dialog->hide();
        QGuiApplication::restoreOverrideCursor();
    }
    dialog.reset();

    m_current = outer;
    if (--m_depth == 0) {
        for (auto& [context, then] : std::exchange(m_afterRun, {}))
            if (context)
                QMetaObject::invokeMethod(context, std::move(then), Qt::QueuedConnection);
    }
    if (failure)
        std::rethrow_exception(failure);
}

void QtProgressWindow::StopAll() {
    m_stopAll = true;
    if (m_current)
        m_current->RequestStop();
}

void QtProgressWindow::AfterRun(QObject* context, std::function<void()> then) {
    m_afterRun.emplace_back(context, std::move(then));
}

IProgressWindow& DefaultProgressWindow() {
    static QtProgressWindow window;
    return window;
}

} // namespace quorvel
