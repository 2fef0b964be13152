#include "mainwnd/SeparatorRule.h"

#include <QTest>

using quorvel::FolderChangeShouldList;

class TestSeparatorRule : public QObject {
    Q_OBJECT

private slots:
    void folderChange_Should_ListOrNot_When_TextChanges_data();
    void folderChange_Should_ListOrNot_When_TextChanges();
};

void TestSeparatorRule::folderChange_Should_ListOrNot_When_TextChanges_data() {
    QTest::addColumn<QByteArray>("previous");
    QTest::addColumn<QByteArray>("now");
    QTest::addColumn<bool>("lists");

    // A trailing "/" added or removed names the same folder.
    QTest::newRow("typing a trailing slash")
        << QByteArray("/photos") << QByteArray("/photos/") << false;
    QTest::newRow("deleting the trailing slash")
        << QByteArray("/photos/") << QByteArray("/photos") << false;
    QTest::newRow("root slash deleted") << QByteArray("/") << QByteArray("") << false;
    QTest::newRow("slash typed into an empty box") << QByteArray("") << QByteArray("/") << false;

    // Only the length and the last bytes count, so these skip as well.
    QTest::newRow("shortening that removes a final slash")
        << QByteArray("/abc/") << QByteArray("/ab") << false;
    QTest::newRow("longer paste ending in a slash")
        << QByteArray("/a") << QByteArray("/b/") << false;
    QTest::newRow("same-length paste ending in a slash")
        << QByteArray("/ab") << QByteArray("/c/") << false;

    // Every other change lists.
    QTest::newRow("typing a character") << QByteArray("/ab") << QByteArray("/abc") << true;
    QTest::newRow("deleting a character") << QByteArray("/abc") << QByteArray("/ab") << true;
    QTest::newRow("typing after a trailing slash")
        << QByteArray("/a/") << QByteArray("/a/b") << true;
    QTest::newRow("deleting back to a slash") << QByteArray("/a/b") << QByteArray("/a/") << true;
    QTest::newRow("emptying a box without a final slash")
        << QByteArray("/a") << QByteArray("") << true;
    QTest::newRow("both end in a slash, same length")
        << QByteArray("/abc/") << QByteArray("/abd/") << true;
    QTest::newRow("both end in a slash, shorter")
        << QByteArray("/abc/") << QByteArray("/a/") << true;
    QTest::newRow("unchanged text") << QByteArray("/photos") << QByteArray("/photos") << true;
    QTest::newRow("Japanese folder name, character deleted")
        << QByteArray("/写真/旅行") << QByteArray("/写真/旅") << true;
}

void TestSeparatorRule::folderChange_Should_ListOrNot_When_TextChanges() {
    QFETCH(QByteArray, previous);
    QFETCH(QByteArray, now);
    QFETCH(bool, lists);

    QCOMPARE(FolderChangeShouldList(std::string_view(previous.constData(), previous.size()),
                                    std::string_view(now.constData(), now.size())),
             lists);
}

QTEST_GUILESS_MAIN(TestSeparatorRule)
#include "tst_separatorrule.moc"
