#include "support/ListingFixture.h"
#include "support/MainWindowHarness.h"

#include <QtTest>

#include <ctime>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// The times of the state table's files: name order a, b, c; time order b, c, a.
const std::pair<const char*, std::int64_t> kThreeFiles[] = {
    {"a.txt", UtcSeconds(2021, 1, 1)},
    {"b.txt", UtcSeconds(2019, 1, 1)},
    {"c.txt", UtcSeconds(2020, 1, 1)},
};

// The rows' names with the ".txt" dropped and run together: "bca".
QString Letters(const MainWindowHarness& h) {
    QString letters;
    for (const std::string& name : h.names())
        letters += QString::fromStdString(name.substr(0, name.find('.')));
    return letters;
}

QByteArrayList Names(const MainWindowHarness& h) {
    QByteArrayList names;
    for (const std::string& name : h.names())
        names << QByteArray::fromStdString(name);
    return names;
}

// A window listing `folder`, shown so that its header takes mouse clicks.
bool StartShown(MainWindowHarness& h, const std::string& folder) {
    h.writeIni("[Data]\nFolder=" + folder + "\n");
    h.start();
    h.dlg->show();
    return QTest::qWaitForWindowExposed(h.dlg.get());
}

} // namespace

class TestListOrdering : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void NameOrder_Should_FollowByteComparison_data();
    void NameOrder_Should_FollowByteComparison();
    void EqualNames_Should_KeepTheirRelativeOrder_data();
    void EqualNames_Should_KeepTheirRelativeOrder();
    void HeaderClicks_Should_SortAndFlipDirections_data();
    void HeaderClicks_Should_SortAndFlipDirections();
    void DateOrder_Should_FollowTimeToTheMinute_data();
    void DateOrder_Should_FollowTimeToTheMinute();
    void Sort_Should_CarrySelectionAndFocusWithRows_data();
    void Sort_Should_CarrySelectionAndFocusWithRows();

private:
    QTemporaryDir m_dir;
};

void TestListOrdering::initTestCase() {
    qputenv("TZ", "Asia/Tokyo");
    tzset();
    QVERIFY(m_dir.isValid());
}

void TestListOrdering::NameOrder_Should_FollowByteComparison_data() {
    QTest::addColumn<QByteArrayList>("ascending");
    QTest::newRow("digits as text, underscore before letters")
        << QByteArrayList{"10.txt", "9.txt", "_a.txt", "B.txt"};
    QTest::newRow("ASCII capitals fold to small letters")
        << QByteArrayList{"a3.txt", "b1.txt", "B2.txt", "c0.TXT"};
    QTest::newRow("a name that begins another sorts first")
        << QByteArrayList{"ab", "ab.txt", "ab.txt.bak", "abc"};
    QTest::newRow("brackets, caret and grave accent before every letter")
        << QByteArrayList{"[x]", "^x", "`x", "ax", "Zx"};
    QTest::newRow("CP932 order, not code point order")
        << QByteArrayList{"z.txt", "ー.txt", "Ｂ.txt", "ａ.txt", "あ.txt", "漢.txt"};
    QTest::newRow("a second byte in A-Z folds like a capital")
        << QByteArrayList{"ヂa.txt", "アb.txt"};
    QTest::newRow("names CP932 lacks after its kanji, bytes not UTF-8 last")
        << QByteArrayList{"漢.txt", "é.txt", "😀.txt", "\xff.txt"};
}

void TestListOrdering::NameOrder_Should_FollowByteComparison() {
    QFETCH(QByteArrayList, ascending);
    QTemporaryDir tmp;
    const std::string folder = QFile::encodeName(tmp.path()).toStdString();
    // Made newest first in the reverse order, so neither the directory nor the times agree.
    std::int64_t t = UtcSeconds(2020, 1, 1);
    for (auto name = ascending.crbegin(); name != ascending.crend(); ++name)
        QVERIFY(MakeFile(folder, name->toStdString(), t -= 60));
    QByteArrayList descending(ascending.crbegin(), ascending.crend());

    MainWindowHarness h;
    QVERIFY(StartShown(h, folder));
    QCOMPARE(Names(h), ascending);
    ClickHeader(*h.dlg, 0);
    QCOMPARE(Names(h), descending);
    ClickHeader(*h.dlg, 0);
    QCOMPARE(Names(h), ascending);
    ClickHeader(*h.dlg, 1);
    QCOMPARE(Names(h), ascending);
    ClickHeader(*h.dlg, 1);
    QCOMPARE(Names(h), descending);

    h.dlg.reset();
    for (const QByteArray& name : ascending) // QTemporaryDir cannot remove a name not UTF-8
        ::unlink((folder + "/" + name.toStdString()).c_str());
}

