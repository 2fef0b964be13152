#include "settings/ProfileFile.h"
#include "settings/SettingsKeys.h"

#include <QtTest>

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

std::string Put(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    file.remove();
    if (!bytes.isNull() && file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path.toStdString();
}

bool Save(const std::string& path, const QByteArray& value) {
    return WriteProfileValues(path, {{"s", "k", value.toStdString()}});
}

QByteArray Read(const std::string& path, const char* section = "s") {
    return QByteArray::fromStdString(ReadProfileString(path, section, "k", "-"));
}

QByteArray Text(const SavedSettings& s) {
    return QByteArray::fromStdString(s.folder + "|" + s.startNumber + "|" + s.filter + "|" +
                                     std::to_string(s.lowerExt));
}

void Row(const char* what, const QByteArray& first, const QByteArray& second) {
    QTest::newRow(what) << first << second;
}

enum class Setup { File, NoFile, UnreadableFile, ReadOnlyFile, DiskFull };

} // namespace

class TestProfileFile : public QObject {
    Q_OBJECT

    QString Path() const { return m_dir.filePath("Qorv.ini"); }
    QTemporaryDir m_dir;

private slots:
    void readGivesValueOrDefaultAndSurvivesResave_data() {
        QTest::addColumn<QByteArray>("file"); // null: no file
        QTest::addColumn<QByteArray>("read"); // of s/k, default "-"
        Row("no file", QByteArray(), "-");
        Row("key without equals has no value", "[s]\nk\nk=x", "-");
        Row("empty value is not the default", "[s]\nk=", "");
        Row("names in any ASCII case, blanks trimmed", " [ S ] \n\t K =  a b \t", "a b");
        Row("first matching key wins", "[s]\nk=1\nk=2", "1");
        Row("first matching section only", "[s]\nj=1\n[s]\nk=2", "-");
        Row("one pair of quotes stripped", "[s]\nk=\"\"a\"\"", "\"a\"");
        Row("quoted blanks at both ends", "[s]\nk=\" \ta \"", " \ta ");
        Row("mismatched quotes kept", "[s]\nk=\"a'", "\"a'");
        Row("CR LF and byte-order mark", "\xEF\xBB\xBF[s]\r\nk=x\r\n", "x");
        Row("cut to 4095 bytes, never inside a character", "[s]\nk=a" + "写"_ba.repeated(1700),
            "a" + "写"_ba.repeated(1364));
    }

