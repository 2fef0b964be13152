#include "settings/SettingsKeys.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace quorvel;
using namespace Qt::StringLiterals;

class TestSettingsKeys : public QObject {
    Q_OBJECT
private slots:
    void loadGivesStoredValueOrDefault_data();
    void loadGivesStoredValueOrDefault();
    void saveWritesVersionThenFourValues_data();
    void saveWritesVersionThenFourValues();
    void savedSettingsLoadUnchanged_data();
    void savedSettingsLoadUnchanged();

private:
    QString Put(const QByteArray& bytes) {
        const QString path = m_dir.filePath("Qorv.ini");
        QFile file(path);
        file.remove();
        if (!bytes.isNull() && file.open(QIODevice::WriteOnly)) {
            file.write(bytes);
        }
        return path;
    }

    QTemporaryDir m_dir;
};

void TestSettingsKeys::loadGivesStoredValueOrDefault_data() {
    QTest::addColumn<QByteArray>("file");   // null: no file
    QTest::addColumn<QByteArray>("loaded"); // folder|startNumber|filter|lowerExt
    QTest::newRow("no file") << QByteArray() << "/wd|001|*.*|1"_ba;
    QTest::newRow("only other sections") << "[Application]\nVersion=3\n[X]\nFolder=/x"_ba
                                         << "/wd|001|*.*|1"_ba;
    QTest::newRow("all stored")
        << "[Data]\nFolder=/p/\nStartNumber=0１\nKaku=*.jpg\n[Config]\nSmallCheck=0"_ba
        << "/p/|0１|*.jpg|0"_ba;
    QTest::newRow("empty texts load empty, empty integer gives default")
        << "[Data]\nFolder=\nStartNumber=\nKaku=\n[Config]\nSmallCheck="_ba
        << "|||1"_ba;
    QTest::newRow("SmallCheck kept as stored") << "[Config]\nSmallCheck=5"_ba
                                               << "/wd|001|*.*|5"_ba;
    QTest::newRow("SmallCheck not a number") << "[config]\nsmallcheck=on"_ba
                                             << "/wd|001|*.*|0"_ba;
}

void TestSettingsKeys::loadGivesStoredValueOrDefault() {
    QFETCH(QByteArray, file);
    const SavedSettings s = LoadSettings(Put(file).toStdString(), "/wd");
    QTEST(QByteArray::fromStdString(s.folder + "|" + s.startNumber + "|" + s.filter + "|" +
                                    std::to_string(s.lowerExt)),
          "loaded");
}

void TestSettingsKeys::saveWritesVersionThenFourValues_data() {
    QTest::addColumn<QByteArray>("before"); // null: no file
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("new file") << QByteArray()
                              << "[Application]\nVersion=21\n[Data]\nFolder=/p\nStartNumber=001\n"
                                 "Kaku=*.*\n[Config]\nSmallCheck=1\n"_ba;
    QTest::newRow("older version replaced, foreign lines kept")
        << ";c\r\n[Config]\r\nSmallCheck=0\r\nX=x\r\n[Application]\r\nVersion=3\r\n"_ba
        << ";c\r\n[Config]\r\nSmallCheck=1\r\nX=x\r\n[Application]\r\nVersion=21\r\n"
           "[Data]\r\nFolder=/p\r\nStartNumber=001\r\nKaku=*.*\r\n"_ba;
}

void TestSettingsKeys::saveWritesVersionThenFourValues() {
    QFETCH(QByteArray, before);
    const QString path = Put(before);
    QVERIFY(SaveSettings(path.toStdString(), {"/p", "001", "*.*", 1}));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QTEST(file.readAll(), "after");
}

void TestSettingsKeys::savedSettingsLoadUnchanged_data() {
    QTest::addColumn<QByteArray>("folder");
    QTest::addColumn<QByteArray>("startNumber");
    QTest::addColumn<QByteArray>("filter");
    QTest::addColumn<int>("lowerExt");
    QTest::newRow("empty texts, option off") << ""_ba
                                             << ""_ba
                                             << ""_ba << 0;
    QTest::newRow("blanks, quotes, Japanese, %") << "/写真/ "_ba
                                                 << " 7"_ba
                                                 << "\"%s\""_ba << -5;
}

void TestSettingsKeys::savedSettingsLoadUnchanged() {
    QFETCH(QByteArray, folder);
    QFETCH(QByteArray, startNumber);
    QFETCH(QByteArray, filter);
    QFETCH(int, lowerExt);
    const std::string path = Put({}).toStdString();
    QVERIFY(SaveSettings(
        path, {folder.toStdString(), startNumber.toStdString(), filter.toStdString(), lowerExt}));
    const SavedSettings s = LoadSettings(path, "/wd");
    QCOMPARE(QByteArray::fromStdString(s.folder), folder);
    QCOMPARE(QByteArray::fromStdString(s.startNumber), startNumber);
    QCOMPARE(QByteArray::fromStdString(s.filter), filter);
    QCOMPARE(s.lowerExt, lowerExt);
}

QTEST_GUILESS_MAIN(TestSettingsKeys)
#include "tst_settingskeys.moc"
