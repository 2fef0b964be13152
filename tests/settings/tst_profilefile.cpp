#include "settings/ProfileFile.h"
#include "support/MainWindowHarness.h"

#include <QtTest>

#include <sys/stat.h>

using namespace quorvel;
using namespace quorvel::test;
using namespace Qt::StringLiterals;

class TestProfileFile : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void readsAndSavesKeyByKey_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("def"); // of s/k
        QTest::addColumn<QByteArray>("read");
        QTest::addColumn<int>("number");       // read with the default 7
        QTest::addColumn<QByteArray>("saved"); // the file after s/k=v
        QTest::newRow("missing key: the default's trailing spaces go, a tab stays")
            << "[s]\nj=1"_ba
            << "d\t  "_ba
            << "d\t"_ba << 7 << "[s]\nj=1\nk=v\n"_ba;
        QTest::newRow("empty value") << "[s]\nk="_ba
                                     << "d"_ba
                                     << ""_ba << 7 << "[s]\nk=v"_ba;
        QTest::newRow("a lone CR ends a line") << "[t]\rk=1\r[s]\rk=2"_ba
                                               << "d"_ba
                                               << "2"_ba << 2 << "[t]\rk=1\r[s]\rk=v"_ba;
        QTest::newRow("cut to 4095 Shift-JIS bytes")
            << "[s]\nk=a" + "写"_ba.repeated(2100) << "d"_ba
            << "a" + "写"_ba.repeated(2047) << 0 << "[s]\nk=v"_ba;
    }

    void readsAndSavesKeyByKey() {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, def);
        const std::string path = m_dir.filePath(QTest::currentDataTag()).toStdString();
        std::ofstream(path, std::ios::binary) << file.toStdString();
        QTEST(QByteArray::fromStdString(ReadProfileString(path, "s", "k", def.toStdString())),
              "read");
        QTEST(ReadProfileInt(path, "s", "k", 7), "number");
        QVERIFY(WriteProfileValues(path, {{"s", "k", "v"}}));
        std::ifstream in(path, std::ios::binary);
        QTEST(QByteArray::fromStdString({std::istreambuf_iterator<char>(in), {}}), "saved");
    }

    // A Qorv.ini carried over from the platform holds Shift-JIS, which no box shows as it is:
    // what the user leaves alone goes back byte for byte.
    void carriedOverValuesAreSavedAsRead() {
        const std::string ini = "[Data]\r\nFolder=\x8e\xca\x90\x5e\r\nStartNumber=\x82\x4f\x82\x50"
                                "\r\nKaku=*.\x83\x65\r\n";
        MainWindowHarness h;
        QVERIFY(mkdir((h.workDir() + "/\x8e\xca\x90\x5e").c_str(), 0755) == 0);
        h.writeIni(ini);
        h.start();
        h.dlg->DestroyWindow();
        QCOMPARE(h.readIni().substr(0, ini.size()), ini);
    }
};

QTEST_MAIN(TestProfileFile)
#include "tst_profilefile.moc"
