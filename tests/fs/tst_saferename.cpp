#include "fs/SafeRename.h"
#include "support/TestFolder.h"

#include <QtTest>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <vector>

#include <unistd.h>

using namespace quorvel;
using namespace quorvel::test;
namespace fs = std::filesystem;

namespace {

enum class Kind { File, Folder, SymbolicLink, HardLink };

struct Entry {
    std::string name;
    std::string content{}; // a file's bytes, a symbolic link's target, a hard link's other name
    Kind kind = Kind::File;

    friend bool operator==(const Entry&, const Entry&) = default;
};
using Tree = std::vector<Entry>;

enum class Call { Renameat2, Linkat, Unlinkat, Renameat, ReadFolder };

struct Fault {
    Call call;
    int error;
    std::string name{};            // the new name of a rename or link, the one an unlink removes
    bool throughTemporary = false; // only into or out of the temporary name of a case-only rename
};
using Faults = std::vector<Fault>;

} // namespace

Q_DECLARE_METATYPE(Tree)
Q_DECLARE_METATYPE(Faults)

namespace {

void Make(const fs::path& root, const Tree& tree) {
    for (const Entry& e : tree) {
        switch (e.kind) {
        case Kind::File:
            std::ofstream(root / e.name) << e.content;
            break;
        case Kind::Folder:
            fs::create_directory(root / e.name);
            break;
        case Kind::SymbolicLink:
            fs::create_symlink(e.content, root / e.name);
            break;
        case Kind::HardLink:
            fs::create_hard_link(root / e.content, root / e.name);
            break;
        }
    }
}

// The folder as it is: a hard link shows as the file it is.
Tree Snapshot(const fs::path& root) {
    Tree tree;
    for (const fs::directory_entry& e : fs::directory_iterator(root)) {
        if (e.is_symlink())
            tree.push_back({e.path().filename(), fs::read_symlink(e.path()), Kind::SymbolicLink});
        else if (e.is_directory())
            tree.push_back({e.path().filename(), "", Kind::Folder});
        else
            tree.push_back({e.path().filename(),
                            {std::istreambuf_iterator<char>(std::ifstream(e.path()).rdbuf()), {}}});
    }
    std::ranges::sort(tree, {}, &Entry::name);
    return tree;
}

QStringList Printed(const Tree& tree) {
    QStringList lines;
    for (const Entry& e : tree)
        lines << QString::fromStdString(e.name) + " " + QString::number(int(e.kind)) + " " +
                     QString::fromStdString(e.content);
    return lines;
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
    int Unlinkat(int fd, const char* name) override {
        return Step(Call::Unlinkat, "", name, [&] { return RenameSystem::Unlinkat(fd, name); });
    }
    int Renameat(int fd, const char* from, const char* to) override {
        return Step(Call::Renameat, from, to, [&] { return RenameSystem::Renameat(fd, from, to); });
    }
    int ReadFolder(int fd, const char* folder, std::vector<std::string>& names) override {
        return Step(Call::ReadFolder, "", "",
                    [&] { return RenameSystem::ReadFolder(fd, folder, names); });
    }

private:
    template <class Real>
    int Step(Call call, std::string_view from, std::string_view name, Real real) const {
        const auto temporary = [](std::string_view n) { return n.starts_with(".quorvel-rename-"); };
        for (const Fault& f : m_faults)
            if (f.call == call && (f.name.empty() || f.name == name) &&
                (!f.throughTemporary || temporary(from) || temporary(name)))
                return f.error;
        return real();
    }

    Faults m_faults;
};

} // namespace

class TestSafeRename : public QObject {
    Q_OBJECT

private slots:
    void fileSystem_Should_BeWhatTheTestIsTold();
    void rename_Should_NeverReplaceAnything_data();
    void rename_Should_NeverReplaceAnything();
};

// The expectations below follow the file system's name; a mount that behaves otherwise would make
// them prove nothing.
void TestSafeRename::fileSystem_Should_BeWhatTheTestIsTold() {
    const FileSystem told = TestFileSystem();
    const TestFolder dir;
    const fs::path root = dir.path();
    std::ofstream(root / "Probe") << "p";
    QCOMPARE(fs::exists(root / "PROBE"), told.ignoresCase);
    QCOMPARE(link((root / "Probe").c_str(), (root / "link").c_str()) == 0, told.hardLinks);
    QCOMPARE(symlink("Probe", (root / "symlink").c_str()) == 0, told.symbolicLinks);
}