void TestListOrdering::EqualNames_Should_KeepTheirRelativeOrder_data() {
    QTest::addColumn<QByteArrayList>("equal");
    QTest::newRow("ASCII case only") << QByteArrayList{"readme.txt", "README.TXT", "ReadMe.txt"};
    QTest::newRow("A and ヂ share their folded second byte") << QByteArrayList{"ア.txt", "ヂ.txt"};
}

void TestListOrdering::EqualNames_Should_KeepTheirRelativeOrder() {
    QFETCH(QByteArrayList, equal);
    QTemporaryDir tmp;
    const std::string folder = QFile::encodeName(tmp.path()).toStdString();
    for (const QByteArray& name : equal)
        QVERIFY(MakeFile(folder, name.toStdString(), UtcSeconds(2020, 1, 1)));
    QVERIFY(MakeFile(folder, "0.txt", UtcSeconds(2021, 1, 1)));
    QVERIFY(MakeFile(folder, "漢.txt", UtcSeconds(2019, 1, 1)));

    MainWindowHarness h;
    QVERIFY(StartShown(h, folder));
    const qsizetype n = equal.size();
    const QByteArrayList listed = Names(h).mid(1, n);
    QCOMPARE(Names(h).first(), QByteArray("0.txt"));
    for (const QByteArray& name : equal)
        QVERIFY(listed.contains(name));

    ClickHeader(*h.dlg, 0); // descending: the equal names still stand as they did
    QCOMPARE(Names(h).mid(1, n), listed);
    ClickHeader(*h.dlg, 0);
    QCOMPARE(Names(h).mid(1, n), listed);
}

void TestListOrdering::HeaderClicks_Should_SortAndFlipDirections_data() {
    // Each step: a click on column 0 or 1, then the rows ("" for none) and the flags name and
    // date ascending next, e.g. "1: bca 1 0".
    QTest::addColumn<QString>("folder"); // "three", "none" (empty list) or "missing"
    QTest::addColumn<QStringList>("steps");
    QTest::newRow("name twice: descending, then ascending")
        << "three" << QStringList{"0: cba 1 1", "0: abc 0 1"};
    QTest::newRow("date twice: oldest first, then newest first")
        << "three" << QStringList{"1: bca 1 0", "1: acb 1 1"};
    QTest::newRow("date, name, date: each other column starts ascending")
        << "three" << QStringList{"1: bca 1 0", "0: abc 0 1", "1: bca 1 0"};
    QTest::newRow("date twice, name, date")
        << "three" << QStringList{"1: bca 1 0", "1: acb 1 1", "0: abc 0 1", "1: bca 1 0"};
    QTest::newRow("name, date, name")
        << "three" << QStringList{"0: cba 1 1", "1: bca 1 0", "0: abc 0 1"};
    QTest::newRow("empty list: flags change all the same")
        << "none" << QStringList{"0:  1 1", "0:  0 1", "1:  1 0", "1:  1 1", "0:  0 1"};
    QTest::newRow("missing rows: the disabled list takes no click")
        << "missing" << QStringList{"0: 指定されたフォルダは 0 1", "1: 指定されたフォルダは 0 1"};
}

void TestListOrdering::HeaderClicks_Should_SortAndFlipDirections() {
    QFETCH(QString, folder);
    QFETCH(QStringList, steps);
    QTemporaryDir tmp;
    std::string path = QFile::encodeName(tmp.path()).toStdString();
    if (folder == "three") {
        for (const auto& [name, time] : kThreeFiles)
            QVERIFY(MakeFile(path, name, time));
    } else if (folder == "none") {
        path.clear(); // an empty folder text lists nothing, so the list stays empty
    }
    MainWindowHarness h;
    QVERIFY(StartShown(h, path));
    if (folder == "missing") {
        h.edit(IDC_FOLDER)->setText(QString::fromStdString(path + "/gone"));
        QVERIFY(!h.dlg->m_listFiles.IsWindowEnabled());
    }
    QCOMPARE(h.dlg->m_bNameAscending, 0);
    QCOMPARE(h.dlg->m_bDateAscending, 1);
    for (const QString& step : steps) {
        const QStringList parts = step.split(' ');
        ClickHeader(*h.dlg, step.left(1).toInt());
        if (folder == "missing")
            QCOMPARE(QString::fromStdString(h.names().front()), parts[1]);
        else
            QCOMPARE(Letters(h), parts[1]);
        QCOMPARE(h.dlg->m_bNameAscending, parts[2].toInt());
        QCOMPARE(h.dlg->m_bDateAscending, parts[3].toInt());
    }
    QVERIFY(h.boxes.shown.empty());
}

