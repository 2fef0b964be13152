#include "mainwnd/SortKey.h"

#include <QTest>

using namespace quorvel;

class TestSortKey : public QObject {
    Q_OBJECT

private slots:
    void sortedKeys_Should_FollowCp932_And_KeepTiesInListingOrder_data();
    void sortedKeys_Should_FollowCp932_And_KeepTiesInListingOrder();

private:
    SortKeyMaker m_sharedMaker; // used across rows: its converters' state must not leak
};

void TestSortKey::sortedKeys_Should_FollowCp932_And_KeepTiesInListingOrder_data() {
    QTest::addColumn<QByteArray>("names"); // as listed, separated by spaces
    QTest::addColumn<bool>("ascending");
    QTest::addColumn<QByteArray>("sorted");
    QTest::newRow("ASCII by byte value, capitals folded")
        << QByteArray("B _a 9 10 [") << true << QByteArray("10 9 [ _a B");
    QTest::newRow("CP932: half-width kana between the kanji levels; what it lacks, invalid UTF-8")
        << QByteArray("\xe3\x81 😀 한 髙 黑 ｱ 亜 ア あ 〜 z") << true
        << QByteArray("z 〜 あ ア 亜 ｱ 髙 黑 한 😀 \xe3\x81");
    QTest::newRow("ties by case, and by a katakana trail byte folded, keep their order")
        << QByteArray("b A ヂ B ア a") << true << QByteArray("A a b B ヂ ア");
    QTest::newRow("ties keep their order descending too")
        << QByteArray("b A ヂ B ア a") << false << QByteArray("ヂ ア b B A a");
    QTest::newRow("names differing after their 24th byte")
        << QByteArray("photos_of_the_summer_trip_2 photos_of_the_summer_trip_1") << true
        << QByteArray("photos_of_the_summer_trip_1 photos_of_the_summer_trip_2");
    // Long enough that a sort which is not stable would not keep them so.
    QTest::newRow("ties of a long list keep their order")
        << QByteArray("b a A B ").repeated(12).trimmed() << true
        << (QByteArray("a A ").repeated(12) + QByteArray("b B ").repeated(12)).trimmed();
    QTest::newRow("code point keys holding zero bytes")
        << QByteArray("Āb Āa") << true << QByteArray("Āa Āb");
}

void TestSortKey::sortedKeys_Should_FollowCp932_And_KeepTiesInListingOrder() {
    QFETCH(QByteArray, names);
    QFETCH(bool, ascending);
    QFETCH(QByteArray, sorted);
    const QByteArrayList listed = names.split(' ');
    SortKeys keys;
    for (const QByteArray& name : listed)
        keys.Add(m_sharedMaker(name.toStdString()));
    QByteArrayList got;
    for (std::uint32_t row : SortedOrder(keys, ascending))
        got << listed[qsizetype(row)];
    QCOMPARE(got.join(' '), sorted);
}

QTEST_GUILESS_MAIN(TestSortKey)
#include "tst_sortkey.moc"
