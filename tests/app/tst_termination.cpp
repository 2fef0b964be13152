#include "app/TerminationClose.h"
#include "platform/ProgressWindow.h"
#include "support/MainWindowHarness.h"

#include <QtTest>

#include <atomic>
#include <filesystem>
#include <thread>

using namespace quorvel;
using namespace quorvel::test;
namespace fs = std::filesystem;

// A batch of eight files through the real progress window. The termination signal arrives, on
// the window's thread as the real one does, while the third rename runs.
class TestTermination : public QObject, MainWindowHarness, RenameSystem {
    Q_OBJECT

public:
    ~TestTermination() override { dlg.reset(); } // the window uses the members below

private:
    IMessageBox& messageBox() override { return ending; }
    RenameSystem& renameSystem() override { return *this; }
    IProgressWindow& progressWindow() override { return progress; }
    int Renameat2NoReplace(int dirfd, const char* from, const char* to) override {
        closedDuringTheBatch = closedDuringTheBatch || dlg->IsDestroyed();
        if (++renames == 3) {
            std::atomic<bool> delivered{false};
            QMetaObject::invokeMethod(dlg.get(), [this, &delivered] {
                CloseForTermination(*dlg, progress, ending);
                closedDuringTheBatch = closedDuringTheBatch || dlg->IsDestroyed();
                delivered = true;
            });
            while (!delivered)
                std::this_thread::yield();
        }
        return RenameSystem::Renameat2NoReplace(dirfd, from, to);
    }

    QtProgressWindow progress;
    BoxesUntilTermination ending{boxes};
    int renames = 0;
    bool closedDuringTheBatch = false;

private slots:
    void signalDuringBatch_Should_StopIt_ThenCloseOnceTheHandlerHasReturned() {
        const std::string folder = workDir() + "/data";
        fs::create_directory(folder);
        for (char c = 'a'; c < 'i'; ++c)
            std::ofstream(folder + "/" + c + ".txt") << c;
        writeIni("[Data]\nFolder=" + folder + "\nStartNumber=1\n");
        start().m_listFiles.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
        edit(IDC_PREFIX)->setText("t_");
        click(IDC_START);
        QVERIFY(!closedDuringTheBatch);
        QVERIFY(fs::exists(folder + "/t_3.txt") && fs::exists(folder + "/d.txt"));
        // Only the confirmation was shown: the box of the stop answered by itself.
        QCOMPARE(boxes.shown.size(), 1u);
        QTRY_VERIFY(dlg->IsDestroyed());
    }
};

QTEST_MAIN(TestTermination)
#include "tst_termination.moc"
