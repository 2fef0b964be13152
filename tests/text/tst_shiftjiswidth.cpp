#include "text/ShiftJisWidth.h"

#include <QtTest>

using namespace quorvel;
using namespace Qt::StringLiterals;

class TestShiftJisWidth : public QObject {
    Q_OBJECT

private slots:
    void countsAndCutsAsShiftJis_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("maxWidth");
        QTest::addColumn<int>("prefixBytes"); // the longest start within maxWidth
        QTest::newRow("ASCII: 1 each") << "001"_ba << 3 << 2 << 2;
        QTest::newRow("full-width digits: 2 each") << "００１"_ba << 6 << 5 << 6;
        QTest::newRow("half-width katakana: 1 each") << "ｶﾅ"_ba << 2 << 1 << 3;
        QTest::newRow("Latin-1 letter: 2") << "é1"_ba << 3 << 1 << 0;
        QTest::newRow("a character CP932 lacks: 2") << "😀"_ba << 2 << 2 << 4;
        QTest::newRow("Shift-JIS bytes count as they are, a pair never split")
            << "\x82\x4f\x82\x50"_ba << 4 << 3 << 2;
        QTest::newRow("not UTF-8 as a whole: every byte counts")
            << "\xef\xbc\x90\xff"_ba << 4 << 3 << 3;
        QTest::newRow("a lead byte without its trail byte: one") << "1\x82"_ba << 2 << 2 << 2;
    }

    void countsAndCutsAsShiftJis() {
        QFETCH(QByteArray, text);
        QFETCH(int, maxWidth);
        const std::string_view bytes(text.constData(), std::size_t(text.size()));
        QTEST(int(ShiftJisWidth(bytes)), "width");
        QTEST(int(ShiftJisPrefix(bytes, std::size_t(maxWidth))), "prefixBytes");
    }
};

QTEST_GUILESS_MAIN(TestShiftJisWidth)
#include "tst_shiftjiswidth.moc"
