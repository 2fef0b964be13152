#include "settings/ProfileFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace quorvel;
using namespace Qt::StringLiterals;

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A null content leaves no file at all.
std::string Put(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    file.remove();
    if (!bytes.isNull() && file.open(QIODevice::WriteOnly)) {
        file.write(bytes);
    }
    return path.toStdString();
}

bool Save(const QString& path, const std::string& value) {
    return WriteProfileValues(path.toStdString(), {{"s", "k", value}});
}

// Lets a write fail part-way through, as a full disk would, without needing one.
struct FileSizeLimit {
    rlimit old{};
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit limit = old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old); }
};

enum class Failure { ReadOnlyFolder, UnreadableFile, DiskFull, TargetIsFolder, NoFolder };

} // namespace

class TestProfileFile : public QObject {
    Q_OBJECT
private slots:
    void valueSurvivesSaveAndLoad_data();
    void valueSurvivesSaveAndLoad();
    void readGivesValueOrDefault_data();
    void readGivesValueOrDefault();
    void readsIntegerAsClassicProfile_data();
    void readsIntegerAsClassicProfile();
    void saveChangesOnlyItsOwnLine_data();
    void saveChangesOnlyItsOwnLine();
    void failedSaveLeavesOldFileAndNoTemporary_data();
    void failedSaveLeavesOldFileAndNoTemporary();
    void saveThroughSymlinkReplacesItsTarget_data();
    void saveThroughSymlinkReplacesItsTarget();
    void saveKeepsPermissionBits_data();
    void saveKeepsPermissionBits();

private:
    QTemporaryDir m_dir;
};

void TestProfileFile::valueSurvivesSaveAndLoad_data() {
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QByteArray>("loaded");
    const QByteArray kanji = "写"_ba.repeated(1700);
    QTest::newRow("empty") << ""_ba
                           << ""_ba;
    QTest::newRow("blanks at both ends") << " \ta "_ba
                                         << " \ta "_ba;
    QTest::newRow("percent and Japanese") << "100% 旅行"_ba
                                          << "100% 旅行"_ba;
    QTest::newRow("double quotes at both ends") << "\"a\""_ba
                                                << "\"a\""_ba;
    QTest::newRow("single quotes at both ends") << "'a'"_ba
                                                << "'a'"_ba;
    QTest::newRow("quote at one end") << "\"a"_ba
                                      << "\"a"_ba;
    QTest::newRow("4095 bytes") << QByteArray(4095, 'x') << QByteArray(4095, 'x');
    QTest::newRow("5000 bytes load cut") << QByteArray(5000, 'x') << QByteArray(4095, 'x');
    QTest::newRow("cut never splits a character") << "a"_ba + kanji << "a"_ba + kanji.left(4092);
    QTest::newRow("CR LF ends the value") << "a\r\nb"_ba
                                          << "a"_ba;
    QTest::newRow("line break cannot add a key") << "a\n[t]\nk=0"_ba
                                                 << "a"_ba;
}

void TestProfileFile::valueSurvivesSaveAndLoad() {
    QFETCH(QByteArray, value);
    const std::string path = Put(m_dir.filePath("round.ini"), {});
    QVERIFY(WriteProfileValues(path, {{"s", "k", value.toStdString()}, {"s", "k2", "b"}}));
    QTEST(QByteArray::fromStdString(ReadProfileString(path, "s", "k", "-")), "loaded");
    QCOMPARE(ReadProfileString(path, "s", "k2", "-"), "b");
    QCOMPARE(ReadProfileString(path, "t", "k", "-"), "-");
}

