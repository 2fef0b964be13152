#include "platform/FileTimeText.h"

#include <QtTest>

#include <cstdlib>
#include <ctime>
#include <limits>
#include <string>

using quorvel::FileTimeText;

namespace {

void UseZone(const QByteArray& zone) {
    qputenv("TZ", zone);
    tzset();
}

// What the C library itself says, one call per second asked.
std::string PlainLocalText(qint64 seconds) {
    const auto time = static_cast<std::time_t>(seconds);
    std::tm fields{};
    if (localtime_r(&time, &fields) == nullptr) {
        return {};
    }
    char text[64];
    const std::size_t length = std::strftime(text, sizeof text, "%Y/%m/%d  %H:%M", &fields);
    return std::string(text, length);
}

} // namespace

class FileTimeTextTest : public QObject {
    Q_OBJECT

private slots:
    void showsLocalTimeAtTheFilesDate_data();
    void showsLocalTimeAtTheFilesDate();
    void agreesWithTheLibraryAroundOffsetChanges_data();
    void agreesWithTheLibraryAroundOffsetChanges();
};

void FileTimeTextTest::showsLocalTimeAtTheFilesDate_data() {
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<qint64>("seconds");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("epoch in UTC") << QByteArray("UTC") << qint64(0)
                                  << QByteArray("1970/01/01  00:00");
    QTest::newRow("epoch in Berlin is one hour later")
        << QByteArray("Europe/Berlin") << qint64(0) << QByteArray("1970/01/01  01:00");
    QTest::newRow("epoch in New York is the day before")
        << QByteArray("America/New_York") << qint64(0) << QByteArray("1969/12/31  19:00");
    QTest::newRow("seconds are dropped, not rounded")
        << QByteArray("UTC") << qint64(59) << QByteArray("1970/01/01  00:00");

    // Offset changes: the offset of the file's own date applies.
    QTest::newRow("Berlin last minute of winter time")
        << QByteArray("Europe/Berlin") << qint64(1711846799) << QByteArray("2024/03/31  01:59");
    QTest::newRow("Berlin first minute of summer time")
        << QByteArray("Europe/Berlin") << qint64(1711846800) << QByteArray("2024/03/31  03:00");
    QTest::newRow("Berlin last minute of summer time")
        << QByteArray("Europe/Berlin") << qint64(1729990799) << QByteArray("2024/10/27  02:59");
    QTest::newRow("Berlin repeated hour after summer time")
        << QByteArray("Europe/Berlin") << qint64(1729990800) << QByteArray("2024/10/27  02:00");
    QTest::newRow("New York spring gap")
        << QByteArray("America/New_York") << qint64(1710053999) << QByteArray("2024/03/10  01:59");
    QTest::newRow("New York after the spring gap")
        << QByteArray("America/New_York") << qint64(1710054000) << QByteArray("2024/03/10  03:00");
    QTest::newRow("New York last summer minute")
        << QByteArray("America/New_York") << qint64(1730613599) << QByteArray("2024/11/03  01:59");
    QTest::newRow("New York repeated hour")
        << QByteArray("America/New_York") << qint64(1730613600) << QByteArray("2024/11/03  01:00");
    QTest::newRow("Tokyo keeps nine hours in summer")
        << QByteArray("Asia/Tokyo") << qint64(2224065600) << QByteArray("2040/06/23  21:00");

    // 64-bit time: no 1970 or 2038 window.
    QTest::newRow("1960 in Berlin")
        << QByteArray("Europe/Berlin") << qint64(-288662400) << QByteArray("1960/11/08  01:00");
    QTest::newRow("2040 summer in Berlin")
        << QByteArray("Europe/Berlin") << qint64(2224065600) << QByteArray("2040/06/23  14:00");
    QTest::newRow("first second past 32-bit time")
        << QByteArray("Asia/Tokyo") << qint64(2147483648) << QByteArray("2038/01/19  12:14");
    QTest::newRow("before standard time Berlin used its local mean time")
        << QByteArray("Europe/Berlin") << qint64(-2524521600) << QByteArray("1890/01/01  00:53");

    // The year range 1..9999 of the local date.
    QTest::newRow("first second of year 1")
        << QByteArray("UTC") << qint64(-62135596800) << QByteArray("0001/01/01  00:00");
    QTest::newRow("year 0 is out of range")
        << QByteArray("UTC") << qint64(-62135596801) << QByteArray();
    QTest::newRow("year 1 reached through the local offset")
        << QByteArray("Asia/Tokyo") << qint64(-62135596800 - 3600)
        << QByteArray("0001/01/01  08:18");
    QTest::newRow("year 0 in New York local time")
        << QByteArray("America/New_York") << qint64(-62135596800) << QByteArray();
    QTest::newRow("last minute of year 9999")
        << QByteArray("UTC") << qint64(253402300799) << QByteArray("9999/12/31  23:59");
    QTest::newRow("year 10000 in Tokyo local time")
        << QByteArray("Asia/Tokyo") << qint64(253402300799) << QByteArray();
    QTest::newRow("year 10000 in UTC") << QByteArray("UTC") << qint64(253402300800) << QByteArray();
    QTest::newRow("smallest 64-bit time")
        << QByteArray("Europe/Berlin") << std::numeric_limits<qint64>::min() << QByteArray();
    QTest::newRow("largest 64-bit time")
        << QByteArray("Europe/Berlin") << std::numeric_limits<qint64>::max() << QByteArray();
}

