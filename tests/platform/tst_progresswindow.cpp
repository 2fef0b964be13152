#include "platform/ProgressWindow.h"
#include "platform/WorkProgress.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include <thread>

using namespace quorvel;
using namespace std::chrono_literals;

namespace {

enum class StopBy { Button, Escape, CloseBox };

// Work that has taken 3 steps and goes on until asked to stop.
void WorkUntilStopped(WorkProgress& progress) {
    progress.SetDone(3);
    while (!progress.StopRequested())
        std::this_thread::sleep_for(2ms);
}

} // namespace

Q_DECLARE_METATYPE(StopBy)

class TestProgressWindow : public QObject {
    Q_OBJECT

private slots:
    void slowWork_Should_ShowItsProgressAfter400ms_AndStopWhenAsked_data() {
        QTest::addColumn<StopBy>("stopBy");
        QTest::newRow("中止") << StopBy::Button;
        QTest::newRow("Esc") << StopBy::Escape;
        QTest::newRow("the close box") << StopBy::CloseBox;
    }
    void slowWork_Should_ShowItsProgressAfter400ms_AndStopWhenAsked() {
        QFETCH(StopBy, stopBy);
        QtProgressWindow window;
        QWidget owner;
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));
        WorkProgress progress;
        QElapsedTimer clock;
        qint64 shownAfter = -1;
        QString bar;
        bool stopped = false;
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (dialog && shownAfter < 0)
                shownAfter = clock.elapsed();
            if (dialog && !progress.StopRequested() && clock.elapsed() > shownAfter + 200) {
                bar = dialog->findChild<QProgressBar*>()->text();
                auto* stop = dialog->findChild<QPushButton*>();
                if (stopBy == StopBy::Button)
                    stop->click();
                else if (stopBy == StopBy::Escape)
                    QTest::keyClick(dialog, Qt::Key_Escape);
                else
                    dialog->close();
                // It stays until the work has ended, then closes by itself.
                stopped = progress.StopRequested() && dialog->isVisible() && !stop->isEnabled();
            }
            if (clock.elapsed() > 3000)
                progress.RequestStop(); // a window that does not stop fails rather than hangs
        });
        watch.start(5);
        clock.start();
        window.Run(&owner, {"x", 10, {}}, progress, [&] { WorkUntilStopped(progress); });
        QVERIFY2(shownAfter >= 400, qPrintable(QString::number(shownAfter)));
        QCOMPARE(bar, "3 / 10 件");
        QVERIFY(stopped);
    }

    void stopAll_Should_StopThisAndLaterWork_ThenCallBack() {
        QtProgressWindow window;
        QObject context;
        WorkProgress first, later;
        int calledBack = 0;
        QTimer::singleShot(50, this, [&] {
            window.StopAll();
            window.AfterRun(&context, [&] { ++calledBack; });
        });
        window.Run(nullptr, {"x", 0, {}}, first, [&] { WorkUntilStopped(first); });
        QCOMPARE(calledBack, 0); // only once the run has returned
        QTRY_COMPARE(calledBack, 1);
        window.Run(nullptr, {"x", 0, {}}, later, [] {});
        QVERIFY(later.StopRequested());
    }
};

QTEST_MAIN(TestProgressWindow)
#include "tst_progresswindow.moc"
