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

QByteArray Read(const std::string& path, const char* section = "s", const QByteArray& def = "-") {
    return QByteArray::fromStdString(ReadProfileString(path, section, "k", def.toStdString()));
}

enum class Setup { File, NoFile, UnreadableFile, ReadOnlyFile, DiskFull };

} // namespace

class TestProfileFile : public QObject {
    Q_OBJECT

    QString Path() const { return m_dir.filePath("Qorv.ini"); }
    QTemporaryDir m_dir;

private slots:
    void readGivesValueOrDefaultAndSurvivesResave_data() {
        QTest::addColumn<QByteArray>("file");    // null: no file
        QTest::addColumn<QByteArray>("def"); // the default of s/k
        QTest::addColumn<QByteArray>("read");
        const auto row = [](const char* what, const QByteArray& file, const QByteArray& read,
                            const QByteArray& def = "-") {
            QTest::newRow(what) << file << def << read;
        };
        row("no file", QByteArray(), "-");
        row("key without equals has no value", "[s]\nk\nk=x", "-");
        row("empty value is not the default", "[s]\nk=", "");
        row("names in any ASCII case, blanks trimmed", " [ S ] \n\t K =  a b \t", "a b");
        row("first matching key wins", "[s]\nk=1\nk=2", "1");
        row("first matching section only", "[s]\nj=1\n[s]\nk=2", "-");
        row("section line without ] is no section", "[s\nk=1\n[s]\nk=2", "2");
        row("one pair of quotes stripped", "[s]\nk=\"\"a\"\"", "\"a\"");
        row("quoted blanks at both ends", "[s]\nk=\" \ta \"", " \ta ");
        row("mismatched quotes kept", "[s]\nk=\"a'", "\"a'");
        row("CR LF and byte-order mark", "\xEF\xBB\xBF[s]\r\nk=x\r\n", "x");
        row("a carriage return alone ends a line", "[t]\rk=y\r[s]\rj=1\rk=x\rjunk", "x");
        row("missing key: the default loses its trailing spaces", "[s]\nj=1", "one two",
            "one two  ");
        row("only spaces: a trailing tab stays", QByteArray(), " d\t", " d\t");
        row("cut to 4095 Shift-JIS bytes, never inside a character",
            "[s]\nk=a" + "写"_ba.repeated(2100), "a" + "写"_ba.repeated(2047));
        row("Shift-JIS bytes: a pair is never split", "[s]\nk=" + "\x8e\xca"_ba.repeated(2100),
            "\x8e\xca"_ba.repeated(2047));
        row("a long default is cut as well", QByteArray(), QByteArray(4095, 'x'),
            QByteArray(5000, 'x'));
    }

