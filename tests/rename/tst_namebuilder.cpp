#include "rename/NameBuilder.h"

#include <QtTest>

#include <climits>

using namespace quorvel;

namespace {

std::string Bytes(const QByteArray& b) {
    return std::string(b.constData(), b.size());
}

QByteArray Q(const std::string& s) {
    return QByteArray(s.data(), qsizetype(s.size()));
}

} // namespace

class TestNameBuilder : public QObject {
    Q_OBJECT

private slots:
    void numbering_Should_FollowAtoiAndShiftJisWidth_data();
    void numbering_Should_FollowAtoiAndShiftJisWidth();
    void formatting_Should_MatchPrintfZeroPadding_data();
    void formatting_Should_MatchPrintfZeroPadding();
    void newName_Should_KeepOwnExtension_data();
    void newName_Should_KeepOwnExtension();
    void folderPart_Should_EndInExactlyOneSlash_data();
    void folderPart_Should_EndInExactlyOneSlash();
};

void TestNameBuilder::numbering_Should_FollowAtoiAndShiftJisWidth_data() {
    QTest::addColumn<QByteArray>("startText");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("width");
    // "k=number": the number of the k-th selected row (k from 0).
    QTest::addColumn<QStringList>("numbers");

    QTest::newRow("default 001 outgrows its width, never cut")
        << QByteArray("001") << 1 << 3 << QStringList{"0=001", "1=002", "998=999", "999=1000"};
    QTest::newRow("single digit") << QByteArray("1") << 1 << 1 << QStringList{"0=1", "8=9", "9=10"};
    QTest::newRow("empty starts at 0 with no padding")
        << QByteArray("") << 0 << 0 << QStringList{"0=0", "1=1", "2=2"};
    QTest::newRow("minus five pads only once it reaches zero")
        << QByteArray("-5") << -5 << 2 << QStringList{"0=-5", "4=-1", "5=00", "6=01"};
    QTest::newRow("leading space counts in the width")
        << QByteArray(" 7") << 7 << 2 << QStringList{"0=07", "1=08"};
    QTest::newRow("C-locale white space of every kind")
        << QByteArray("\t\n\v\f\r 3") << 3 << 7 << QStringList{"0=0000003"};
    QTest::newRow("plus sign") << QByteArray("+42") << 42 << 3 << QStringList{"0=042"};
    QTest::newRow("digits then letters")
        << QByteArray("12ab") << 12 << 4 << QStringList{"0=0012", "1=0013"};
    QTest::newRow("letters only") << QByteArray("abc") << 0 << 3 << QStringList{"0=000", "1=001"};
    QTest::newRow("two signs are no number") << QByteArray("--5") << 0 << 3 << QStringList{"0=000"};
    QTest::newRow("space after the sign ends the number")
        << QByteArray("- 5") << 0 << 3 << QStringList{"0=000"};
    QTest::newRow("full-width digits are no digits and two bytes each")
        << QByteArray("００１") << 0 << 6 << QStringList{"0=000000", "1=000001"};
    QTest::newRow("ideographic space is not white space")
        << QByteArray("\u30001") << 0 << 3 << QStringList{"0=000"};
    QTest::newRow("half-width katakana is one byte")
        << QByteArray("ｱ1") << 0 << 2 << QStringList{"0=00"};
    QTest::newRow("byte that is not UTF-8 counts one")
        << QByteArray("\xff") + "12" << 0 << 3 << QStringList{"0=000"};
    QTest::newRow("cut-off UTF-8 sequence counts byte by byte")
        << QByteArray("\xe3\x81") << 0 << 2 << QStringList{"0=00"};
    QTest::newRow("largest int then wraps to the smallest")
        << QByteArray("2147483647") << INT_MAX << 10
        << QStringList{"0=2147483647", "1=-2147483648", "2=-2147483647"};
    QTest::newRow("smallest int") << QByteArray("-2147483648") << INT_MIN << 11
                                  << QStringList{"0=-2147483648"};
    QTest::newRow("beyond 32 bits wraps modulo 2^32")
        << QByteArray("99999999999") << 1215752191 << 11 << QStringList{"0=01215752191"};
    QTest::newRow("2^32 + 1 wraps to 1")
        << QByteArray("4294967297") << 1 << 10 << QStringList{"0=0000000001"};

    const QByteArray zeros(5000, '0');
    QTest::newRow("5000-character start text pads to 5000")
        << zeros << 0 << 5000
        << QStringList{"0=" + QString::fromLatin1(zeros),
                       "1=" + QString::fromLatin1(zeros.chopped(1)) + "1"};
}

void TestNameBuilder::numbering_Should_FollowAtoiAndShiftJisWidth() {
    QFETCH(QByteArray, startText);
    QFETCH(int, start);
    QFETCH(int, width);
    QFETCH(QStringList, numbers);

    const NameBuilder builder("", Bytes(startText), 0);
    QCOMPARE(builder.Start(), start);
    QCOMPARE(builder.Width(), std::size_t(width));
    for (const QString& pair : numbers) {
        const auto k = pair.section('=', 0, 0).toUInt();
        QCOMPARE(Q(builder.NewName("file", k)), pair.section('=', 1).toLatin1());
    }
}

