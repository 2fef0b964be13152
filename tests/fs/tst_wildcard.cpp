#include "fs/FileSearch.h"

#include <QtTest>

#include <algorithm>
#include <filesystem>
#include <fstream>

using namespace quorvel;
namespace fs = std::filesystem;

namespace {

// One folder of names for every pattern; "sub.dir" is a folder and never listed.
const QStringList kNames{"README",    "a",       "a.txt",         "ab.txt",       "abc.txt",
                         "x.yz",      ".hidden", "report.tar.gz", "ｔｅｓｔ.txt", "été.jpg",
                         "ΣΟΦΙΑ.png", "жук.doc", "日.txt"};

QStringList Sorted(QStringList names) {
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

class TestWildcard : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase() {
        for (const QString& name : kNames)
            std::ofstream(fs::path(m_dir.filePath(name).toStdString())) << "x";
        fs::create_directory(m_dir.filePath("sub.dir").toStdString());
    }

    void listsWhatThePlatformsSearchWould_data() {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("*.* is every name") << "*.*" << kNames;
        QTest::newRow("*.*.* is every name") << "*.*.*" << kNames;
        QTest::newRow("trailing dot means no extension") << "*." << QStringList{"README", "a"};
        QTest::newRow("a dot and a space after the star: still no extension")
            << "* ." << QStringList{"README", "a"};
        QTest::newRow("ending in a space, not a dot: every name") << "*. " << kNames;
        QTest::newRow("dot after *.*: every name") << "*.*." << kNames;
        QTest::newRow("trailing spaces ignored")
            << "*.txt  " << QStringList{"a.txt", "ab.txt", "abc.txt", "ｔｅｓｔ.txt", "日.txt"};
        QTest::newRow("trailing dot after a whole name") << "a.txt." << QStringList{"a.txt"};
        QTest::newRow("? may match nothing before a dot")
            << "a?.txt" << QStringList{"a.txt", "ab.txt"};
        QTest::newRow("? may match nothing at the end") << "??????" << QStringList{"README", "a"};
        QTest::newRow("? never matches a dot") << "a?txt" << QStringList{};
        QTest::newRow("?.??. : short names without or with a short extension")
            << "?.??." << QStringList{"a", "x.yz"};
        QTest::newRow("? is one character: a kanji") << "?.txt" << QStringList{"a.txt", "日.txt"};
        QTest::newRow("final .* may match nothing") << "readme.*" << QStringList{"README"};
        QTest::newRow(".* alone needs the dot first") << ".*" << QStringList{".hidden"};
        QTest::newRow("the star before a dot may pass other dots")
            << "*.gz" << QStringList{"report.tar.gz"};
        QTest::newRow("the last part is anchored at the end") << "*.tar" << QStringList{};
        QTest::newRow("name.* takes dotted extensions")
            << "report.*" << QStringList{"report.tar.gz"};
        QTest::newRow("a star retries past a false start") << "*den" << QStringList{".hidden"};
        QTest::newRow("ASCII case")
            << "*.TXT" << QStringList{"a.txt", "ab.txt", "abc.txt", "ｔｅｓｔ.txt", "日.txt"};
        QTest::newRow("full-width case") << "ＴＥＳＴ.*" << QStringList{"ｔｅｓｔ.txt"};
        QTest::newRow("Latin-1 case") << "ÉTÉ.JPG" << QStringList{"été.jpg"};
        QTest::newRow("Greek case, final sigma too") << "ςοφια.*" << QStringList{"ΣΟΦΙΑ.png"};
        QTest::newRow("Cyrillic case") << "ЖУК.DOC" << QStringList{"жук.doc"};
        QTest::newRow("an accent is part of the letter")
            << "*e*" << QStringList{"README", ".hidden", "report.tar.gz"};
        QTest::newRow("only dots and spaces: nothing") << " . " << QStringList{};
    }

    void listsWhatThePlatformsSearchWould() {
        QFETCH(QString, pattern);
        QFETCH(QStringList, listed);
        std::vector<ListRow> found;
        FindFiles(m_dir.path().toStdString(), pattern.toStdString(), found);
        QStringList names;
        for (const ListRow& file : found)
            names << QString::fromStdString(file.name);
        QCOMPARE(Sorted(names), Sorted(listed));
    }
};

QTEST_GUILESS_MAIN(TestWildcard)
#include "tst_wildcard.moc"
