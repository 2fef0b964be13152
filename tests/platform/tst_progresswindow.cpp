#include "platform/ProgressWindow.h"
#include "platform/WorkProgress.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include <chrono>
#include <new>
#include <thread>

using namespace quorvel;
using namespace std::chrono_literals;

namespace {

// How the user asks the window to stop.
enum class StopBy { Button, Escape, CloseBox };

QDialog* ProgressDialog() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "progress" && w->isVisible())
            return qobject_cast<QDialog*>(w);
    return nullptr;
}

// Work that takes its steps until asked to stop, looking between them.
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
    void quickWork_Should_ShowNothing() {
        QtProgressWindow window;
        QWidget owner;
        WorkProgress progress;
        bool ran = false;
        int shown = 0;
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] { shown += ProgressDialog() != nullptr; });
        watch.start(1);
        window.Run(&owner, {"ファイル名を変更しています…", 3, {}}, progress, [&] {
            ran = true;
            std::this_thread::sleep_for(100ms);
        });
        QVERIFY(ran);
        QCOMPARE(shown, 0);
        QVERIFY(!window.Running());
    }

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
        qint64 appearedAfter = -1;
        QString title, text, bar, detail, button;
        bool modal = false, stillShownWhenAsked = false, buttonOffWhenAsked = false;
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            QDialog* dialog = ProgressDialog();
            if (!dialog || progress.StopRequested())
                return;
            if (appearedAfter < 0)
                appearedAfter = clock.elapsed();
            auto* progressBar = dialog->findChild<QProgressBar*>();
            if (progressBar->text() != "3 / 10 件")
                return; // the next refresh shows the work's count
            title = dialog->windowTitle();
            // Input for any other window is held back while it stands.
            modal = QApplication::activeModalWidget() == dialog;
            text = dialog->findChildren<QLabel*>().front()->text();
            bar = progressBar->text();
            detail = dialog->findChild<QLabel*>("detail")->text();
            auto* stop = dialog->findChild<QPushButton*>();
            button = stop->text();
            switch (stopBy) {
            case StopBy::Button:
                stop->click();
                break;
            case StopBy::Escape:
                QTest::keyClick(dialog, Qt::Key_Escape);
                break;
            case StopBy::CloseBox:
                dialog->close();
                break;
            }
            stillShownWhenAsked = ProgressDialog() == dialog;
            buttonOffWhenAsked = !stop->isEnabled();
        });
        watch.start(5);
        clock.start();
        window.Run(&owner,
                   {"ファイル名を変更しています…", 10,
                    [](std::size_t done) { return "file " + std::to_string(done); }},
                   progress, [&] { WorkUntilStopped(progress); });

        QVERIFY(progress.StopRequested());
        QVERIFY2(appearedAfter >= QtProgressWindow::kShowAfterMs,
                 qPrintable(QString::number(appearedAfter)));
        QCOMPARE(title, "Quorvel");
        QVERIFY(modal);
        QCOMPARE(text, "ファイル名を変更しています…");
        QCOMPARE(bar, "3 / 10 件");
        QCOMPARE(detail, "file 3");
        QCOMPARE(button, "中止");
        // Asked to stop, it stays until the work has ended, then closes by itself.
        QVERIFY(stillShownWhenAsked);
        QVERIFY(buttonOffWhenAsked);
        QCOMPARE(ProgressDialog(), nullptr);
    }

    void callThatHangs_Should_LeaveTheEventLoopTurning() {
        QtProgressWindow window;
        QWidget owner;
        WorkProgress progress;
        int ticks = 0;
        bool shownDuringTheCall = false;
        QTimer tick;
        connect(&tick, &QTimer::timeout, this, [&] {
            ++ticks;
            shownDuringTheCall = shownDuringTheCall || ProgressDialog() != nullptr;
        });
        tick.start(20);
        window.Run(&owner, {"ファイルを読み込んでいます…", 0, {}}, progress,
                   [] { std::this_thread::sleep_for(700ms); });
        // About 35; a tenth of that would still mean ten turns a second.
        QVERIFY2(ticks >= 7, qPrintable(QString::number(ticks)));
        QVERIFY(shownDuringTheCall);
    }

    void failedWork_Should_ReachTheCaller() {
        QtProgressWindow window;
        WorkProgress progress;
        QVERIFY_THROWS_EXCEPTION(std::bad_alloc, window.Run(nullptr, {"x", 0, {}}, progress,
                                                            [] { throw std::bad_alloc(); }));
        QVERIFY(!window.Running());
    }

    void stopAll_Should_StopThisAndLaterWork_ThenCallBack() {
        QtProgressWindow window;
        QObject context;
        WorkProgress first;
        bool runningWhenStopped = false;
        int calledBack = 0;
        int calledBackDuringRun = -1;
        QTimer::singleShot(50, this, [&] {
            runningWhenStopped = window.Running();
            window.StopAll();
            window.AfterRun(&context, [&] { ++calledBack; });
        });
        window.Run(nullptr, {"x", 0, {}}, first, [&] {
            WorkUntilStopped(first);
            std::this_thread::sleep_for(100ms); // the loop turns on meanwhile
        });
        calledBackDuringRun = calledBack;
        QVERIFY(runningWhenStopped);
        QCOMPARE(calledBackDuringRun, 0); // only once the run has returned
        QTRY_COMPARE(calledBack, 1);

        WorkProgress later;
        bool stoppedAtOnce = false;
        window.Run(nullptr, {"x", 0, {}}, later, [&] { stoppedAtOnce = later.StopRequested(); });
        QVERIFY(stoppedAtOnce);
        QCoreApplication::processEvents();
        QCOMPARE(calledBack, 1);
    }
};

QTEST_MAIN(TestProgressWindow)
#include "tst_progresswindow.moc"
