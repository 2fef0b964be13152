#include "app/TerminationClose.h"
#include "platform/ProgressWindow.h"
#include "fs/SafeRename.h"
#include "support/MainWindowHarness.h"

#include <QtTest>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

using namespace quorvel;
using namespace quorvel::test;
namespace fs = std::filesystem;

namespace {

// A batch of eight files through the real progress window. The termination signal arrives, on
// the window's thread as the real one does, while the `signalAt`-th rename runs.
struct Window : MainWindowHarness, RenameSystem {
    Window() {
        fs::create_directory(folder);
        for (char c = 'a'; c < 'i'; ++c)
            std::ofstream(folder + "/" + c + ".txt") << c;
        writeIni("[Data]\nFolder=" + folder + "\nStartNumber=1\n");
        start();
        dlg->m_listFiles.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
        edit(IDC_PREFIX)->setText(QStringLiteral("t_"));
    }
    ~Window() { dlg.reset(); }
    IMessageBox& messageBox() override { return ending; }
    RenameSystem& renameSystem() override { return *this; }
    IProgressWindow& progressWindow() override { return progress; }
    int Renameat2NoReplace(int dirfd, const char* from, const char* to) override {
        closedDuringTheBatch = closedDuringTheBatch || dlg->IsDestroyed();
        if (++renames == signalAt) {
            std::atomic<bool> delivered{false};
            QMetaObject::invokeMethod(
                dlg.get(),
                [this, &delivered] {
                    CloseForTermination(*dlg, progress, ending);
                    closedDuringTheBatch = closedDuringTheBatch || dlg->IsDestroyed();
                    delivered = true;
                },
                Qt::QueuedConnection);
            while (!delivered)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return RenameSystem::Renameat2NoReplace(dirfd, from, to);
    }
    int renamedCount() const {
        int n = 0;
        for (const auto& entry : fs::directory_iterator(folder))
            n += entry.path().filename().string().starts_with("t_");
        return n;
    }

    QtProgressWindow progress;
    BoxesUntilTermination ending{boxes};
    int renames = 0, signalAt = 0;
    bool closedDuringTheBatch = false;
    const std::string folder = workDir() + "/data";
};

} // namespace

class TestTermination : public QObject {
    Q_OBJECT

private slots:
    void signalDuringBatch_Should_StopIt_ThenCloseOnceTheHandlerHasReturned_data() {
        QTest::addColumn<int>("signalAt");
        QTest::addColumn<int>("renamed");
        QTest::newRow("during the first rename") << 1 << 1;
        QTest::newRow("during the third") << 3 << 3;
    }

    void signalDuringBatch_Should_StopIt_ThenCloseOnceTheHandlerHasReturned() {
        QFETCH(int, signalAt);
        Window w;
        w.signalAt = signalAt;
        w.click(IDC_START);
        QVERIFY(!w.closedDuringTheBatch);
        QTEST(w.renamedCount(), "renamed");
        // Only the confirmation was shown: the box of the stop answered by itself.
        QCOMPARE(int(w.boxes.shown.size()), 1);
        QTRY_VERIFY(w.dlg->IsDestroyed());
        QVERIFY(w.readIni().find("Version=21") != std::string::npos); // saved once closed
        // Later work stops at once, and later boxes answer as if cancelled.
        QCOMPARE(w.ending.Show(nullptr, "?", "Quorvel", MB_OK), IDCANCEL);
        QCOMPARE(int(w.boxes.shown.size()), 1);
    }
};

QTEST_MAIN(TestTermination)
#include "tst_termination.moc"