void TestNameBuilder::formatting_Should_MatchPrintfZeroPadding_data() {
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("width");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("width 0 adds nothing") << 0 << 0 << QByteArray("0");
    QTest::newRow("exact width") << 123 << 3 << QByteArray("123");
    QTest::newRow("never cut") << 12345 << 2 << QByteArray("12345");
    QTest::newRow("zeros after the minus sign") << -5 << 4 << QByteArray("-005");
    QTest::newRow("sign takes a place of the width") << -5 << 2 << QByteArray("-5");
    QTest::newRow("smallest int unpadded") << INT_MIN << 0 << QByteArray("-2147483648");
    QTest::newRow("smallest int padded") << INT_MIN << 12 << QByteArray("-02147483648");
}

void TestNameBuilder::formatting_Should_MatchPrintfZeroPadding() {
    QFETCH(int, n);
    QFETCH(int, width);
    QFETCH(QByteArray, expected);

    QCOMPARE(Q(FormatSequenceNumber(n, std::size_t(width))), expected);
    QCOMPARE(QString::asprintf("%0*d", width, n).toLatin1(), expected);
}

void TestNameBuilder::newName_Should_KeepOwnExtension_data() {
    QTest::addColumn<QByteArray>("prefix");
    QTest::addColumn<QByteArray>("oldName");
    QTest::addColumn<int>("lowerExt");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("no dot: prefix and number alone")
        << QByteArray("p") << QByteArray("README") << 1 << QByteArray("p01");
    QTest::newRow("trailing dot gives the extension \".\"")
        << QByteArray("p") << QByteArray("photo.") << 0 << QByteArray("p01.");
    QTest::newRow("leading dot only: whole name is the extension")
        << QByteArray("p") << QByteArray(".bashrc") << 0 << QByteArray("p01.bashrc");
    QTest::newRow("several dots: the last one counts")
        << QByteArray("p") << QByteArray("archive.tar.gz") << 0 << QByteArray("p01.gz");
    QTest::newRow("Japanese before the dot")
        << QByteArray("p") << QByteArray("写真.jpg") << 0 << QByteArray("p01.jpg");
    QTest::newRow("Japanese after the dot")
        << QByteArray("p") << QByteArray("a.b.写真") << 0 << QByteArray("p01.写真");
    QTest::newRow("name that is not UTF-8 keeps its bytes")
        << QByteArray("p") << QByteArray("\xff.\xfe\x41") << 1 << QByteArray("p01.\xfe\x61");
    QTest::newRow("lower-case option 1 lowers the extension")
        << QByteArray("p") << QByteArray("IMG.JpG") << 1 << QByteArray("p01.jpg");
    QTest::newRow("option 0 keeps the case")
        << QByteArray("p") << QByteArray("IMG.JPG") << 0 << QByteArray("p01.JPG");
    QTest::newRow("option 5 keeps the case")
        << QByteArray("p") << QByteArray("IMG.JPG") << 5 << QByteArray("p01.JPG");
    QTest::newRow("prefix and old name never change case")
        << QByteArray("TRIP_") << QByteArray("A.B") << 1 << QByteArray("TRIP_01.b");
    QTest::newRow("only A to Z are lowered")
        << QByteArray("p") << QByteArray("x.@AZ[`") << 1 << QByteArray("p01.@az[`");
    QTest::newRow("full-width letters stay")
        << QByteArray("p") << QByteArray("x.ＪＰＧ") << 1 << QByteArray("p01.ＪＰＧ");
    QTest::newRow("percent in prefix and extension copied literally")
        << QByteArray("%s%n%d_") << QByteArray("x.%d%S") << 1 << QByteArray("%s%n%d_01.%d%s");
}

void TestNameBuilder::newName_Should_KeepOwnExtension() {
    QFETCH(QByteArray, prefix);
    QFETCH(QByteArray, oldName);
    QFETCH(int, lowerExt);
    QFETCH(QByteArray, expected);

    const NameBuilder builder(Bytes(prefix), "01", lowerExt);
    QCOMPARE(Q(builder.NewName(Bytes(oldName), 0)), expected);
}

void TestNameBuilder::folderPart_Should_EndInExactlyOneSlash_data() {
    QTest::addColumn<QByteArray>("folder");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("empty gets a slash") << QByteArray("") << QByteArray("/");
    QTest::newRow("root stays") << QByteArray("/") << QByteArray("/");
    QTest::newRow("slash appended") << QByteArray("/home/a") << QByteArray("/home/a/");
    QTest::newRow("trailing slash not doubled") << QByteArray("/home/a/") << QByteArray("/home/a/");
    QTest::newRow("two trailing slashes kept as typed") << QByteArray("a//") << QByteArray("a//");
}

void TestNameBuilder::folderPart_Should_EndInExactlyOneSlash() {
    QFETCH(QByteArray, folder);
    QFETCH(QByteArray, expected);

    QCOMPARE(Q(FolderPart(Bytes(folder))), expected);
}

QTEST_GUILESS_MAIN(TestNameBuilder)
#include "tst_namebuilder.moc"
