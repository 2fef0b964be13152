#include "fs/SafeRename.h"
#include "support/TestFolder.h"

#include <QtTest>

#include <cerrno>
#include <filesystem>
#include <fstream>

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

// The real calls, except those a row makes fail.
class FaultySystem : public RenameSystem {
public:
    explicit FaultySystem(Faults faults) : m_faults(std::move(faults)) {}

    int Renameat2NoReplace(int fd, const char* from, const char* to) override {
        return Step(Call::Renameat2, from, to, [&] { return RenameSystem::Renameat2NoReplace(fd, from, to); });
    }
    int Linkat(int fd, const char* from, const char* to) override {
        return Step(Call::Linkat, from, to, [&] { return RenameSystem::Linkat(fd, from, to); });
    }
    int Renameat(int fd, const char* from, const char* to) override {
        return Step(Call::Renameat, from, to, [&] { return RenameSystem::Renameat(fd, from, to); });
    }

private:
    int Step(Call call, std::string_view from, std::string_view to, auto real) const {
        const auto temporary = [](std::string_view n) { return n.starts_with(".quorvel-rename-"); };
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
        const Faults noLink{{Call::Renameat2, EINVAL}, {Call::Linkat, EPERM}};
        using enum Needs;
        QTest::newRow("no hard links: a checked rename")
            << Tree{{"a", "A"}} << "a" << "b" << Anything << noLink << 0 << Tree{{"b", "A"}};
        QTest::newRow("the checked rename refuses a taken name")
            << Tree{{"a", "A"}, {"b", "B"}} << "a" << "b" << Anything << noLink << EEXIST
            << Tree{{"a", "A"}, {"b", "B"}};
        QTest::newRow("a case-only rename") << img << "IMG_0001.JPG" << "IMG_0001.jpg" << Anything
                                            << Faults{} << 0 << Tree{{"IMG_0001.jpg", "x"}};
        QTest::newRow("the old name back when the second step fails")
            << img << "IMG_0001.JPG" << "IMG_0001.jpg" << IgnoresCase
            << Faults{{Call::Renameat2, EIO, "IMG_0001.jpg", true}} << EIO << img;
        QTest::newRow("another file in another letter case is never moved away")
            << clash << "a.txt" << "X002.txt" << IgnoresCase
            << Faults{{Call::Renameat2, EIO, "", true}, {Call::Renameat, EIO, "", true}} << EEXIST
            << clash;
        QTest::newRow("a spelling the folder does not list is no file of ours")
            << img << "img_0001.jpg" << "IMG_0001.JPG" << IgnoresCase << Faults{} << EEXIST << img;
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
        Tree after;
        for (const fs::directory_entry& e : fs::directory_iterator(dir.path()))
            after[QString::fromStdString(e.path().filename())] =
                QString::fromStdString({std::istreambuf_iterator<char>(std::ifstream(e.path()).rdbuf()), {}});
        QTEST(after, "after");
    }
};

QTEST_GUILESS_MAIN(TestSafeRename)
#include "tst_saferename.moc"
