#include "mainwnd/SortKey.h"

#include <QTest>

#include <iconv.h>

#include <random>

using quorvel::CompareTexts;
using quorvel::SortedOrder;
using quorvel::SortKeyMaker;

namespace {

std::string_view View(const QByteArray& bytes) {
    return {bytes.constData(), size_t(bytes.size())};
}

int Sign(int value) {
    return (value > 0) - (value < 0);
}

// An independent route to the CP932 bytes, for texts that CP932 can hold.
std::string ToCp932(const std::string& utf8) {
    iconv_t cd = iconv_open("CP932", "UTF-8");
    std::string out(utf8.size() * 2, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    const size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (result == size_t(-1)) {
        qFatal("test text not convertible to CP932: %s", utf8.c_str());
    }
    out.resize(out.size() - outLeft);
    return out;
}

} // namespace

class TestSortKey : public QObject {
    Q_OBJECT

private slots:
    void compareTexts_Should_FoldOnlyAsciiCapitals_data();
    void compareTexts_Should_FoldOnlyAsciiCapitals();
    void key_Should_BeFoldedCp932OrMarkedBytes_data();
    void key_Should_BeFoldedCp932OrMarkedBytes();
    void sortedNames_Should_FollowCp932Order_data();
    void sortedNames_Should_FollowCp932Order();
    void keyOrder_Should_EqualCompareTexts_When_NamesAreRandom_data();
    void keyOrder_Should_EqualCompareTexts_When_NamesAreRandom();
    void sortedOrder_Should_OrderKeysAsBytes_And_KeepTiesInInputOrder_data();
    void sortedOrder_Should_OrderKeysAsBytes_And_KeepTiesInInputOrder();

private:
    SortKeyMaker m_sharedMaker; // used across rows: its converter's state must not leak
};

void TestSortKey::compareTexts_Should_FoldOnlyAsciiCapitals_data() {
    QTest::addColumn<QByteArray>("a");
    QTest::addColumn<QByteArray>("b");
    QTest::addColumn<int>("expected");

    QTest::newRow("equal texts") << QByteArray("abc") << QByteArray("abc") << 0;
    QTest::newRow("ASCII case only")
        << QByteArray("IMG_0001.JPG") << QByteArray("img_0001.jpg") << 0;
    QTest::newRow("a prefix sorts first") << QByteArray("abc") << QByteArray("abcd") << -1;
    QTest::newRow("the empty text sorts first") << QByteArray("") << QByteArray("a") << -1;
    QTest::newRow("digits compare as text") << QByteArray("10.txt") << QByteArray("9.txt") << -1;
    QTest::newRow("underscore before a capital")
        << QByteArray("_a.txt") << QByteArray("B.txt") << -1;
    QTest::newRow("bracket before a capital") << QByteArray("[") << QByteArray("A") << -1;
    QTest::newRow("grave accent before a capital") << QByteArray("`") << QByteArray("A") << -1;
    QTest::newRow("bytes compare unsigned") << QByteArray("\x80") << QByteArray("z") << 1;
    QTest::newRow("full-width A and a differ")
        << QByteArray("\x82\x60") << QByteArray("\x82\x81") << -1;
    QTest::newRow("trail byte 0x41 folds like a capital")
        << QByteArray("\x83\x41") << QByteArray("\x83\x61") << 0;
    QTest::newRow("katakana before kanji")
        << QByteArray("\x83\x41") << QByteArray("\x88\x9f") << -1;
    QTest::newRow("half-width katakana after first-level kanji")
        << QByteArray("\xb1") << QByteArray("\x88\x9f") << 1;
}

void TestSortKey::compareTexts_Should_FoldOnlyAsciiCapitals() {
    QFETCH(QByteArray, a);
    QFETCH(QByteArray, b);
    QFETCH(int, expected);

    QCOMPARE(CompareTexts(View(a), View(b)), expected);
    QCOMPARE(CompareTexts(View(b), View(a)), -expected);
}

void TestSortKey::key_Should_BeFoldedCp932OrMarkedBytes_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("key");