    void readGivesValueOrDefaultAndSurvivesResave() {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, def);
        QFETCH(QByteArray, read);
        const std::string path = Put(Path(), file);
        QCOMPARE(Read(path, "s", def), read);
        // A line break ends a saved value: it can neither add a line nor hide what follows.
        QVERIFY(Save(path, read + "\n[x]\nk=0"));
        QCOMPARE(Read(path, "s", def), read);
        QCOMPARE(Read(path, "x"), "-");
    }

    void readsIntegersAsThePlatform_data() {
        QTest::addColumn<QByteArray>("value"); // of s/k; null: no key
        QTest::addColumn<int>("read");         // default 7
        QTest::newRow("no key") << QByteArray() << 7;
        QTest::newRow("empty value: the default") << ""_ba << 7;
        QTest::newRow("minus one") << "-1"_ba << -1;
        QTest::newRow("plus sign") << "+1"_ba << 1;
        QTest::newRow("blanks before") << " 5"_ba << 5;
        QTest::newRow("2^32 wraps to 0") << "4294967296"_ba << 0;
        QTest::newRow("2^32 + 1 wraps to 1") << "4294967297"_ba << 1;
        QTest::newRow("-(2^32 + 1) wraps to -1") << "-4294967297"_ba << -1;
        QTest::newRow("digits up to the first other character") << "42A94967297"_ba << 42;
        QTest::newRow("no digit first: 0") << "B4294967297"_ba << 0;
        QTest::newRow("hexadecimal") << "-0x1F"_ba << -31;
    }

    void readsIntegersAsThePlatform() {
        QFETCH(QByteArray, value);
        const std::string path = Put(Path(), value.isNull() ? "[s]"_ba : "[s]\nk=" + value);
        QTEST(ReadProfileInt(path, "s", "k", 7), "read");
    }

    void saveChangesOnlyItsOwnLine_data() {
        QTest::addColumn<QByteArray>("before"); // null: no file
        QTest::addColumn<QByteArray>("value");  // written to s/k
        QTest::addColumn<QByteArray>("after");
        const auto row = [](const char* what, const QByteArray& before, const QByteArray& after,
                            const QByteArray& value = "v") {
            QTest::newRow(what) << before << value << after;
        };
        row("new file", QByteArray(), "[s]\nk=v\n");
        row("value replaced, spelling, spacing and other lines kept",
            ";c\n\n[t]\nk=1\n\n[S]\n  K = old  \nj=2\n", ";c\n\n[t]\nk=1\n\n[S]\n  K = v  \nj=2\n");
        row("key without equals gets its value", "[s]\nk\n", "[s]\nk=v\n");
        row("new key after last entry of first section", "[s]\nj=1\n\n;c\n[s]\nk=2\n",
            "[s]\nj=1\nk=v\n\n;c\n[s]\nk=2\n");
        row("new section takes the first line's end", "\xEF\xBB\xBF[t]\r\nj=1\n",
            "\xEF\xBB\xBF[t]\r\nj=1\n[s]\r\nk=v\r\n");
        row("carriage returns alone kept", "[s]\rj=1\r", "[s]\rj=1\rk=v\r");
        row("a last line without line end is ended before a new key", "[s]\nj=1",
            "[s]\nj=1\nk=v\n");
        row("... and before a new section", "[t]\nj=1", "[t]\nj=1\n[s]\nk=v\n");
        row("a value changed in place at the end keeps the file without one", "[s]\nk=1",
            "[s]\nk=v");
        row("Shift-JIS bytes written as they are", "[s]\nk=1\n", "[s]\nk=\x8e\xca\n", "\x8e\xca");
        row("blanks at an end are kept by quotes", "[s]\nk=1\n", "[s]\nk=\" v\"\n", " v");
    }

    void saveChangesOnlyItsOwnLine() {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, value);
        QVERIFY(Save(Put(Path(), before), value));
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
        QTest::addColumn<QByteArray>("file"); // null: no file
        QTest::addColumn<QByteArray>("folder");
        QTest::addColumn<QByteArray>("startNumber");
        QTest::addColumn<QByteArray>("filter");
        QTest::addColumn<int>("lowerExt");
        QTest::newRow("no file") << QByteArray() << "/wd"_ba
                                 << "001"_ba
                                 << "*.*"_ba << 1;
        QTest::newRow("all stored, other sections ignored")
            << "[Data]\nFolder=/p/\nStartNumber=0１\nKaku=*.jpg\n[X]\nKaku=x\n"
               "[Config]\nSmallCheck=-0x1F"_ba
            << "/p/"_ba
            << "0１"_ba
            << "*.jpg"_ba << -31;
        QTest::newRow("carried over in Shift-JIS with CR LF")
            << "[Data]\r\nFolder=C:\\\x8e\xca\x90\x5c\r\nStartNumber=\x82\x4f\x82\x50\r\n"
               "Kaku=*.\x83\x65\r\n"_ba
            << "C:\\\x8e\xca\x90\x5c"_ba
            << "\x82\x4f\x82\x50"_ba
            << "*.\x83\x65"_ba << 1;
    }

    void settingsLoadStoredOrDefaultAndSurviveSave() {
        QFETCH(QByteArray, file);
        const std::string path = Put(Path(), file);
        const auto check = [](const SavedSettings& s) {
            QTEST(QByteArray::fromStdString(s.folder), "folder");
            QTEST(QByteArray::fromStdString(s.startNumber), "startNumber");
            QTEST(QByteArray::fromStdString(s.filter), "filter");
            QTEST(s.lowerExt, "lowerExt");
        };
        const SavedSettings loaded = LoadSettings(path, "/wd");
        check(loaded);
        QVERIFY(SaveSettings(path, loaded));
        check(LoadSettings(path, "/other"));
    }
};

QTEST_GUILESS_MAIN(TestProfileFile)
#include "tst_profilefile.moc"