void TestListOrdering::DateOrder_Should_FollowTimeToTheMinute_data() {
    QTest::addColumn<QList<qint64>>("times"); // of a.txt, b.txt, c.txt...
    QTest::addColumn<QString>("oldestFirst");
    QTest::addColumn<QString>("newestFirst");
    QTest::newRow("1960 before 2020 before 2040")
        << QList<qint64>{UtcSeconds(2040, 6, 23, 12), UtcSeconds(1960, 11, 8),
                         UtcSeconds(2020, 1, 1)}
        << "bca"
        << "acb";
    QTest::newRow("same minute compares equal, seconds do not count")
        << QList<qint64>{UtcSeconds(2020, 1, 1, 10, 0, 59), UtcSeconds(2020, 1, 1, 10, 0, 1),
                         UtcSeconds(2020, 1, 1, 10, 1, 0)}
        << "abc"
        << "cab";
    QTest::newRow("months and days compare by their leading zeros")
        << QList<qint64>{UtcSeconds(2020, 10, 1), UtcSeconds(2020, 9, 30), UtcSeconds(2020, 1, 10),
                         UtcSeconds(2020, 1, 9)}
        << "dcba"
        << "abcd";
}

void TestListOrdering::DateOrder_Should_FollowTimeToTheMinute() {
    QFETCH(QList<qint64>, times);
    QFETCH(QString, oldestFirst);
    QFETCH(QString, newestFirst);
    QTemporaryDir tmp;
    const std::string folder = QFile::encodeName(tmp.path()).toStdString();
    for (qsizetype i = 0; i < times.size(); ++i)
        QVERIFY(MakeFile(folder, std::string(1, char('a' + i)) + ".txt", times[i]));
    MainWindowHarness h;
    QVERIFY(StartShown(h, folder));
    ClickHeader(*h.dlg, 1);
    QCOMPARE(Letters(h), oldestFirst);
    ClickHeader(*h.dlg, 1);
    QCOMPARE(Letters(h), newestFirst);
}

void TestListOrdering::Sort_Should_CarrySelectionAndFocusWithRows_data() {
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<QString>("selected"); // by name, before and after
    QTest::addColumn<QString>("focused");
    QTest::newRow("date order, two selected, focus on one of them") << QList<int>{1} << "bc"
                                                                    << "c";
    QTest::newRow("newest first, focus on an unselected row") << QList<int>{1, 1} << "a"
                                                              << "b";
    QTest::newRow("name descending, every row selected") << QList<int>{0} << "abc"
                                                         << "a";
    QTest::newRow("nothing selected, focus only") << QList<int>{1, 0} << ""
                                                  << "c";
}

void TestListOrdering::Sort_Should_CarrySelectionAndFocusWithRows() {
    QFETCH(QList<int>, clicks);
    QFETCH(QString, selected);
    QFETCH(QString, focused);
    QTemporaryDir tmp;
    const std::string folder = QFile::encodeName(tmp.path()).toStdString();
    for (const auto& [name, time] : kThreeFiles)
        QVERIFY(MakeFile(folder, name, time));
    MainWindowHarness h;
    QVERIFY(StartShown(h, folder));
    CListCtrl& list = h.dlg->m_listFiles;
    const auto marks = [&](unsigned bit) {
        QString letters;
        for (int r = 0; r < list.GetItemCount(); ++r)
            if (list.GetItemState(r, bit))
                letters += Letters(h)[r];
        std::sort(letters.begin(), letters.end());
        return letters;
    };
    for (int r = 0; r < 3; ++r) {
        const QChar letter = Letters(h)[r];
        list.SetItemState(r, selected.contains(letter) ? LVIS_SELECTED : 0, LVIS_SELECTED);
        if (letter == focused[0])
            list.SetItemState(r, LVIS_FOCUSED, LVIS_FOCUSED);
    }
    for (int column : clicks) {
        const QString before = Letters(h);
        ClickHeader(*h.dlg, column);
        QVERIFY(Letters(h) != before);
        QCOMPARE(marks(LVIS_SELECTED), selected);
        QCOMPARE(marks(LVIS_FOCUSED), focused);
    }
}

QTEST_MAIN(TestListOrdering)
#include "tst_listordering.moc"