void TestSafeRename::rename_Should_NeverReplaceAnything_data() {
    QTest::addColumn<Tree>("before");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<Needs>("needs");
    QTest::addColumn<Faults>("faults");
    QTest::addColumn<int>("expected");
    QTest::addColumn<Tree>("after");
    const Tree ab{{"a", "A"}, {"b", "B"}};
    const Tree img{{"IMG_0001.JPG", "x"}};
    const Tree clash{{"a.txt", "A"}, {"x002.TXT", "X"}};
    const Faults noFlag{{Call::Renameat2, EINVAL}};
    const Faults noLink{{Call::Renameat2, EINVAL}, {Call::Linkat, EPERM}};
    using enum Needs;

    QTest::newRow("plain rename") << ab << "a"
                                  << "trip_001.jpg" << Anything << Faults{} << 0
                                  << Tree{{"b", "B"}, {"trip_001.jpg", "A"}};
    QTest::newRow("a taken name keeps its content") << ab << "a"
                                                    << "b" << Anything << Faults{} << EEXIST << ab;
    QTest::newRow("a leading slash stays inside the folder")
        << Tree{{"a", "A"}} << "a"
        << "/b" << Anything << Faults{} << 0 << Tree{{"b", "A"}};
    QTest::newRow("a vanished file onto its own name fails")
        << Tree{} << "a"
        << "a" << Anything << Faults{} << ENOENT << Tree{};
    QTest::newRow("a folder under the new name is refused")
        << Tree{{"a", "A"}, {"sub", "", Kind::Folder}} << "a"
        << "sub" << Anything << Faults{} << EEXIST << Tree{{"a", "A"}, {"sub", "", Kind::Folder}};
    QTest::newRow("no RENAME_NOREPLACE: link, then unlink")
        << Tree{{"a", "A"}} << "a"
        << "b" << Anything << noFlag << 0 << Tree{{"b", "A"}};
    QTest::newRow("no hard links either: a checked rename")
        << Tree{{"a", "A"}} << "a"
        << "b" << Anything << noLink << 0 << Tree{{"b", "A"}};
    QTest::newRow("the checked rename refuses a taken name")
        << ab << "a"
        << "b" << Anything << noLink << EEXIST << ab;
    QTest::newRow("a dangling symbolic link is a taken name")
        << Tree{{"a", "A"}, {"b", "gone", Kind::SymbolicLink}} << "a"
        << "b" << SymbolicLinks << Faults{{Call::Renameat2, ENOSYS}, {Call::Linkat, ENOSYS}}
        << EEXIST << Tree{{"a", "A"}, {"b", "gone", Kind::SymbolicLink}};
    QTest::newRow("a failed unlink removes the new link again")
        << Tree{{"a", "A"}} << "a"
        << "b" << HardLinks << Faults{{Call::Renameat2, EINVAL}, {Call::Unlinkat, EACCES, "a"}}
        << EACCES << Tree{{"a", "A"}};
    QTest::newRow("a second hard link under the new name is refused")
        << Tree{{"a", "A"}, {"b", "a", Kind::HardLink}} << "a"
        << "b" << HardLinks << Faults{} << EEXIST << Tree{{"a", "A"}, {"b", "A"}};

    QTest::newRow("a case-only rename succeeds")
        << img << "IMG_0001.JPG"
        << "IMG_0001.jpg" << Anything << Faults{} << 0 << Tree{{"IMG_0001.jpg", "x"}};
    QTest::newRow("a case-only rename gets its old name back when the second step fails")
        << img << "IMG_0001.JPG"
        << "IMG_0001.jpg" << IgnoresCase << Faults{{Call::Renameat2, EIO, "IMG_0001.jpg", true}}
        << EIO << img;
    QTest::newRow("no case-only rename is risked in a folder that cannot be read")
        << img << "IMG_0001.JPG"
        << "img_0001.jpg" << IgnoresCase << Faults{{Call::ReadFolder, EACCES}} << EEXIST << img;
    QTest::newRow("another file in another letter case is refused, never moved away")
        << clash << "a.txt"
        << "X002.txt" << IgnoresCase
        << Faults{{Call::Renameat2, EIO, "", true}, {Call::Renameat, EIO, "", true}} << EEXIST
        << clash;
    QTest::newRow("another file in another letter case is another name where case counts")
        << clash << "a.txt"
        << "X002.txt" << KeepsCase << Faults{} << 0 << Tree{{"X002.txt", "A"}, {"x002.TXT", "X"}};
    QTest::newRow("a spelling the folder does not list is no file of ours")
        << img << "img_0001.jpg"
        << "IMG_0001.JPG" << IgnoresCase << Faults{} << EEXIST << img;
    QTest::newRow("a spelling the folder does not list is missing where case counts")
        << img << "img_0001.jpg"
        << "IMG_0001.JPG" << KeepsCase << Faults{} << ENOENT << img;
}

void TestSafeRename::rename_Should_NeverReplaceAnything() {
    QFETCH(Tree, before);
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(Needs, needs);
    QFETCH(Faults, faults);
    QFETCH(Tree, after);
    if (!Applies(needs, TestFileSystem()))
        QSKIP("the row is for another kind of file system");
    const TestFolder dir;
    Make(dir.path(), before);
    const FolderHandle folder(dir.path());
    FaultySystem sys(faults);
    QTEST(RenameNoReplace(folder.fd(), from.toStdString(), to.toStdString(), sys), "expected");
    std::ranges::sort(after, {}, &Entry::name);
    QCOMPARE(Printed(Snapshot(dir.path())), Printed(after));
}

QTEST_GUILESS_MAIN(TestSafeRename)
#include "tst_saferename.moc"
