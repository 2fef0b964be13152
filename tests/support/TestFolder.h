#pragma once

#include <QDir>
#include <QMetaType>
#include <QTemporaryDir>
#include <QtGlobal>

#include <string>

namespace quorvel::test {

// What a test may expect of the file system it runs on. tests/support/fsimage.sh mounts a FAT,
// exFAT or NTFS image and names it in QUORVEL_TEST_FS, with the mount in QUORVEL_TEST_FOLDER;
// without them the tests run in the temporary folder (ext4 or tmpfs).
struct FileSystem {
    const char* name;
    bool ignoresCase;
    bool hardLinks;
    bool symbolicLinks;
    bool anyBytes; // names that are not UTF-8: the FUSE drivers refuse them
};

inline FileSystem TestFileSystem() {
    const QByteArray name = qgetenv("QUORVEL_TEST_FS");
    if (name == "fat")
        return {"fat", true, false, false, false};
    if (name == "exfat")
        return {"exfat", true, false, false, false};
    if (name == "ntfs") // ntfs-3g keeps the POSIX namespace, where letter case counts
        return {"ntfs", false, true, true, false};
    if (!name.isEmpty())
        qFatal("QUORVEL_TEST_FS names no file system of ours: %s", name.constData());
    return {"local", false, true, true, true};
}

// What a test row needs of the file system it runs on.
enum class Needs { Anything, IgnoresCase, KeepsCase, HardLinks, SymbolicLinks, AnyBytes };

inline bool Applies(Needs needs, const FileSystem& fs) {
    switch (needs) {
    case Needs::Anything:
        return true;
    case Needs::IgnoresCase:
        return fs.ignoresCase;
    case Needs::KeepsCase:
        return !fs.ignoresCase;
    case Needs::HardLinks:
        return fs.hardLinks;
    case Needs::SymbolicLinks:
        return fs.symbolicLinks;
    case Needs::AnyBytes:
        return fs.anyBytes;
    }
    return false;
}

// A fresh folder on the test file system, removed with its content afterwards.
class TestFolder {
public:
    TestFolder() : m_dir(Template()) {
        if (!m_dir.isValid())
            qFatal("cannot make a folder in %s", qPrintable(Template()));
    }
    std::string path() const { return m_dir.path().toStdString(); }
    QString qpath() const { return m_dir.path(); }

private:
    static QString Template() {
        const QString mounted = qEnvironmentVariable("QUORVEL_TEST_FOLDER");
        return (mounted.isEmpty() ? QDir::tempPath() : mounted) + "/quorvel-XXXXXX";
    }

    QTemporaryDir m_dir;
};

} // namespace quorvel::test

Q_DECLARE_METATYPE(quorvel::test::Needs)
