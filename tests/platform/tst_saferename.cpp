#include "platform/SafeRename.h"

#include <QtTest>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <strings.h>

using namespace quorvel;
namespace fs = std::filesystem;

namespace {

// A folder's entries, space-separated and sorted: "name=content" a file, "name->target" a symbolic
// link.
void MakeTree(const fs::path& root, const QByteArray& entries) {
    for (const QByteArray& entry : entries.split(' ')) {
        const auto at = [&](qsizetype end) { return root / entry.left(end).toStdString(); };
        if (const auto arrow = entry.indexOf("->"); arrow > 0)
            fs::create_symlink(entry.mid(arrow + 2).toStdString(), at(arrow));
        else if (!entry.isEmpty())
            std::ofstream(at(entry.indexOf('='))) << entry.mid(entry.indexOf('=') + 1).data();
    }
}

QByteArray Snapshot(const fs::path& root) {
    QByteArrayList out;
    for (const fs::directory_entry& e : fs::directory_iterator(root)) {
        std::string entry = e.path().filename();
        std::ifstream in(e.path());
        if (e.is_symlink())
            entry += "->" + fs::read_symlink(e.path()).string();
        else
            entry += "=" + std::string(std::istreambuf_iterator(in), {});
        out << QByteArray::fromStdString(entry);
    }
    std::sort(out.begin(), out.end());
    return out.join(' ');
}

// A call ("linkat") or a call on a name ("renameat2@b") and the error it fails with. "nocase" plays
// a file system that ignores letter case: it finds an entry by a name in any case.
using Faults = QMap<QByteArray, int>;

class FakeRenameSystem : public RenameSystem {
public:
    FakeRenameSystem(const fs::path& root, const Faults& faults) : m_root(root), m_faults(faults) {}

    int Renameat2NoReplace(int fd, const char* from, const char* to) override {
        return Step("renameat2", to,
                    [&] { return RenameSystem::Renameat2NoReplace(fd, from, to); });
    }
    int Linkat(int fd, const char* from, const char* to) override {
        return Step("linkat", to, [&] { return RenameSystem::Linkat(fd, from, to); });
    }
    int Unlinkat(int fd, const char* name) override {
        return Step("unlinkat", name, [&] { return RenameSystem::Unlinkat(fd, name); });
    }
    int Renameat(int fd, const char* from, const char* to) override {
        return Step("renameat", to, [&] { return RenameSystem::Renameat(fd, from, to); });
    }
    int Fstatat(int fd, const char* name, struct stat* st) override {
        return RenameSystem::Fstatat(fd, Stored(name).c_str(), st);
    }

private:
    template <class Real> int Step(const QByteArray& call, const char* name, Real real) {
        // The calls that never replace refuse a name held by an entry in other letter case.
        const bool taken = call != "renameat" && call != "unlinkat" && Stored(name) != name;
        const int err = m_faults.value(call, taken ? EEXIST : m_faults.value(call + '@' + name));
        return err != 0 ? err : real();
    }

    std::string Stored(const char* name) const {
        if (m_faults.contains("nocase") && !fs::exists(fs::symlink_status(m_root / name)))
            for (const fs::directory_entry& entry : fs::directory_iterator(m_root))
                if (strcasecmp(entry.path().filename().c_str(), name) == 0)
                    return entry.path().filename();
        return name;
    }

    fs::path m_root;
    Faults m_faults;
};

// Every row renames "a".
void Row(const char* what, const char* before, const char* to, int expected, const char* after,
         const Faults& faults = {}) {
    QTest::newRow(what) << QByteArray(before) << QByteArray(to) << expected << QByteArray(after)
                        << faults;
}

} // namespace

class TestSafeRename : public QObject {
    Q_OBJECT

private slots:
    void renameNeverReplacesAnything_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<int>("expected");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<Faults>("faults");
        Row("plain rename", "a=A b=B", "trip_001.jpg", 0, "b=B trip_001.jpg=A");
        Row("taken name keeps its content", "a=A b=B", "b", EEXIST, "a=A b=B");
        Row("leading slash stays inside the folder", "a=A", "/b", 0, "b=A");
        Row("same name of a vanished file fails", "", "a", ENOENT, "");
        Row("no RENAME_NOREPLACE: link then unlink", "a=A", "b", 0, "b=A", {{"renameat2", EINVAL}});
        Row("no hard links: checked rename", "a=A", "b", 0, "b=A",
            {{"renameat2", EINVAL}, {"linkat", EPERM}});
        Row("no hard links and a dangling link", "a=A b->gone", "b", EEXIST, "a=A b->gone",
            {{"renameat2", ENOSYS}, {"linkat", ENOSYS}});
        Row("failed unlink removes the new link again", "a=A", "b", EACCES, "a=A",
            {{"renameat2", EINVAL}, {"unlinkat@a", EACCES}});
        Row("letter-case alias goes through a temporary name", "a=A x=X", "A", 0, "A=A x=X",
            {{"nocase", 1}});
        Row("letter-case alias gets its old name back on failure", "a=A", "A", EIO, "a=A",
            {{"nocase", 1}, {"renameat2@A", EIO}});
        Row("another file matching in any case is refused", "X=X a=A", "x", EEXIST, "X=X a=A",
            {{"nocase", 1}});
    }

    void renameNeverReplacesAnything() {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, to);
        QFETCH(Faults, faults);
        const QTemporaryDir dir;
        const fs::path root = dir.path().toStdString();
        MakeTree(root, before);
        const FolderHandle folder(root);
        FakeRenameSystem sys(root, faults);
        QTEST(RenameNoReplace(folder.fd(), "a", to.toStdString(), sys), "expected");
        QTEST(Snapshot(root), "after");
    }
};

QTEST_GUILESS_MAIN(TestSafeRename)
#include "tst_saferename.moc"
