#include "order/SortKey.h"

#include <QTest>

using namespace quorvel;

namespace {

QByteArrayList Repeated(const QByteArrayList& names, int times) {
    QByteArrayList out;
    for (int i = 0; i < times; ++i)
        out += names;
    return out;
}

} // namespace

class TestSortKey : public QObject {
    Q_OBJECT

    SortKeyMaker m_sharedMaker; // used across rows: its converters' state must not leak

private slots:
    void sortedKeys_Should_FollowCp932_And_KeepTiesInListingOrder_data() {
        QTest::addColumn<QByteArrayList>("names"); // as listed
        QTest::addColumn<bool>("ascending");
        QTest::addColumn<QByteArrayList>("sorted");
        using L = QByteArrayList;
        QTest::newRow("ASCII by byte value, capitals folded")
            << L{"B", "_a", "9", "10", "["} << true << L{"10", "9", "[", "_a", "B"};
        QTest::newRow("A and Z fold, the bytes around them do not")
            << L{"{", "z", "Z", "`", "[", "a", "A", "@"} << true
            << L{"@", "[", "`", "a", "A", "z", "Z", "{"};
        QTest::newRow(
            "CP932: half-width kana between the kanji levels; what it lacks, invalid UTF-8")
            << L{"\xe3\x81", "😀", "한", "髙", "黑", "ｱ", "亜", "ア", "あ", "〜", "z"} << true
            << L{"z", "〜", "あ", "ア", "亜", "ｱ", "髙", "黑", "한", "😀", "\xe3\x81"};
        QTest::newRow("ties by case, and by a katakana trail byte folded, keep their order")
            << L{"b", "A", "ヂ", "B", "ア", "a"} << true << L{"A", "a", "b", "B", "ヂ", "ア"};
        QTest::newRow("ties keep their order descending too")
            << L{"b", "A", "ヂ", "B", "ア", "a"} << false << L{"ヂ", "ア", "b", "B", "A", "a"};
        QTest::newRow("names differing after their 24th byte")
            << L{"photos_of_the_summer_trip_2", "photos_of_the_summer_trip_1"} << true
            << L{"photos_of_the_summer_trip_1", "photos_of_the_summer_trip_2"};
        // Long enough that a sort which is not stable would not keep them so.
        QTest::newRow("ties of a long list keep their order")
            << Repeated({"b", "a", "A", "B"}, 12) << true
            << Repeated({"a", "A"}, 12) + Repeated({"b", "B"}, 12);
        QTest::newRow("code point keys holding zero bytes")
            << L{"Āb", "Āa"} << true << L{"Āa", "Āb"};
    }

    void sortedKeys_Should_FollowCp932_And_KeepTiesInListingOrder() {
        QFETCH(QByteArrayList, names);
        QFETCH(bool, ascending);
        QFETCH(QByteArrayList, sorted);
        SortKeys keys;
        for (const QByteArray& name : names)
            keys.Add(m_sharedMaker(name.toStdString()));
        QByteArrayList got;
        for (std::uint32_t row : SortedOrder(keys, ascending))
            got << names[qsizetype(row)];
        QCOMPARE(got, sorted);
    }
};

QTEST_GUILESS_MAIN(TestSortKey)
#include "tst_sortkey.moc"
