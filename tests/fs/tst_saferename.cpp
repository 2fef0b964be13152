#include "fs/FolderIndex.h"
#include "fs/SafeRename.h"
#include "support/TestFolder.h"

#include <QtTest>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include <fcntl.h>
#include <sys/stat.h>

using namespace quorvel;
using namespace quorvel::test;
namespace fs = std::filesystem;

namespace {

using Tree = QMap<QString, QString>; // file name → content

enum class Call { Renameat2, Linkat, Renameat };

struct Fault {
    Call call;
    int error;
    std::string to{};              // only for this new name
    bool throughTemporary = false; // only into or out of the temporary name of a case-only rename
};
using Faults = std::vector<Fault>;
using Results = QList<int>;

Tree ReadTree(const std::string& folder) {
    Tree tree;
    for (const fs::directory_entry& e : fs::directory_iterator(folder))
        tree[QString::fromStdString(e.path().filename())] = QString::fromStdString(
            {std::istreambuf_iterator<char>(std::ifstream(e.path()).rdbuf()), {}});
    return tree;
}

// An empty file with the batch's one modification time: one file met under two spellings looks
// so, and only then does the folder's listing decide.
void MakeEmpty(const std::string& folder, const std::string& name) {
    std::ofstream(folder + '/' + name).close();
    const struct timespec time[2] = {{1700000000, 0}, {1700000000, 0}};
    QCOMPARE(utimensat(AT_FDCWD, (folder + '/' + name).c_str(), time, 0), 0);
}

// The real calls, except those a row makes fail.
class FaultySystem : public RenameSystem {
public:
    explicit FaultySystem(Faults faults) : m_faults(std::move(faults)) {}

    int Renameat2NoReplace(int fd, const char* from, const char* to) override {
        return Step(Call::Renameat2, from, to,
                    [&] { return RenameSystem::Renameat2NoReplace(fd, from, to); });
    }
    int Linkat(int fd, const char* from, const char* to) override {
        return Step(Call::Linkat, from, to, [&] { return RenameSystem::Linkat(fd, from, to); });
    }
    int Renameat(int fd, const char* from, const char* to) override {
        return Step(Call::Renameat, from, to, [&] { return RenameSystem::Renameat(fd, from, to); });
    }
    int ReadFolder(int fd, const char* folder, std::vector<std::string>& names) override {
        ++reads;
        return RenameSystem::ReadFolder(fd, folder, names);
    }
    int reads = 0;
    std::string lastTemporary;

private:
    int Step(Call call, std::string_view from, std::string_view to, auto real) {
        const auto temporary = [](std::string_view n) { return n.starts_with(".quorvel-rename-"); };
        if (temporary(to))
            lastTemporary = to;
        for (const Fault& f : m_faults)
            if (f.call == call && (f.to.empty() || f.to == to) &&
                (!f.throughTemporary || temporary(from) || temporary(to)))
                return f.error;
        return real();
    }

    Faults m_faults;
};

} // namespace

Q_DECLARE_METATYPE(Faults)
Q_DECLARE_METATYPE(Results)

class TestSafeRename : public QObject {
    Q_OBJECT

private slots:
    void neverReplacesAnything_data() {
        QTest::addColumn<Tree>("before");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<Needs>("needs");
        QTest::addColumn<Faults>("faults");
        QTest::addColumn<int>("expected");
        QTest::addColumn<Tree>("after");
        const Tree img{{"IMG_0001.JPG", "x"}}, clash{{"a.txt", "A"}, {"x002.TXT", "X"}};
        // A kernel without renameat2: only the status tells whether the name is free.
        const Faults noLink{{Call::Renameat2, ENOSYS}, {Call::Linkat, EPERM}};
        using enum Needs;
        QTest::newRow("no hard links: a checked rename")
            << Tree{{"a", "A"}} << "a"
            << "b" << Anything << noLink << 0 << Tree{{"b", "A"}};
        QTest::newRow("the checked rename refuses a taken name")
            << Tree{{"a", "A"}, {"b", "B"}} << "a"
            << "b" << Anything << noLink << EEXIST << Tree{{"a", "A"}, {"b", "B"}};
        QTest::newRow("a case-only rename")
            << img << "IMG_0001.JPG"
            << "IMG_0001.jpg" << Anything << Faults{} << 0 << Tree{{"IMG_0001.jpg", "x"}};
        QTest::newRow("the old name back when the second step fails")
            << img << "IMG_0001.JPG"
            << "IMG_0001.jpg" << IgnoresCase << Faults{{Call::Renameat2, EIO, "IMG_0001.jpg", true}}
            << EIO << img;
        QTest::newRow("another file in another letter case is never moved away")
            << clash << "a.txt"
            << "X002.txt" << IgnoresCase
            << Faults{{Call::Renameat2, EIO, "", true}, {Call::Renameat, EIO, "", true}} << EEXIST
            << clash;
        QTest::newRow("a spelling the folder does not list is no file of ours")
            << img << "img_0001.jpg"
            << "IMG_0001.JPG" << IgnoresCase << Faults{} << EEXIST << img;
    }

