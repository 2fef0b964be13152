#include "support/Photos.h"
#include "text/FileUri.h"
#include "thumbs/ThumbnailCache.h"
#include "thumbs/ThumbnailDecoder.h"
#include "thumbs/ThumbnailLoader.h"
#include "thumbs/ThumbnailPaths.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <sys/stat.h>

using namespace quorvel;
using namespace quorvel::test;

enum class Stamp { Kept, OtherMTime, OtherSize };

class TestThumbnails : public QObject {
    Q_OBJECT

    QTemporaryDir m_cacheHome, m_files;

    static QSize Shown(const QString& path) {
        return LoadThumbnail(ThumbnailCache(ThumbnailRoot()), path.toStdString()).picture.size();
    }

private slots:
    void initTestCase() { qputenv("XDG_CACHE_HOME", m_cacheHome.path().toLocal8Bit()); }
    void cleanup() { QDir(m_cacheHome.path() + "/thumbnails").removeRecursively(); }

    void choosePreview_Should_TakeTheSmallestThatFillsTheBox_data() {
        QTest::addColumn<QList<QSize>>("previews"); // smallest first
        QTest::addColumn<int>("chosen");
        QTest::newRow("none fills it: the largest") << QList<QSize>{{160, 120}, {200, 150}} << 1;
        QTest::newRow("exactly the box fills it")
            << QList<QSize>{{160, 120}, {256, 192}, {320, 240}} << 1;
    }
    void choosePreview_Should_TakeTheSmallestThatFillsTheBox() {
        QFETCH(QList<QSize>, previews);
        QFETCH(int, chosen);
        QCOMPARE(ChoosePreview(previews, 256), qsizetype(chosen));
    }

    // A drop names the file to list: never one of another machine, nor a cut-short path.
    void firstLocalPath_Should_TakeTheFirstFileOfThisMachine_data() {
        QTest::addColumn<QByteArray>("uriList");
        QTest::addColumn<QByteArray>("path"); // empty: none
        QTest::newRow("comment, other scheme, then files")
            << QByteArray("# from a file manager\r\nhttp://x/y\r\nfile:///d%20e\r\nfile:///f\r\n")
            << QByteArray("/d e");
        QTest::newRow("another machine")
            << QByteArray("file://elsewhere.example/g") << QByteArray();
        QTest::newRow("an escaped NUL") << QByteArray("file:///h%00i") << QByteArray();
    }
    void firstLocalPath_Should_TakeTheFirstFileOfThisMachine() {
        QFETCH(QByteArray, uriList);
        QFETCH(QByteArray, path);
        QCOMPARE(QByteArray::fromStdString(FirstLocalPath(uriList.toStdString()).value_or("")),
                 path);
    }

    // The entry a file manager left, named by the MD5 of a URI that escapes the name's "?".
    void load_Should_UseAnEntryOnlyWhileItStandsForTheFile_data() {
        QTest::addColumn<Stamp>("stamp");
        QTest::addColumn<QSize>("shown"); // the entry's 8 x 8, or the photo's own 16 x 12
        QTest::newRow("written for this file") << Stamp::Kept << QSize(8, 8);
        QTest::newRow("file changed since: other mtime") << Stamp::OtherMTime << QSize(16, 12);
        QTest::newRow("file changed since: other size") << Stamp::OtherSize << QSize(16, 12);
    }
    void load_Should_UseAnEntryOnlyWhileItStandsForTheFile() {
        QFETCH(Stamp, stamp);
        QFETCH(QSize, shown);
        const QString path = m_files.path() + "/a ?.jpg",
                      folder = m_cacheHome.path() + "/thumbnails/large/";
        QVERIFY(WritePhoto(path) && QDir().mkpath(folder));
        const QFileInfo file(path);
        const QByteArray uri = QUrl::fromLocalFile(path).toEncoded();
        QImage entry(8, 8, QImage::Format_RGB32);
        entry.setText("Thumb::URI", QString::fromLatin1(uri));
        entry.setText("Thumb::MTime", QString::number(file.lastModified().toSecsSinceEpoch() +
                                                      (stamp == Stamp::OtherMTime)));
        entry.setText("Thumb::Size", QString::number(file.size() + (stamp == Stamp::OtherSize)));
        QVERIFY(entry.save(folder + QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex() +
                           ".png"));
        QCOMPARE(Shown(path), shown);
    }

    void load_Should_TurnAJpegUpright() {
        const QString path = m_files.path() + "/turned.jpg";
        QVERIFY(WritePhoto(path, {{"Exif.Image.Orientation", "6"}}));
        QCOMPARE(Shown(path), QSize(12, 16));
        // Other users of the machine see nothing of the photos.
        const QString folder = m_cacheHome.path() + "/thumbnails/large";
        struct stat entry {
        }, large{};
        QCOMPARE(
            stat(QFile::encodeName(folder + "/" + QDir(folder).entryList(QDir::Files)[0]), &entry) +
                stat(QFile::encodeName(folder), &large),
            0);
        QCOMPARE(entry.st_mode & 0777, mode_t(0600));
        QCOMPARE(large.st_mode & 0777, mode_t(0700));
    }
};

QTEST_GUILESS_MAIN(TestThumbnails)
#include "tst_thumbnails.moc"
