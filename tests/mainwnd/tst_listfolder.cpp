#include "fs/FileSearch.h"
#include "support/FakeProgress.h"
#include "support/MainWindowHarness.h"

#include <QtTest>

#include <filesystem>

using namespace quorvel;
using namespace quorvel::test;
namespace fs = std::filesystem;

namespace {

// What a listing may change, all of it.
struct ListState {
    QStringList rows;
    std::int32_t valid, nameAscending, dateAscending;
    ColorRef color;
    bool enabled;
    std::string prefixBox, filterBox;
    bool operator==(const ListState&) const = default;
};

// A folder of 40 files; the window's listings go through these calls, and the `stopAt`-th
// status call presses 中止 while it runs.
struct Window : MainWindowHarness, SearchSystem {
    Window() {
        fs::create_directory(folder);
        for (int i = 0; i < 40; ++i)
            std::ofstream(folder + "/f" + std::to_string(10 + i) + ".jpg");
        writeIni("[Data]\nFolder=" + folder + "\n");
        start();
    }
    ~Window() { dlg.reset(); }
    SearchSystem& searchSystem() override { return *this; }
    IProgressWindow& progressWindow() override { return progress; }
    int Fstatat(int dirfd, const char* name, struct stat* st, int flags) override {
        if (++calls == stopAt)
            progress.PressStop();
        return SearchSystem::Fstatat(dirfd, name, st, flags);
    }
    ListState state() const {
        CListCtrl& list = dlg->m_listFiles;
        return {rows(),
                dlg->m_bListValid,
                dlg->m_bNameAscending,
                dlg->m_bDateAscending,
                list.GetTextColor(),
                list.IsWindowEnabled(),
                edit(IDC_PREFIX)->text().toStdString(),
                edit(IDC_FILTER)->text().toStdString()};
    }

    FakeProgressWindow progress;
    int calls = 0, stopAt = 0;
    const std::string folder = workDir() + "/photos";
};

char* toString(const ListState& s) {
    return QTest::toString(s.rows.join(' ') +
                           QString(" valid=%1 name=%2 date=%3 color=%4 enabled=%5 boxes=%6 %7")
                               .arg(s.valid)
                               .arg(s.nameAscending)
                               .arg(s.dateAscending)
                               .arg(s.color)
                               .arg(s.enabled)
                               .arg(QString::fromStdString(s.prefixBox))
                               .arg(QString::fromStdString(s.filterBox)));
}

} // namespace

class TestListFolder : public QObject {
    Q_OBJECT

private slots:
    void stoppedListing_Should_LeaveListAndMembersAsBefore_data() {
        QTest::addColumn<QString>("before");  // the pattern listed first, then a header click
        QTest::addColumn<QString>("pattern"); // typed: lists again, with the prefix kept
        QTest::addColumn<int>("stopAt");      // the status call that presses 中止
        QTest::addColumn<QString>("count");   // the line under the bar then
        QTest::newRow("stopped midway: the sorted rows stay") << "*.*"
                                                              << "f*.jpg" << 35 << "34 件";
        QTest::newRow("stopped at the first entry over the missing rows: red rows stay")
            << "*.none"
            << "*.*" << 1 << "0 件";
    }

    void stoppedListing_Should_LeaveListAndMembersAsBefore() {
        QFETCH(QString, before);
        QFETCH(QString, pattern);
        QFETCH(int, stopAt);
        QFETCH(QString, count);
        Window w;
        w.edit(IDC_FILTER)->setText(before);
        w.edit(IDC_PREFIX)->setText(QStringLiteral("trip_"));
        w.dlg->m_strPrefix = "typed but not read";
        Message click{WM_NOTIFY, LVN_COLUMNCLICK, IDC_FILELIST, true};
        w.dlg->Dispatch(click); // name descending: the flags differ from a fresh listing's
        const ListState old = w.state();
        QCOMPARE(old.rows.size(), before == "*.*" ? 40 : 2);

        std::ofstream(w.folder + "/f99.jpg"); // a listing that ran would show it
        w.progress.runs.clear();
        w.calls = 0;
        w.stopAt = stopAt;
        w.dlg->m_strFilter = pattern.toStdString();
        w.dlg->ListFolder(w.folder, 1, 1);

        QCOMPARE(w.progress.runs, (std::vector<FakeProgressWindow::Shown>{
                                      {"ファイルを読み込んでいます…", 0, count.toStdString()}}));
        QCOMPARE(w.boxes.shown.size(), std::size_t(0));
        QCOMPARE(w.state(), old);
        QCOMPARE(w.dlg->m_strPrefix, "typed but not read");
    }

    void listing_Should_ShowEqualNamesInReverseFolderOrder() {
        Window w;
        for (const char* name : {"TIE.jpg", "tie.jpg", "Tie.jpg", "tIe.jpg", "tiE.jpg"})
            std::ofstream(w.folder + "/" + name);
        // Names that compare equal stand as if each entry had been put at the top of the list.
        QStringList ties;
        for (const auto& entry : fs::directory_iterator(w.folder))
            if (const QString name = QString::fromStdString(entry.path().filename());
                name[0] != 'f')
                ties.prepend(name);
        w.click(IDC_REFRESH);
        QCOMPARE(w.state().rows.mid(40), ties);
    }
};

QTEST_MAIN(TestListFolder)
#include "tst_listfolder.moc"