void FileTimeTextTest::showsLocalTimeAtTheFilesDate() {
    QFETCH(QByteArray, zone);
    QFETCH(qint64, seconds);
    QFETCH(QByteArray, expected);
    UseZone(zone);
    QCOMPARE(QByteArray::fromStdString(FileTimeText(seconds)), expected);
}

void FileTimeTextTest::agreesWithTheLibraryAroundOffsetChanges_data() {
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<qint64>("change");

    QTest::newRow("Berlin spring 2024") << QByteArray("Europe/Berlin") << qint64(1711846800);
    QTest::newRow("Berlin autumn 2024") << QByteArray("Europe/Berlin") << qint64(1729990800);
    QTest::newRow("Berlin autumn 2039") << QByteArray("Europe/Berlin") << qint64(2203549200);
    QTest::newRow("Berlin 1893 end of local mean time")
        << QByteArray("Europe/Berlin") << qint64(-2422054408);
    QTest::newRow("New York spring 2024") << QByteArray("America/New_York") << qint64(1710054000);
    QTest::newRow("New York autumn 1965") << QByteArray("America/New_York") << qint64(-131565600);
    QTest::newRow("Tokyo summer time 1951 ends") << QByteArray("Asia/Tokyo") << qint64(-577962000);
    QTest::newRow("Kolkata half-hour offset") << QByteArray("Asia/Kolkata") << qint64(-764145000);
}

void FileTimeTextTest::agreesWithTheLibraryAroundOffsetChanges() {
    QFETCH(QByteArray, zone);
    QFETCH(qint64, change);
    UseZone(zone);
    // Every minute (plus a few odd seconds) of two days around the change, visited in an order
    // that jumps across the change and to days 8,192 days earlier, which any table of days
    // sized as a power of two keeps in the same places: remembered offsets are both reused
    // and replaced.
    constexpr qint64 kRange = 2 * 86400;
    constexpr qint64 kFarAway = 8192 * qint64(86400);
    for (qint64 step = 0; step <= kRange; step += 60) {
        for (const qint64 seconds : {change - step, change + step - 1, change + step + 7,
                                     change - kFarAway + step, change - kFarAway - step}) {
            const std::string expected = PlainLocalText(seconds);
            const std::string actual = FileTimeText(seconds);
            if (actual != expected) {
                QFAIL(qPrintable(
                    QStringLiteral("at %1: got \"%2\", the library says \"%3\"")
                        .arg(seconds)
                        .arg(QString::fromStdString(actual), QString::fromStdString(expected))));
            }
        }
    }
}

QTEST_GUILESS_MAIN(FileTimeTextTest)
#include "tst_filetimetext.moc"
