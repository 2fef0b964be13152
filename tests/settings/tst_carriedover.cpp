// A Qorv.ini carried over from the platform holds Shift-JIS, which no box can show as it is:
// what the user leaves alone goes back to the file byte for byte.
#include "res/resource.h"
#include "support/MainWindowHarness.h"

#include <QtTest>

#include <sys/stat.h>

using namespace quorvel;
using namespace quorvel::test;
using namespace Qt::StringLiterals;

namespace {

// The folder 写真 and the start number ０１ in Shift-JIS; the pattern *.テ.
const QByteArray kCarriedOver = "[Application]\r\nVersion=21\r\n[Data]\r\n"
                                "Folder=\x8e\xca\x90\x5e\r\nStartNumber=\x82\x4f\x82\x50\r\n"
                                "Kaku=*.\x83\x65\r\n[Config]\r\nSmallCheck=1\r\n"_ba;

} // namespace

class TestCarriedOver : public QObject {
    Q_OBJECT

private slots:
    void unchangedValuesAreSavedAsRead_data() {
        QTest::addColumn<int>("box"); // 0: the user types nothing
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("untouched: byte for byte") << 0 << QString() << kCarriedOver;
        QTest::newRow("start number retyped: saved as typed, the rest as read")
            << IDC_STARTNUMBER << u"5"_s
            << "[Application]\r\nVersion=21\r\n[Data]\r\n"
               "Folder=\x8e\xca\x90\x5e\r\nStartNumber=5\r\n"
               "Kaku=*.\x83\x65\r\n[Config]\r\nSmallCheck=1\r\n"_ba;
        QTest::newRow("pattern emptied: saved empty")
            << IDC_FILTER << QString()
            << "[Application]\r\nVersion=21\r\n[Data]\r\n"
               "Folder=\x8e\xca\x90\x5e\r\nStartNumber=\x82\x4f\x82\x50\r\n"
               "Kaku=\r\n[Config]\r\nSmallCheck=1\r\n"_ba;
    }

    void unchangedValuesAreSavedAsRead() {
        QFETCH(int, box);
        QFETCH(QString, typed);
        MainWindowHarness h;
        // The folder exists, so the probe keeps it.
        QVERIFY(mkdir((h.workDir() + "/\x8e\xca\x90\x5e").c_str(), 0755) == 0);
        h.writeIni(kCarriedOver.toStdString());
        h.start();
        if (box != 0)
            h.edit(box)->setText(typed);
        h.dlg->DestroyWindow();
        QTEST(QByteArray::fromStdString(h.readIni()), "after");
    }
};

QTEST_MAIN(TestCarriedOver)
#include "tst_carriedover.moc"
