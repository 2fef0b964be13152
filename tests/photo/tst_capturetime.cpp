#include "photo/CaptureTime.h"
#include "support/Photos.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace quorvel;
using namespace quorvel::test;

namespace {

const QString kOriginal = "Exif.Photo.DateTimeOriginal";
const QString kOriginalSub = "Exif.Photo.SubSecTimeOriginal";
const QString kDigitized = "Exif.Photo.DateTimeDigitized";
const QString kDigitizedSub = "Exif.Photo.SubSecTimeDigitized";
const QString kXmpOriginal = "Xmp.exif.DateTimeOriginal";
const QString kXmpCreated = "Xmp.photoshop.DateCreated";

// The microseconds within the second, for keys after 1970.
int SubSecond(CaptureKey key) {
    return int(key % 1'000'000);
}

} // namespace

class TestCaptureTime : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase() { PrepareCaptureTimeReading(); }

    void Read_Should_TakeTheFirstValidSource_data() {
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<PhotoTags>("tags");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("microseconds");
        const QString blank = "    :  :     :  :  ";
        QTest::newRow("original with its sub-seconds")
            << QByteArray("JPG")
            << PhotoTags{{kOriginal, "2021:03:01 10:00:00"}, {kOriginalSub, "25"}}
            << "2021/03/01  10:00:00" << 250000;
        QTest::newRow("original before digitized and XMP")
            << QByteArray("JPG")
            << PhotoTags{{kOriginal, "2021:03:01 10:00:00"},
                         {kDigitized, "2022:01:01 00:00:00"},
                         {kXmpOriginal, "2023-01-01T00:00:00"}}
            << "2021/03/01  10:00:00" << 0;
        QTest::newRow("digitized only, with its own sub-seconds")
            << QByteArray("JPG")
            << PhotoTags{{kDigitized, "2020:12:31 23:59:59"}, {kDigitizedSub, "5"}}
            << "2020/12/31  23:59:59" << 500000;
        QTest::newRow("a blank original falls back to digitized")
            << QByteArray("JPG")
            << PhotoTags{{kOriginal, blank}, {kDigitized, "2020:12:31 23:59:59"}}
            << "2020/12/31  23:59:59" << 0;
        QTest::newRow("XMP original: the wall clock as recorded, the offset not applied")
            << QByteArray("JPG") << PhotoTags{{kXmpOriginal, "2021-03-01T09:59:59.9+02:00"}}
            << "2021/03/01  09:59:59" << 900000;
        QTest::newRow("XMP original before the photoshop date")
            << QByteArray("JPG")
            << PhotoTags{{kXmpOriginal, "2021-03-01T08:00:00Z"}, {kXmpCreated, "2019-07-04"}}
            << "2021/03/01  08:00:00" << 0;
        QTest::newRow("photoshop date without a time: midnight")
            << QByteArray("JPG") << PhotoTags{{kXmpCreated, "2019-07-04"}} << "2019/07/04  00:00:00"
            << 0;
        QTest::newRow("a zero original and nothing else: none")
            << QByteArray("JPG") << PhotoTags{{kOriginal, "0000:00:00 00:00:00"}} << "" << -1;
        QTest::newRow("the modification date of the tags is not a capture time")
            << QByteArray("JPG") << PhotoTags{{"Exif.Image.DateTime", "2021:03:01 10:00:00"}} << ""
            << -1;
        QTest::newRow("no metadata at all") << QByteArray("JPG") << PhotoTags{} << "" << -1;
        QTest::newRow("PNG") << QByteArray("PNG") << PhotoTags{{kOriginal, "2018:05:06 07:08:09"}}
                             << "2018/05/06  07:08:09" << 0;
        QTest::newRow("TIFF") << QByteArray("TIFF") << PhotoTags{{kOriginal, "2018:05:06 07:08:09"}}
                              << "2018/05/06  07:08:09" << 0;
        QTest::newRow("WebP") << QByteArray("WEBP") << PhotoTags{{kOriginal, "2018:05:06 07:08:09"}}
                              << "2018/05/06  07:08:09" << 0;
    }
    void Read_Should_TakeTheFirstValidSource() {
        QFETCH(QByteArray, format);
        QFETCH(PhotoTags, tags);
        QFETCH(QString, text);
        QFETCH(int, microseconds);
        const QString file = path(QString(QTest::currentDataTag()) + "." + format.toLower());
        QVERIFY(WritePhoto(file, tags, format));
        const CaptureKey key = ReadCaptureTime(file.toStdString());
        QCOMPARE(QString::fromStdString(CaptureTimeText(key)), text);
        QCOMPARE(key == kCaptureNone ? -1 : SubSecond(key), microseconds);
    }

    void Read_Should_GiveNone_When_TheFileIsNoReadablePhoto_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("truncated in its Exif") << "truncated";
        QTest::newRow("text named .jpg") << "text";
        QTest::newRow("empty") << "empty";
        QTest::newRow("a folder") << "folder";
        QTest::newRow("a pipe, which must not block the reader") << "pipe";
        QTest::newRow("missing") << "missing";
    }
    void Read_Should_GiveNone_When_TheFileIsNoReadablePhoto() {
        QFETCH(QString, kind);
        const QString file = path("broken-" + kind + ".jpg");
        if (kind == "truncated") {
            QVERIFY(WritePhoto(file, {{kOriginal, "2021:03:01 10:00:00"}}));
            QFile photo(file);
            // Cut inside the Exif segment, which holds the date near its end.
            const QByteArray bytes = (photo.open(QIODevice::ReadOnly), photo.readAll());
            const qsizetype date = bytes.indexOf("2021:03:01");
            QVERIFY(date > 0);
            photo.close();
            QVERIFY(photo.resize(date - 20));
        } else if (kind == "text") {
            QFile text(file);
            QVERIFY(text.open(QIODevice::WriteOnly));
            text.write("2021:03:01 10:00:00 is when this was written\n");
        } else if (kind == "empty") {
            QFile empty(file);
            QVERIFY(empty.open(QIODevice::WriteOnly));
        } else if (kind == "folder") {
            QVERIFY(QDir().mkdir(file));
        } else if (kind == "pipe") {
            QCOMPARE(mkfifo(file.toLocal8Bit().constData(), 0600), 0);
        }
        QCOMPARE(ReadCaptureTime(file.toStdString()), kCaptureNone);
    }

    void Read_Should_NeverOpenAFileForWriting() {
        QTemporaryDir dir;
        const QString file = dir.filePath("a.jpg");
        QVERIFY(
            WritePhoto(file, {{kOriginal, "2021:03:01 10:00:00"}, {kXmpCreated, "2020-01-01"}}));
        const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        QVERIFY(watch >= 0);
        QVERIFY(inotify_add_watch(watch, dir.path().toLocal8Bit().constData(),
                                  IN_CLOSE_WRITE | IN_MODIFY | IN_ATTRIB | IN_CLOSE_NOWRITE) >= 0);
        QVERIFY(ReadCaptureTime(file.toStdString()) != kCaptureNone);
        // The reader did open the file (a closing without writing), and never for writing.
        alignas(inotify_event) char events[4096];
        const ssize_t length = read(watch, events, sizeof events);
        close(watch);
        QVERIFY(length > 0);
        for (ssize_t at = 0; at < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(events + at);
            QCOMPARE(event->mask, std::uint32_t(IN_CLOSE_NOWRITE));
            at += ssize_t(sizeof(inotify_event) + event->len);
        }
    }

    void Keys_Should_OrderABurstBySubSeconds() {
        // Three frames of one second and the next second: sub-seconds tell them apart, and a
        // frame without them counts as the start of its second.
        const CaptureKey whole = ParseExifTime("2021:03:01 10:00:00", "");
        const CaptureKey early = ParseExifTime("2021:03:01 10:00:00", "05");
        const CaptureKey late = ParseExifTime("2021:03:01 10:00:00", "5");
        const CaptureKey next = ParseExifTime("2021:03:01 10:00:01", "");
        QVERIFY(kCaptureNone < whole);
        QVERIFY(whole < early);
        QVERIFY(early < late);
        QVERIFY(late < next);
        QCOMPARE(ParseExifTime("2021:03:01 10:00:00", "000"), whole);
    }

    void ParseExif_Should_AcceptOnlyRealTimes_data() {
        QTest::addColumn<QString>("dateTime");
        QTest::addColumn<QString>("subSeconds");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("microseconds");
        QTest::newRow("leap day") << "2024:02:29 23:59:59"
                                  << ""
                                  << "2024/02/29  23:59:59" << 0;
        QTest::newRow("no 29 February in 2023") << "2023:02:29 12:00:00"
                                                << ""
                                                << "" << -1;
        QTest::newRow("month 13") << "2021:13:01 12:00:00"
                                  << ""
                                  << "" << -1;
        QTest::newRow("hour 24") << "2021:01:01 24:00:00"
                                 << ""
                                 << "" << -1;
        QTest::newRow("year 0") << "0000:01:01 00:00:00"
                                << ""
                                << "" << -1;
        QTest::newRow("dashes as some writers put them") << "2021-01-02 03:04:05"
                                                         << ""
                                                         << "2021/01/02  03:04:05" << 0;
        QTest::newRow("mixed separators") << "2021-01:02 03:04:05"
                                          << ""
                                          << "" << -1;
        QTest::newRow("trailing blanks") << "2021:01:02 03:04:05  "
                                         << ""
                                         << "2021/01/02  03:04:05" << 0;
        QTest::newRow("trailing text") << "2021:01:02 03:04:05 x"
                                       << ""
                                       << "" << -1;
        QTest::newRow("seven sub-second digits: the seventh dropped")
            << "2021:01:02 03:04:05"
            << "1234567"
            << "2021/01/02  03:04:05" << 123456;
        QTest::newRow("a blank before the sub-seconds") << "2021:01:02 03:04:05"
                                                        << " 7"
                                                        << "2021/01/02  03:04:05" << 700000;
        QTest::newRow("sub-seconds that are no digits") << "2021:01:02 03:04:05"
                                                        << "ab"
                                                        << "2021/01/02  03:04:05" << 0;
    }
    void ParseExif_Should_AcceptOnlyRealTimes() {
        QFETCH(QString, dateTime);
        QFETCH(QString, subSeconds);
        QFETCH(QString, text);
        QFETCH(int, microseconds);
        const CaptureKey key = ParseExifTime(dateTime.toStdString(), subSeconds.toStdString());
        QCOMPARE(QString::fromStdString(CaptureTimeText(key)), text);
        QCOMPARE(key == kCaptureNone ? -1 : SubSecond(key), microseconds);
    }

    void ParseXmp_Should_AcceptTheIsoForms_data() {
        QTest::addColumn<QString>("dateTime");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("microseconds");
        QTest::newRow("minutes only, UTC") << "2021-05-01T10:20Z"
                                           << "2021/05/01  10:20:00" << 0;
        QTest::newRow("negative offset kept as recorded") << "2021-05-01T23:30:00-05:00"
                                                          << "2021/05/01  23:30:00" << 0;
        QTest::newRow("fraction") << "2021-05-01T10:20:30.000123"
                                  << "2021/05/01  10:20:30" << 123;
        QTest::newRow("year and month only") << "2021-05"
                                             << "" << -1;
        QTest::newRow("hour without minutes") << "2021-05-01T10"
                                              << "" << -1;
        QTest::newRow("offset without its colon") << "2021-05-01T10:20:30+0900"
                                                  << "" << -1;
        QTest::newRow("a dot without digits") << "2021-05-01T10:20:30.Z"
                                              << "" << -1;
    }
    void ParseXmp_Should_AcceptTheIsoForms() {
        QFETCH(QString, dateTime);
        QFETCH(QString, text);
        QFETCH(int, microseconds);
        const CaptureKey key = ParseXmpTime(dateTime.toStdString());
        QCOMPARE(QString::fromStdString(CaptureTimeText(key)), text);
        QCOMPARE(key == kCaptureNone ? -1 : SubSecond(key), microseconds);
    }

    void Text_Should_CutSeconds_When_BeforeOrAfterTheEpoch_data() {
        QTest::addColumn<QString>("dateTime");
        QTest::addColumn<QString>("subSeconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("half a second before 1970") << "1969:12:31 23:59:59"
                                                   << "5"
                                                   << "1969/12/31  23:59:59";
        QTest::newRow("the last moment of year 9999") << "9999:12:31 23:59:59"
                                                      << "999999"
                                                      << "9999/12/31  23:59:59";
        QTest::newRow("the first of year 1") << "0001:01:01 00:00:00"
                                             << ""
                                             << "0001/01/01  00:00:00";
    }
    void Text_Should_CutSeconds_When_BeforeOrAfterTheEpoch() {
        QFETCH(QString, dateTime);
        QFETCH(QString, subSeconds);
        QFETCH(QString, text);
        const CaptureKey key = ParseExifTime(dateTime.toStdString(), subSeconds.toStdString());
        QCOMPARE(QString::fromStdString(CaptureTimeText(key)), text);
    }
};

QTEST_GUILESS_MAIN(TestCaptureTime)
#include "tst_capturetime.moc"
