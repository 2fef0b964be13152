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
        QTest::newRow("ASCII") << "001"_ba << 3 << 2 << 2;
        QTest::newRow("full-width digits") << "００１"_ba << 6 << 5 << 6;
        QTest::newRow("half-width katakana") << "ｶﾅ"_ba << 2 << 1 << 3;
        QTest::newRow("Shift-JIS bytes, 0x50 a trail byte") << "\x82\x4f\x82\x50"_ba << 4 << 3 << 2;
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
