#include "platform/SafeRename.h"

#include <QtTest>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

using namespace quorvel;

namespace {

QByteArray Path(const QByteArray& root, const QByteArray& relative) {
    return root + '/' + relative;
}

// A folder's entries in one notation, for setting it up and for comparing it afterwards:
// "name=content" a file, "name/" a folder, "name->target" a symbolic link, and (set-up only)
// "name=>other" a second hard link of the file "other", listed afterwards by its content.
void MakeTree(const QByteArray& root, const QByteArrayList& entries) {
    for (const QByteArray& entry : entries) {
        if (entry.endsWith('/')) {
            QVERIFY(mkdir(Path(root, entry).constData(), 0700) == 0);
        } else if (const auto arrow = entry.indexOf("->"); arrow >= 0) {
            const QByteArray target = entry.mid(arrow + 2);
            QVERIFY(symlink(target.constData(), Path(root, entry.left(arrow)).constData()) == 0);
        } else if (const auto link = entry.indexOf("=>"); link >= 0) {
            const QByteArray existing = Path(root, entry.mid(link + 2));
            QVERIFY(::link(existing.constData(), Path(root, entry.left(link)).constData()) == 0);
        } else {
            // Raw bytes all the way: a name that is not UTF-8 must reach the disk unchanged.
            const auto eq = entry.indexOf('=');
            const QByteArray content = entry.mid(eq + 1);
            const int fd = open(Path(root, entry.left(eq)).constData(),
                                O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            QVERIFY(fd >= 0);
            QCOMPARE(write(fd, content.constData(), size_t(content.size())),
                     ssize_t(content.size()));
            close(fd);
        }
    }
}

void Snapshot(const QByteArray& root, const QByteArray& relative, QByteArrayList& out) {
    DIR* dir = opendir(Path(root, relative).constData());
    QVERIFY(dir != nullptr);
    while (const dirent* e = readdir(dir)) {
        const QByteArray name(e->d_name);
        if (name == "." || name == "..")
            continue;
        const QByteArray rel = relative.isEmpty() ? name : relative + '/' + name;
        const QByteArray path = Path(root, rel);
        struct stat st {};
        QVERIFY(lstat(path.constData(), &st) == 0);
        if (S_ISDIR(st.st_mode)) {
            out << rel + '/';
            Snapshot(root, rel, out);
        } else if (S_ISLNK(st.st_mode)) {
            char target[4096];
            const auto n = readlink(path.constData(), target, sizeof target);
            out << rel + "->" + QByteArray(target, n);
        } else {
            char content[256];
            const int fd = open(path.constData(), O_RDONLY | O_CLOEXEC);
            QVERIFY(fd >= 0);
            const auto n = read(fd, content, sizeof content);
            close(fd);
            out << rel + '=' + QByteArray(content, n);
        }
    }
    closedir(dir);
}

QByteArrayList Snapshot(const QByteArray& root) {
    QByteArrayList out;
    Snapshot(root, {}, out);
    std::sort(out.begin(), out.end());
    return out;
}

// QTemporaryDir goes through QString and cannot remove a name that is not UTF-8.
struct RemovedOnExit {
    std::string path;
    ~RemovedOnExit() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

QByteArrayList Sorted(QByteArrayList list) {
    std::sort(list.begin(), list.end());
    return list;
}

const std::map<QByteArray, int> kErrors = {
    {"EINVAL", EINVAL}, {"ENOSYS", ENOSYS},
    {"EPERM", EPERM},   {"EOPNOTSUPP", EOPNOTSUPP},
    {"EACCES", EACCES}, {"EIO", EIO},
    {"EXDEV", EXDEV},   {"EEXIST", EEXIST},
    {"ENOENT", ENOENT}, {"ENAMETOOLONG", ENAMETOOLONG},
};

bool EqualIgnoringAsciiCase(const char* a, const char* b) {
    return strcasecmp(a, b) == 0;
}

// Real calls, except for the failures a row asks for ("call=ERROR", or "call@name=ERROR" for the
// call whose target, or for unlinkat whose name, is that name) and, on request, the behaviour of a
// file system that ignores letter case: a new name that matches an entry in any case is taken, and
// a look-up finds the entry in whatever case it is stored.
class FakeRenameSystem : public RenameSystem {
public:
    FakeRenameSystem(const QByteArrayList& faults, bool ignoresCase) : m_ignoresCase(ignoresCase) {
        for (const QByteArray& fault : faults) {
            const auto eq = fault.indexOf('=');
            m_faults[fault.left(eq)] = kErrors.at(fault.mid(eq + 1));
        }
    }

    QByteArrayList calls;

    int Renameat2NoReplace(int dirfd, const char* from, const char* to) override {
        calls << "renameat2";
        if (const int err = Fault("renameat2"))
            return err;
        if (TakenIgnoringCase(dirfd, to))
            return EEXIST;
        if (const int err = Fault("renameat2", to))
            return err;
        return RenameSystem::Renameat2NoReplace(dirfd, from, to);
    }
    int Linkat(int dirfd, const char* from, const char* to) override {
        calls << "linkat";
        if (const int err = Fault("linkat"))
            return err;
        if (TakenIgnoringCase(dirfd, to))
            return EEXIST;
        if (const int err = Fault("linkat", to))
            return err;
        return RenameSystem::Linkat(dirfd, from, to);
    }
    int Unlinkat(int dirfd, const char* name) override {
        calls << "unlinkat";
        if (const int err = Fault("unlinkat"))
            return err;
        if (const int err = Fault("unlinkat", name))
            return err;
        return RenameSystem::Unlinkat(dirfd, name);
    }
    int Renameat(int dirfd, const char* from, const char* to) override {
        calls << "renameat";
        if (const int err = Fault("renameat"))
            return err;
        if (const int err = Fault("renameat", to))
            return err;
        return RenameSystem::Renameat(dirfd, from, to);
    }
    int Fstatat(int dirfd, const char* name, struct stat* st) override {
        return RenameSystem::Fstatat(dirfd, StoredSpelling(dirfd, name).constData(), st);
    }

private:
    // A fault of every call stands for a file system that lacks the feature and refuses before
    // looking at the names; a fault of the call on one name is a failure of that one step.
    int Fault(const QByteArray& call, const char* name = nullptr) const {
        const auto it = m_faults.find(name == nullptr ? call : call + '@' + name);
        return it == m_faults.end() ? 0 : it->second;
    }

    // The fake is only used with names of the folder itself.
    QByteArray StoredSpelling(int dirfd, const char* name) const {
        if (!m_ignoresCase || strchr(name, '/') != nullptr)
            return name;
        QByteArray found = name;
        DIR* dir = fdopendir(openat(dirfd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        while (const dirent* e = readdir(dir)) {
            if (EqualIgnoringAsciiCase(e->d_name, name)) {
                found = e->d_name;
                if (found == name)
                    break;
            }
        }
        closedir(dir);
        return found;
    }

    bool TakenIgnoringCase(int dirfd, const char* name) {
        struct stat st {};
        return m_ignoresCase && StoredSpelling(dirfd, name) != name &&
               RenameSystem::Fstatat(dirfd, StoredSpelling(dirfd, name).constData(), &st) == 0;
    }

    std::map<QByteArray, int> m_faults;
    bool m_ignoresCase;
};

} // namespace

class TestSafeRename : public QObject {
    Q_OBJECT

private slots:
    void rename_Should_NeverReplaceAnything_data();
    void rename_Should_NeverReplaceAnything();
    void fallbacks_Should_KeepEveryFile_When_StepsFail_data();
    void fallbacks_Should_KeepEveryFile_When_StepsFail();
};

void TestSafeRename::rename_Should_NeverReplaceAnything_data() {
    QTest::addColumn<QByteArrayList>("before");
    QTest::addColumn<QByteArray>("from");
    QTest::addColumn<QByteArray>("to");
    QTest::addColumn<int>("expected");
    QTest::addColumn<QByteArrayList>("after");

    QTest::newRow("plain rename") << QByteArrayList{"a.jpg=A", "b.jpg=B"} << QByteArray("a.jpg")
                                  << QByteArray("trip_001.jpg") << 0
                                  << QByteArrayList{"b.jpg=B", "trip_001.jpg=A"};
    QTest::newRow("existing target keeps its content")
        << QByteArrayList{"a=A", "b=B"} << QByteArray("a") << QByteArray("b") << EEXIST
        << QByteArrayList{"a=A", "b=B"};
    QTest::newRow("vanished source fails") << QByteArrayList{"b=B"} << QByteArray("a")
                                           << QByteArray("c") << ENOENT << QByteArrayList{"b=B"};
    QTest::newRow("slash in the new name moves into an existing subfolder")
        << QByteArrayList{"a=A", "sub/"} << QByteArray("a") << QByteArray("sub/001") << 0
        << QByteArrayList{"sub/", "sub/001=A"};
    QTest::newRow("missing subfolder fails")
        << QByteArrayList{"a=A"} << QByteArray("a") << QByteArray("sub/001") << ENOENT
        << QByteArrayList{"a=A"};
    QTest::newRow("existing file inside the subfolder is kept")
        << QByteArrayList{"a=A", "sub/", "sub/001=B"} << QByteArray("a") << QByteArray("sub/001")
        << EEXIST << QByteArrayList{"a=A", "sub/", "sub/001=B"};
    QTest::newRow("leading slash stays inside the folder")
        << QByteArrayList{"a=A"} << QByteArray("a") << QByteArray("/b") << 0
        << QByteArrayList{"b=A"};
    QTest::newRow("same name succeeds and changes nothing")
        << QByteArrayList{"a=A"} << QByteArray("a") << QByteArray("a") << 0
        << QByteArrayList{"a=A"};
    QTest::newRow("same name of a vanished file fails")
        << QByteArrayList{} << QByteArray("a") << QByteArray("a") << ENOENT << QByteArrayList{};
    QTest::newRow("another spelling of its own name succeeds")
        << QByteArrayList{"a=A"} << QByteArray("a") << QByteArray("./a") << 0
        << QByteArrayList{"a=A"};
    QTest::newRow("dangling symbolic link is not replaced")
        << QByteArrayList{"a=A", "b->nowhere"} << QByteArray("a") << QByteArray("b") << EEXIST
        << QByteArrayList{"a=A", "b->nowhere"};
    QTest::newRow("symbolic link to the file itself is not replaced")
        << QByteArrayList{"a=A", "b->a"} << QByteArray("a") << QByteArray("b") << EEXIST
        << QByteArrayList{"a=A", "b->a"};
    QTest::newRow("folder is not replaced")
        << QByteArrayList{"a=A", "b/", "b/x=X"} << QByteArray("a") << QByteArray("b") << EEXIST
        << QByteArrayList{"a=A", "b/", "b/x=X"};
    QTest::newRow("second hard link of the same file is refused")
        << QByteArrayList{"a=A", "b=>a"} << QByteArray("a") << QByteArray("b") << EEXIST
        << QByteArrayList{"a=A", "b=A"};
    QTest::newRow("name that is not UTF-8")
        << QByteArrayList{"\xff\xfe.JPG=A"} << QByteArray("\xff\xfe.JPG")
        << QByteArray("x_\xfe.jpg") << 0 << QByteArrayList{"x_\xfe.jpg=A"};
    QTest::newRow("new name too long fails")
        << QByteArrayList{"a=A"} << QByteArray("a") << QByteArray(300, 'x') << ENAMETOOLONG
        << QByteArrayList{"a=A"};
}

void TestSafeRename::rename_Should_NeverReplaceAnything() {
    QFETCH(QByteArrayList, before);
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, to);
    QFETCH(int, expected);
    QFETCH(QByteArrayList, after);

    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QByteArray root = QFile::encodeName(temp.path());
    const RemovedOnExit removed{root.toStdString()};
    MakeTree(root, before);

    const FolderHandle folder(root.toStdString());
    QVERIFY(folder.ok());
    QCOMPARE(RenameNoReplace(folder.fd(), from.toStdString(), to.toStdString()), expected);
    QCOMPARE(Snapshot(root), Sorted(after));
}

void TestSafeRename::fallbacks_Should_KeepEveryFile_When_StepsFail_data() {
    QTest::addColumn<QByteArrayList>("faults");
    QTest::addColumn<bool>("ignoresCase");
    QTest::addColumn<QByteArrayList>("before");
    QTest::addColumn<QByteArray>("from");
    QTest::addColumn<QByteArray>("to");
    QTest::addColumn<int>("expected");
    QTest::addColumn<QByteArrayList>("after");
    // The calls that change the folder, in order.
    QTest::addColumn<QByteArrayList>("calls");

    QTest::newRow("no RENAME_NOREPLACE: link then unlink")
        << QByteArrayList{"renameat2=EINVAL"} << false << QByteArrayList{"a=A"} << QByteArray("a")
        << QByteArray("b") << 0 << QByteArrayList{"b=A"}
        << QByteArrayList{"renameat2", "linkat", "unlinkat"};
    QTest::newRow("no renameat2 and a taken name: refused at the link")
        << QByteArrayList{"renameat2=ENOSYS"} << false << QByteArrayList{"a=A", "b=B"}
        << QByteArray("a") << QByteArray("b") << EEXIST << QByteArrayList{"a=A", "b=B"}
        << QByteArrayList{"renameat2", "linkat"};
    QTest::newRow("no hard links: checked rename as the last resort")
        << QByteArrayList{"renameat2=EINVAL", "linkat=EPERM"} << false << QByteArrayList{"a=A"}
        << QByteArray("a") << QByteArray("b") << 0 << QByteArrayList{"b=A"}
        << QByteArrayList{"renameat2", "linkat", "renameat"};
    QTest::newRow("no hard links and a taken name: never reaches renameat")
        << QByteArrayList{"renameat2=EINVAL", "linkat=EOPNOTSUPP"} << false
        << QByteArrayList{"a=A", "b=B"} << QByteArray("a") << QByteArray("b") << EEXIST
        << QByteArrayList{"a=A", "b=B"} << QByteArrayList{"renameat2", "linkat"};
    QTest::newRow("no hard links and a dangling link: never reaches renameat")
        << QByteArrayList{"renameat2=ENOSYS", "linkat=ENOSYS"} << false
        << QByteArrayList{"a=A", "b->gone"} << QByteArray("a") << QByteArray("b") << EEXIST
        << QByteArrayList{"a=A", "b->gone"} << QByteArrayList{"renameat2", "linkat"};
    QTest::newRow("failed unlink removes the new link again")
        << QByteArrayList{"renameat2=EINVAL", "unlinkat@a=EACCES"} << false << QByteArrayList{"a=A"}
        << QByteArray("a") << QByteArray("b") << EACCES << QByteArrayList{"a=A"}
        << QByteArrayList{"renameat2", "linkat", "unlinkat", "unlinkat"};
    QTest::newRow("cross-device move fails, nothing copied")
        << QByteArrayList{"renameat2=EXDEV"} << false << QByteArrayList{"a=A"} << QByteArray("a")
        << QByteArray("b") << EXDEV << QByteArrayList{"a=A"} << QByteArrayList{"renameat2"};
    QTest::newRow("link refused for another reason fails")
        << QByteArrayList{"renameat2=EINVAL", "linkat=EACCES"} << false << QByteArrayList{"a=A"}
        << QByteArray("a") << QByteArray("b") << EACCES << QByteArrayList{"a=A"}
        << QByteArrayList{"renameat2", "linkat"};
    QTest::newRow("letter-case alias goes through a temporary name")
        << QByteArrayList{} << true << QByteArrayList{"001.JPG=A", "x=X"} << QByteArray("001.JPG")
        << QByteArray("001.jpg") << 0 << QByteArrayList{"001.jpg=A", "x=X"}
        << QByteArrayList{"renameat2", "renameat2", "renameat2"};
    QTest::newRow("letter-case alias gets its old name back when the second step fails")
        << QByteArrayList{"renameat2@001.jpg=EIO"} << true << QByteArrayList{"001.JPG=A"}
        << QByteArray("001.JPG") << QByteArray("001.jpg") << EIO << QByteArrayList{"001.JPG=A"}
        << QByteArrayList{"renameat2", "renameat2", "renameat2", "renameat2"};
    QTest::newRow("letter-case alias without renameat2 or hard links")
        << QByteArrayList{"renameat2=EINVAL", "linkat=EPERM"} << true << QByteArrayList{"001.JPG=A"}
        << QByteArray("001.JPG") << QByteArray("001.jpg") << 0 << QByteArrayList{"001.jpg=A"}
        << QByteArrayList{"renameat2", "linkat",    "renameat2", "linkat",
                          "renameat",  "renameat2", "linkat",    "renameat"};
    QTest::newRow("another file matching in any case is refused")
        << QByteArrayList{} << true << QByteArrayList{"001.JPG=A", "x.jpg=B"} << QByteArray("x.jpg")
        << QByteArray("001.jpg") << EEXIST << QByteArrayList{"001.JPG=A", "x.jpg=B"}
        << QByteArrayList{"renameat2"};
    QTest::newRow("same file listed under exactly the new name is a hard link, refused")
        << QByteArrayList{} << true << QByteArrayList{"a.JPG=A", "a.jpg=>a.JPG"}
        << QByteArray("a.JPG") << QByteArray("a.jpg") << EEXIST
        << QByteArrayList{"a.JPG=A", "a.jpg=A"} << QByteArrayList{"renameat2"};
}

void TestSafeRename::fallbacks_Should_KeepEveryFile_When_StepsFail() {
    QFETCH(QByteArrayList, faults);
    QFETCH(bool, ignoresCase);
    QFETCH(QByteArrayList, before);
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, to);
    QFETCH(int, expected);
    QFETCH(QByteArrayList, after);
    QFETCH(QByteArrayList, calls);

    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QByteArray root = QFile::encodeName(temp.path());
    MakeTree(root, before);

    const FolderHandle folder(root.toStdString());
    QVERIFY(folder.ok());
    FakeRenameSystem sys(faults, ignoresCase);
    QCOMPARE(RenameNoReplace(folder.fd(), from.toStdString(), to.toStdString(), sys), expected);
    QCOMPARE(Snapshot(root), Sorted(after));
    QCOMPARE(sys.calls, calls);
}

QTEST_GUILESS_MAIN(TestSafeRename)
#include "tst_saferename.moc"