    void readGivesValueOrDefaultAndSurvivesResave() {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, read);
        const std::string path = Put(Path(), file);
        QCOMPARE(Read(path), read);
        // A line break ends a saved value: it can neither add a line nor hide what follows.
        QVERIFY(Save(path, read + "\n[x]\nk=0"));
        QCOMPARE(Read(path), read);
        QCOMPARE(Read(path, "x"), "-");
    }

    void saveChangesOnlyItsOwnLine_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after"); // s/k set to "v"
        Row("value replaced, spelling, spacing and other lines kept",
            ";c\n\n[t]\nk=1\n\n[S]\n  K = old  \nj=2\n", ";c\n\n[t]\nk=1\n\n[S]\n  K = v  \nj=2\n");
        Row("key without equals gets its value", "[s]\nk\n", "[s]\nk=v\n");
        Row("new key after last entry of first section", "[s]\nj=1\n\n;c\n[s]\nk=2\n",
            "[s]\nj=1\nk=v\n\n;c\n[s]\nk=2\n");
        Row("new section takes the first line's end", "\xEF\xBB\xBF[t]\r\nj=1\n",
            "\xEF\xBB\xBF[t]\r\nj=1\n[s]\r\nk=v\r\n");
        Row("last line without line end stays so", "[s]\nj=1", "[s]\nj=1\nk=v");
    }

    void saveChangesOnlyItsOwnLine() {
        QFETCH(QByteArray, before);
        QVERIFY(Save(Put(Path(), before), "v"));
        QTEST(ReadAll(Path()), "after");
    }

    // Qorv.ini is a link to a link to the file in another folder.
    void saveReplacesTheFileBehindLinksOrLeavesIt_data() {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<int>("mode"); // under umask 027
        QTest::newRow("existing file's bits kept") << Setup::File << ";c\n[s]\nk=v\n"_ba << 0644;
        QTest::newRow("new file follows the umask") << Setup::NoFile << "[s]\nk=v\n"_ba << 0640;
        QTest::newRow("unreadable file not overwritten")
            << Setup::UnreadableFile << ";c\n"_ba << 0200;
        QTest::newRow("read-only file not overwritten") << Setup::ReadOnlyFile << ";c\n"_ba << 0444;
        QTest::newRow("disk full part-way: old file") << Setup::DiskFull << ";c\n"_ba << 0644;
    }

    void saveReplacesTheFileBehindLinksOrLeavesIt() {
        QFETCH(Setup, setup);
        QTemporaryDir dir;
        const QString target = dir.filePath("real/Qorv.ini");
        const QString link = dir.filePath("Qorv.ini");
        QVERIFY(QDir(dir.path()).mkdir("real"));
        Put(target, setup == Setup::NoFile ? QByteArray() : ";c\n"_ba);
        chmod(target.toUtf8(), setup == Setup::UnreadableFile ? 0200
                               : setup == Setup::ReadOnlyFile ? 0444
                                                              : 0644);
        if (geteuid() == 0 && setup != Setup::NoFile)
            QVERIFY(chown(target.toUtf8(), 65534, 65534) == 0);
        chmod(dir.path().toUtf8(), 0755);
        chmod(dir.filePath("real").toUtf8(), 0777);
        QVERIFY(symlink("real/Qorv.ini", dir.filePath("second").toUtf8()) == 0);
        QVERIFY(symlink("second", link.toUtf8()) == 0);
        // A file size limit fills the disk; root, whom no permission stops, saves as nobody.
        rlimit normal{};
        getrlimit(RLIMIT_FSIZE, &normal);
        const rlimit full{1, normal.rlim_max};
        std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, setup == Setup::DiskFull ? &full : &normal);
        const mode_t mask = umask(027);
        const uid_t user = geteuid();
        QVERIFY(seteuid(user == 0 ? 65534 : user) == 0);
        const bool saved = Save(link.toStdString(), "v");
        QVERIFY(seteuid(user) == 0);
        umask(mask);
        setrlimit(RLIMIT_FSIZE, &normal);
        QCOMPARE(saved, setup <= Setup::NoFile);
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(QDir(dir.filePath("real")).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"Qorv.ini"});
        struct stat status {};
        QVERIFY(stat(target.toUtf8(), &status) == 0);
        QTEST(int(status.st_mode & 07777), "mode");
        chmod(target.toUtf8(), 0644);
        QTEST(ReadAll(target), "after");
    }

    void settingsLoadStoredOrDefaultAndSurviveSave_data() {
        QTest::addColumn<QByteArray>("file");   // null: no file
        QTest::addColumn<QByteArray>("loaded"); // folder|startNumber|filter|lowerExt
        Row("no file", QByteArray(), "/wd|001|*.*|1");
        Row("all stored, other sections ignored",
            "[Data]\nFolder=/p/\nStartNumber=0１\nKaku=*.jpg\n[X]\nKaku=x\n"
            "[Config]\nSmallCheck=-0x1F",
            "/p/|0１|*.jpg|-31");
        Row("integer wraps modulo 2^32, not saturated", "[Config]\nSmallCheck=18446744073709551621",
            "/wd|001|*.*|5");
        Row("lone carriage return ends the value", "[Data]\nKaku=*.*\rjunk\n", "/wd|001|*.*|1");
    }

    void settingsLoadStoredOrDefaultAndSurviveSave() {
        QFETCH(QByteArray, file);
        const std::string path = Put(Path(), file);
        const SavedSettings loaded = LoadSettings(path, "/wd");
        QTEST(Text(loaded), "loaded");
        QVERIFY(SaveSettings(path, loaded));
        QTEST(Text(LoadSettings(path, "/other")), "loaded");
    }
};

QTEST_GUILESS_MAIN(TestProfileFile)
#include "tst_profilefile.moc"