void TestProfileFile::readGivesValueOrDefault_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("read"); // of s/k, default "-"
    QTest::newRow("no file") << QByteArray() << "-"_ba;
    QTest::newRow("missing section") << "[t]\nk=x"_ba
                                     << "-"_ba;
    QTest::newRow("missing key") << "[s]\nj=x"_ba
                                 << "-"_ba;
    QTest::newRow("empty value is not the default") << "[s]\nk="_ba
                                                    << ""_ba;
    QTest::newRow("key without equals has no value") << "[s]\nk\nk=x"_ba
                                                     << "-"_ba;
    QTest::newRow("names in any ASCII case") << "[S]\nK=x"_ba
                                             << "x"_ba;
    QTest::newRow("blanks around names and value") << " [ s ] \n\t k =  a b \t"_ba
                                                   << "a b"_ba;
    QTest::newRow("first matching key wins") << "[s]\nk=1\nk=2"_ba
                                             << "1"_ba;
    QTest::newRow("first matching section wins") << "[s]\nj=1\n[s]\nk=2"_ba
                                                 << "-"_ba;
    QTest::newRow("key before any section") << "k=x\n[s]"_ba
                                            << "-"_ba;
    QTest::newRow("comment line") << "[s]\n;k=x"_ba
                                  << "-"_ba;
    QTest::newRow("section name to its last bracket") << "[s] ] x\nk=1\n[s]\nk=2"_ba
                                                      << "2"_ba;
    QTest::newRow("split at first equals") << "[s]\nk=a=b"_ba
                                           << "a=b"_ba;
    QTest::newRow("one pair of quotes stripped") << "[s]\nk=\"\"a\"\""_ba
                                                 << "\"a\""_ba;
    QTest::newRow("mismatched quotes kept") << "[s]\nk=\"a'"_ba
                                            << "\"a'"_ba;
    QTest::newRow("CR LF and byte-order mark") << "\xEF\xBB\xBF[s]\r\nk=x\r\n"_ba
                                               << "x"_ba;
}

void TestProfileFile::readGivesValueOrDefault() {
    QFETCH(QByteArray, file);
    const std::string path = Put(m_dir.filePath("read.ini"), file);
    QTEST(QByteArray::fromStdString(ReadProfileString(path, "s", "k", "-")), "read");
}

void TestProfileFile::readsIntegerAsClassicProfile_data() {
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("read"); // default 42
    QTest::newRow("decimal") << "5"_ba << 5;
    QTest::newRow("minus") << "-1"_ba << -1;
    QTest::newRow("plus") << "+3"_ba << 3;
    QTest::newRow("not a number") << "abc"_ba << 0;
    QTest::newRow("digits then text") << "5abc"_ba << 5;
    QTest::newRow("leading blanks inside quotes") << "\" 7\""_ba << 7;
    QTest::newRow("hexadecimal") << "-0x1F"_ba << -31;
    QTest::newRow("upper-case X is no prefix") << "0X1F"_ba << 0;
    QTest::newRow("wraps past 2^32") << "4294967297"_ba << 1;
    QTest::newRow("wraps into negative") << "0xFFFFFFFF"_ba << -1;
    QTest::newRow("empty gives default") << ""_ba << 42;
}

void TestProfileFile::readsIntegerAsClassicProfile() {
    QFETCH(QByteArray, value);
    const std::string path = Put(m_dir.filePath("int.ini"), "[s]\nk=" + value);
    QTEST(ReadProfileInt(path, "s", "k", 42), "read");
}

void TestProfileFile::saveChangesOnlyItsOwnLine_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after"); // s/k set to "v"
    QTest::newRow("value replaced, spelling, spacing and other lines kept")
        << ";c\n\n[t]\nk=1\n\n[S]\n  K = old  \nj=2\n"_ba
        << ";c\n\n[t]\nk=1\n\n[S]\n  K = v  \nj=2\n"_ba;
    QTest::newRow("key without equals gets its value") << "[s]\nk\n"_ba
                                                       << "[s]\nk=v\n"_ba;
    QTest::newRow("first of two keys") << "[s]\nk=1\nk=2\n"_ba
                                       << "[s]\nk=v\nk=2\n"_ba;
    QTest::newRow("new key after last entry of first section")
        << "[s]\nj=1\n\n;c\n[s]\nk=2\n"_ba
        << "[s]\nj=1\nk=v\n\n;c\n[s]\nk=2\n"_ba;
    QTest::newRow("new section at the end") << "[t]\n"_ba
                                            << "[t]\n[s]\nk=v\n"_ba;
    QTest::newRow("new file gets LF") << QByteArray() << "[s]\nk=v\n"_ba;
    QTest::newRow("new line takes the first line's end")
        << "\xEF\xBB\xBF[t]\r\nj=1\n"_ba
        << "\xEF\xBB\xBF[t]\r\nj=1\n[s]\r\nk=v\r\n"_ba;
    QTest::newRow("last line without line end stays so") << "[s]\nj=1"_ba
                                                         << "[s]\nj=1\nk=v"_ba;
}