    QTest::newRow("ASCII capitals folded")
        << QByteArray("IMG_000001.JPG") << QByteArray("img_000001.jpg");
    QTest::newRow("ASCII punctuation kept")
        << QByteArray("[A]~\\^.TXT") << QByteArray("[a]~\\^.txt");
    QTest::newRow("hiragana") << QByteArray("あ") << QByteArray("\x82\xa0");
    QTest::newRow("katakana, trail byte folded") << QByteArray("ア") << QByteArray("\x83\x61");
    QTest::newRow("kanji") << QByteArray("亜") << QByteArray("\x88\x9f");
    QTest::newRow("full-width capital") << QByteArray("Ａ") << QByteArray("\x82\x60");
    QTest::newRow("half-width katakana") << QByteArray("ｱ") << QByteArray("\xb1");
    QTest::newRow("wave dash as the full-width tilde")
        << QByteArray("〜") << QByteArray("\x81\x60");
    QTest::newRow("kanji between ASCII") << QByteArray("Ab亜.JPG") << QByteArray("ab\x88\x9f.jpg");
    QTest::newRow("emoji: marker and code point")
        << QByteArray("😀") << QByteArray("\xff\x01\xf6\x00", 4);
    QTest::newRow("hangul: code point bytes not folded") << QByteArray("a핁B")
                                                         << QByteArray("a\xff\x00\xd5\x41"
                                                                       "b",
                                                                       6);
    QTest::newRow("invalid lead byte") << QByteArray("a\xffZ") << QByteArray("a\xff\xff\xffz");
    QTest::newRow("lone continuation byte") << QByteArray("\x80") << QByteArray("\xff\xff\x80");
    QTest::newRow("truncated sequence at the end")
        << QByteArray("\xe3\x81") << QByteArray("\xff\xff\xe3\xff\xff\x81");
    QTest::newRow("truncated sequence before a capital")
        << QByteArray("\xe3\x81Q") << QByteArray("\xff\xff\xe3\xff\xff\x81q");
    QTest::newRow("overlong slash")
        << QByteArray("\xc0\xaf") << QByteArray("\xff\xff\xc0\xff\xff\xaf");
    QTest::newRow("encoded surrogate")
        << QByteArray("\xed\xa0\x80") << QByteArray("\xff\xff\xed\xff\xff\xa0\xff\xff\x80");
    QTest::newRow("valid text after invalid bytes") << QByteArray("\xff亜A")
                                                    << QByteArray("\xff\xff\xff\x88\x9f"
                                                                  "a");
}

void TestSortKey::key_Should_BeFoldedCp932OrMarkedBytes() {
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, key);

    QCOMPARE(QByteArray::fromStdString(m_sharedMaker(View(name))).toHex(' '), key.toHex(' '));
    SortKeyMaker freshMaker;
    QCOMPARE(QByteArray::fromStdString(freshMaker(View(name))).toHex(' '), key.toHex(' '));
}

void TestSortKey::sortedNames_Should_FollowCp932Order_data() {
    QTest::addColumn<QByteArrayList>("names");
    QTest::addColumn<QByteArrayList>("ascending");

    QTest::newRow("digits, underscore, letters")
        << QByteArrayList{"B.txt", "_a.txt", "9.txt", "10.txt"}
        << QByteArrayList{"10.txt", "9.txt", "_a.txt", "B.txt"};
    QTest::newRow("ASCII, hiragana, katakana, kanji")
        << QByteArrayList{"亜.jpg", "ア.jpg", "あ.jpg", "z.jpg"}
        << QByteArrayList{"z.jpg", "あ.jpg", "ア.jpg", "亜.jpg"};
    QTest::newRow("half-width katakana between lead bytes 0x88 and 0xFC")
        << QByteArrayList{"黑.jpg", "ｱ.jpg", "亜.jpg"}
        << QByteArrayList{"亜.jpg", "ｱ.jpg", "黑.jpg"};
    QTest::newRow("characters CP932 lacks after its last kanji")
        << QByteArrayList{"😀.jpg", "한.jpg", "黑.jpg", "髙.jpg"}
        << QByteArrayList{"髙.jpg", "黑.jpg", "한.jpg", "😀.jpg"};
    QTest::newRow("invalid UTF-8 last") << QByteArrayList{"\xff.jpg", "😀.jpg", "a.jpg", "\x80.jpg"}
                                        << QByteArrayList{"a.jpg", "😀.jpg", "\x80.jpg", "\xff.jpg"};
    QTest::newRow("case-only differences keep the listing's order")
        << QByteArrayList{"b.JPG", "A.jpg", "B.jpg", "a.JPG"}
        << QByteArrayList{"A.jpg", "a.JPG", "b.JPG", "B.jpg"};
}