    void neverReplacesAnything() {
        QFETCH(Tree, before);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(Needs, needs);
        QFETCH(Faults, faults);
        if (!Applies(needs, TestFileSystem()))
            QSKIP("the row is for another kind of file system");
        const TestFolder dir;
        for (auto it = before.begin(); it != before.end(); ++it)
            std::ofstream(dir.path() + '/' + it.key().toStdString()) << it.value().toStdString();
        const FolderHandle folder(dir.path());
        FaultySystem sys(faults);
        QTEST(RenameNoReplace(folder.fd(), from.toStdString(), to.toStdString(), sys), "expected");
        QTEST(ReadTree(dir.path()), "after");
    }

    // A batch on a file system that ignores letter case: its case-only renames, one of them back
    // again, read the folder once; a failed step or a file that someone else adds makes the next
    // decision read it afresh.
    void batchReadsTheFolderOnce_data() {
        QTest::addColumn<Faults>("faults");
        QTest::addColumn<bool>("addedMidway");
        QTest::addColumn<bool>("leftover"); // the next temporary name held by an earlier run
        QTest::addColumn<Results>("results");
        QTest::addColumn<int>("reads");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("once") << Faults{} << false << false << Results{0, 0, 0, 0} << 1
                              << QStringList{"IMG_0001.JPG", "IMG_0002.jpg", "IMG_0003.jpg"};
        QTest::newRow("a failed step")
            << Faults{{Call::Renameat, EIO, "IMG_0002.jpg", true}} << false << false
            << Results{0, EIO, 0, 0} << 2
            << QStringList{"IMG_0001.JPG", "IMG_0002.JPG", "IMG_0003.jpg"};
        QTest::newRow("a file added midway")
            << Faults{} << true << false << Results{0, 0, 0, EEXIST} << 2
            << QStringList{"IMG_0001.JPG", "IMG_0002.jpg", "img_0003.JPG", "x.JPG"};
        QTest::newRow("a leftover temporary name")
            << Faults{} << false << true << Results{0, 0, 0, 0} << 1
            << QStringList{"IMG_0001.JPG", "IMG_0002.jpg", "IMG_0003.jpg", "w.jpg"};
    }

    void batchReadsTheFolderOnce() {
        QFETCH(Faults, faults);
        QFETCH(bool, addedMidway);
        QFETCH(bool, leftover);
        if (!Applies(Needs::IgnoresCase, TestFileSystem()))
            QSKIP("for file systems that ignore letter case");
        const TestFolder dir;
        for (const char* name : {"IMG_0001.JPG", "IMG_0002.JPG", "x.JPG"})
            MakeEmpty(dir.path(), name);
        const FolderHandle folder(dir.path());
        FaultySystem sys(faults);
        FolderIndex index;
        const std::pair<const char*, const char*> batch[] = {{"IMG_0001.JPG", "IMG_0001.jpg"},
                                                             {"IMG_0002.JPG", "IMG_0002.jpg"},
                                                             {"IMG_0001.jpg", "IMG_0001.JPG"},
                                                             {"x.JPG", "IMG_0003.jpg"}};
        std::string held; // the temporary name the batch would take first
        if (leftover) {
            FaultySystem before({});
            FolderIndex once;
            MakeEmpty(dir.path(), "w.JPG");
            QCOMPARE(RenameNoReplace(folder.fd(), "w.JPG", "w.jpg", before, &once), 0);
            const auto dash = before.lastTemporary.rfind('-') + 1;
            held = before.lastTemporary.substr(0, dash) +
                   std::to_string(std::stoul(before.lastTemporary.substr(dash)) + 1);
            std::ofstream(dir.path() + '/' + held) << "kept";
        }
        Results results;
        for (const auto& [from, to] : batch) {
            if (addedMidway && results.size() == 3)
                MakeEmpty(dir.path(), "img_0003.JPG");
            results << RenameNoReplace(folder.fd(), from, to, sys, &index);
        }
        QTEST(results, "results");
        QTEST(sys.reads, "reads");
        Tree after = ReadTree(dir.path());
        if (leftover)
            QCOMPARE(after.take(QString::fromStdString(held)), "kept");
        QTEST(QStringList(after.keys()), "after");
    }
};

QTEST_GUILESS_MAIN(TestSafeRename)
#include "tst_saferename.moc"