void TestProfileFile::saveChangesOnlyItsOwnLine() {
    QFETCH(QByteArray, before);
    const QString path = m_dir.filePath("keep.ini");
    Put(path, before);
    QVERIFY(Save(path, "v"));
    QTEST(ReadAll(path), "after");
}

void TestProfileFile::failedSaveLeavesOldFileAndNoTemporary_data() {
    QTest::addColumn<Failure>("failure");
    QTest::newRow("read-only folder") << Failure::ReadOnlyFolder;
    QTest::newRow("unreadable file not overwritten") << Failure::UnreadableFile;
    QTest::newRow("disk full part-way") << Failure::DiskFull;
    QTest::newRow("Qorv.ini is a folder") << Failure::TargetIsFolder;
    QTest::newRow("folder does not exist") << Failure::NoFolder;
}

void TestProfileFile::failedSaveLeavesOldFileAndNoTemporary() {
    QFETCH(Failure, failure);
    if (geteuid() == 0 &&
        (failure == Failure::ReadOnlyFolder || failure == Failure::UnreadableFile)) {
        QSKIP("permissions do not stop root");
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(failure == Failure::NoFolder ? "no/Qorv.ini" : "Qorv.ini");
    const bool hasFile = failure != Failure::TargetIsFolder && failure != Failure::NoFolder;
    const QByteArray old = hasFile ? "[s]\nk=old\n"_ba : QByteArray();
    Put(path, old);
    QVERIFY(failure != Failure::TargetIsFolder || QDir(dir.path()).mkdir("Qorv.ini"));
    const QByteArray locked =
        QFile::encodeName(failure == Failure::UnreadableFile ? path : dir.path());
    if (failure == Failure::ReadOnlyFolder || failure == Failure::UnreadableFile) {
        QVERIFY(chmod(locked.constData(), failure == Failure::ReadOnlyFolder ? 0555 : 0200) == 0);
    }
    bool saved = false;
    {
        const FileSizeLimit limit(failure == Failure::DiskFull ? 4096 : RLIM_INFINITY);
        saved = Save(path, std::string(9000, 'x'));
    }
    chmod(locked.constData(), 0700);
    QVERIFY(!saved);
    QCOMPARE(ReadAll(path), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             failure == Failure::NoFolder ? QStringList() : QStringList{"Qorv.ini"});
}

void TestProfileFile::saveThroughSymlinkReplacesItsTarget_data() {
    QTest::addColumn<QByteArray>("before"); // null: the link points at no file yet
    QTest::newRow("relative link to a link to the file") << ";c\n"_ba;
    QTest::newRow("link to a file not yet there") << QByteArray();
}

void TestProfileFile::saveThroughSymlinkReplacesItsTarget() {
    QFETCH(QByteArray, before);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("real"));
    const QString target = dir.filePath("real/Qorv.ini");
    Put(target, before);
    const QString link = dir.filePath("Qorv.ini");
    QVERIFY(symlink("real/Qorv.ini", QFile::encodeName(dir.filePath("second")).constData()) == 0);
    QVERIFY(symlink("second", QFile::encodeName(link).constData()) == 0);
    QVERIFY(Save(link, "v"));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(ReadAll(target), before + "[s]\nk=v\n");
    QCOMPARE(QDir(dir.filePath("real")).entryList(QDir::Files | QDir::Hidden),
             QStringList{"Qorv.ini"});
}

void TestProfileFile::saveKeepsPermissionBits_data() {
    QTest::addColumn<int>("existingMode"); // -1: no file yet
    QTest::addColumn<int>("savedMode");
    QTest::newRow("existing file's bits kept") << 0604 << 0604;
    QTest::newRow("new file follows the umask 027") << -1 << 0640;
}

void TestProfileFile::saveKeepsPermissionBits() {
    QFETCH(int, existingMode);
    const QString path = m_dir.filePath("mode.ini");
    Put(path, existingMode < 0 ? QByteArray() : "[s]\n"_ba);
    QVERIFY(existingMode < 0 || chmod(QFile::encodeName(path).constData(), existingMode) == 0);
    const mode_t oldMask = umask(027);
    const bool saved = Save(path, "v");
    umask(oldMask);
    QVERIFY(saved);
    struct stat status {};
    QVERIFY(stat(QFile::encodeName(path).constData(), &status) == 0);
    QTEST(static_cast<int>(status.st_mode & 07777), "savedMode");
}

QTEST_GUILESS_MAIN(TestProfileFile)
#include "tst_profilefile.moc"
