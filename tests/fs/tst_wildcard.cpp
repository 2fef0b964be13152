#include "fs/Wildcard.h"

#include <QtTest>

using namespace quorvel;

class TestWildcard : public QObject {
    Q_OBJECT

private slots:
    void matchesAsThePlatformsSearch_data() {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QStringList>("matched"); // of the names below
        QTest::newRow("trailing dot: no extension") << "*." << QStringList{"README", "a"};
        QTest::newRow("*.*. is every name")
            << "*.*."
            << QStringList{"README", "a", "a.txt", "ab.txt", "x.tar.gz", "été.jpg", "ΣΟΦΙΑ.png"};
        QTest::newRow("trailing spaces ignored") << "*.txt  " << QStringList{"a.txt", "ab.txt"};
        QTest::newRow("? matches nothing before a dot")
            << "a?.txt" << QStringList{"a.txt", "ab.txt"};
        QTest::newRow("? never takes a dot") << "a?txt" << QStringList{};
        QTest::newRow("? alone is no star") << "??????" << QStringList{"README", "a"};
        QTest::newRow("final .* may match nothing") << "readme.*" << QStringList{"README"};
        QTest::newRow("beyond ASCII") << "ÉTÉ.JPG" << QStringList{"été.jpg"};
        QTest::newRow("final sigma") << "ςοφια.*" << QStringList{"ΣΟΦΙΑ.png"};
    }

    void matchesAsThePlatformsSearch() {
        QFETCH(QString, pattern);
        const WildcardPattern wildcard(pattern.toStdString());
        QStringList matched;
        for (const char* name :
             {"README", "a", "a.txt", "ab.txt", "x.tar.gz", "été.jpg", "ΣΟΦΙΑ.png"})
            if (wildcard.Matches(name))
                matched << name;
        QTEST(matched, "matched");
    }
};

QTEST_GUILESS_MAIN(TestWildcard)
#include "tst_wildcard.moc"
