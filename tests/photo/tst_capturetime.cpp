#include "photo/CaptureTime.h"
#include "support/Photos.h"

#include <QtTest>

#include <sys/inotify.h>
#include <unistd.h>

using namespace quorvel;
using namespace quorvel::test;

class TestCaptureTime : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase() { PrepareCaptureTimeReading(); }

    void readsTheFirstValidSource_data() {
        QTest::addColumn<PhotoTags>("tags");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("micros");
        const QString orig = "Exif.Photo.DateTimeOriginal", dig = "Exif.Photo.DateTimeDigitized";
        const QString xmp = "Xmp.exif.DateTimeOriginal", created = "Xmp.photoshop.DateCreated";
        const QString t = "2021:03:01 10:00:00", shown = "2021/03/01  10:00:00";
        QTest::newRow("sub-seconds")
            << PhotoTags{{orig, t}, {"Exif.Photo.SubSecTimeOriginal", "25"}} << shown << 250000;
        QTest::newRow("original first")
            << PhotoTags{{orig, t}, {dig, "2022:01:01 00:00:00"}, {xmp, "2023-01-01T00:00:00"}}
            << shown << 0;
        QTest::newRow("digitized with its own sub-seconds")
            << PhotoTags{{dig, t}, {"Exif.Photo.SubSecTimeDigitized", "5"}} << shown << 500000;
        QTest::newRow("XMP original before the photoshop date")
            << PhotoTags{{xmp, "2021-03-01T10:00:00Z"}, {created, "2019-07-04"}} << shown << 0;
        QTest::newRow("hour 24") << PhotoTags{{orig, "2021:03:01 24:00:00"}} << "" << -1;
        QTest::newRow("text after the time") << PhotoTags{{orig, t + " x"}} << "" << -1;
    }

    void readsTheFirstValidSource() {
        QFETCH(PhotoTags, tags);
        const QString file = m_dir.filePath(QTest::currentDataTag()) + ".jpg";
        QVERIFY(WritePhoto(file, tags));
        // A photo is only ever opened for reading: the card may be write-protected or shared.
        const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        QVERIFY(inotify_add_watch(watch, file.toUtf8(), IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) >= 0);
        const CaptureKey key = ReadCaptureTime(file.toStdString());
        inotify_event event{};
        QCOMPARE(read(watch, &event, sizeof event), ssize_t(sizeof event));
        QCOMPARE(event.mask, std::uint32_t(IN_CLOSE_NOWRITE));
        close(watch);
        QTEST(QString::fromStdString(CaptureTimeText(key)), "text");
        QTEST(key == kCaptureNone ? -1 : int(key % 1'000'000), "micros");
    }
};

QTEST_GUILESS_MAIN(TestCaptureTime)
#include "tst_capturetime.moc"