void TestSortKey::sortedNames_Should_FollowCp932Order() {
    QFETCH(QByteArrayList, names);
    QFETCH(QByteArrayList, ascending);

    std::vector<std::string> keys;
    for (const QByteArray& name : names) {
        keys.push_back(m_sharedMaker(View(name)));
    }
    QByteArrayList sorted;
    for (std::uint32_t row : SortedOrder(keys, true)) {
        sorted << names[row];
    }
    QCOMPARE(sorted, ascending);
}

void TestSortKey::keyOrder_Should_EqualCompareTexts_When_NamesAreRandom_data() {
    QTest::addColumn<QStringList>("alphabet");

    QTest::newRow("ASCII letters, digits and punctuation")
        << QStringList{"A", "a", "M", "m", "Z", "z", "0", "9", "_", "[", "`", "~", ".", " "};
    QTest::newRow("kana, kanji, full-width and ASCII")
        << QStringList{"A",  "a",  "Z",  "_",  "0", ".", "ア", "ヂ", "あ", "亜",
                       "黑", "髙", "Ａ", "ａ", "ｱ", "ﾟ", "～", "〜", "①",  "ゼ"};
}

void TestSortKey::keyOrder_Should_EqualCompareTexts_When_NamesAreRandom() {
    QFETCH(QStringList, alphabet);

    std::mt19937 random(20240601U);
    const auto randomName = [&] {
        std::string name;
        for (unsigned length = random() % 6; length > 0; --length) {
            name += alphabet[random() % alphabet.size()].toStdString();
        }
        return name;
    };
    for (int pair = 0; pair < 3000; ++pair) {
        const std::string a = randomName();
        // Often a near copy, so equal and prefix cases come up.
        const std::string b = random() % 2 ? a + randomName() : randomName();
        const int expected = CompareTexts(ToCp932(a), ToCp932(b));
        const int got = Sign(m_sharedMaker(a).compare(m_sharedMaker(b)));
        if (got != expected) {
            QFAIL(qPrintable(QStringLiteral("\"%1\" vs \"%2\": keys give %3, CompareTexts %4")
                                 .arg(QString::fromStdString(a), QString::fromStdString(b))
                                 .arg(got)
                                 .arg(expected)));
        }
    }
}

void TestSortKey::sortedOrder_Should_OrderKeysAsBytes_And_KeepTiesInInputOrder_data() {
    QTest::addColumn<QByteArrayList>("keys");
    QTest::addColumn<bool>("ascending");
    QTest::addColumn<QList<int>>("order");

    const QByteArrayList mixed{"b", "a", "b", "a"};
    QTest::newRow("ascending") << mixed << true << QList<int>{1, 3, 0, 2};
    QTest::newRow("descending") << mixed << false << QList<int>{0, 2, 1, 3};
    QTest::newRow("all equal, descending")
        << QByteArrayList{"x", "x", "x"} << false << QList<int>{0, 1, 2};
    QTest::newRow("prefixes, descending")
        << QByteArrayList{"ab", "a", "abc"} << false << QList<int>{2, 0, 1};
    QTest::newRow("high bytes after ASCII")
        << QByteArrayList{"\xff", "\x88", "z"} << true << QList<int>{2, 1, 0};
    QTest::newRow("long keys differing only at the end")
        << QByteArrayList{"photos_of_the_summer_trip_0002.jpg",
                          "photos_of_the_summer_trip_0001.jpg",
                          "photos_of_the_summer_trip_0002.jpg"}
        << true << QList<int>{1, 0, 2};
    QTest::newRow("zero bytes of code points count as bytes")
        << QByteArrayList{QByteArray("a\0\0", 3), QByteArray("a\0", 2), "a", QByteArray("\0", 1)}
        << true << QList<int>{3, 2, 1, 0};
    QTest::newRow("no rows") << QByteArrayList{} << true << QList<int>{};
}

void TestSortKey::sortedOrder_Should_OrderKeysAsBytes_And_KeepTiesInInputOrder() {
    QFETCH(QByteArrayList, keys);
    QFETCH(bool, ascending);
    QFETCH(QList<int>, order);

    std::vector<std::string> keyStrings;
    for (const QByteArray& key : keys) {
        keyStrings.push_back(key.toStdString());
    }
    QList<int> got;
    for (std::uint32_t row : SortedOrder(keyStrings, ascending)) {
        got << static_cast<int>(row);
    }
    QCOMPARE(got, order);
}

QTEST_GUILESS_MAIN(TestSortKey)
#include "tst_sortkey.moc"
