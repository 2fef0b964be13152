#include "text/FileUri.h"
#include "thumbs/ThumbnailCache.h"
#include "thumbs/ThumbnailDecoder.h"
#include "thumbs/ThumbnailLoader.h"
#include "thumbs/ThumbnailPaths.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <exiv2/exiv2.hpp>

#include <sys/stat.h>

using namespace quorvel;

namespace {

QImage Filled(int width, int height, QColor colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// The left half in one colour, the right half in another.
QImage Halves(int width, int height, QColor left, QColor right) {
    QImage image = Filled(width, height, right);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width / 2; ++x)
            image.setPixelColor(x, y, left);
    return image;
}

// Near enough for a colour that went through JPEG, at a point given in fractions of the size.
bool Looks(const QImage& image, QColor colour, double fx = 0.5, double fy = 0.5) {
    const QColor c = image.pixelColor(int(image.width() * fx), int(image.height() * fy));
    return std::abs(c.red() - colour.red()) < 40 && std::abs(c.green() - colour.green()) < 40 &&
           std::abs(c.blue() - colour.blue()) < 40;
}

std::unique_ptr<Exiv2::Image> Exif(const QString& path) {
    std::unique_ptr<Exiv2::Image> image(Exiv2::ImageFactory::open(path.toStdString()).release());
    image->readMetadata();
    return image;
}

// What a file manager's entry holds; the keys it leaves out are not in the map.
using Keys = QMap<QString, QString>;

Keys KeysOf(const QString& entry) {
    QImageReader reader(entry, "png");
    const QImage image = reader.read();
    Keys keys;
    for (const QString& key : image.textKeys())
        keys[key] = image.text(key);
    return keys;
}

void WriteEntry(const QString& entry, QImage picture, const Keys& keys) {
    QDir().mkpath(QFileInfo(entry).path());
    for (auto it = keys.begin(); it != keys.end(); ++it)
        picture.setText(it.key(), it.value());
    QVERIFY(picture.save(entry, "png"));
}

enum class Entry {
    Fresh,
    NoSize,
    StatedSize,
    StatedSizeUnturned,
    OtherMTime,
    OtherSize,
    OtherUri,
    NoMTime
};

} // namespace

class TestThumbnails : public QObject {
    Q_OBJECT

    QTemporaryDir m_cacheHome;
    QTemporaryDir m_files;

    QString cacheRoot() const { return m_cacheHome.path() + "/thumbnails"; }
    // The URI as a file manager builds it, and the entry named after it.
    static QByteArray UriOf(const QString& path) { return QUrl::fromLocalFile(path).toEncoded(); }
    QString entryOf(const QString& folder, const QString& path) const {
        return cacheRoot() + "/" + folder + "/" +
               QCryptographicHash::hash(UriOf(path), QCryptographicHash::Md5).toHex() + ".png";
    }
    QString photo(const QString& name, const QImage& image) const {
        const QString path = m_files.path() + "/" + name;
        image.save(path, nullptr, 95);
        return path;
    }
    static Thumbnail Load(const QString& path) {
        return LoadThumbnail(ThumbnailCache(ThumbnailRoot()), path.toStdString());
    }
    static Keys FileKeys(const QString& path) {
        const QFileInfo info(path);
        return {{"Thumb::URI", QString::fromLatin1(UriOf(path))},
                {"Thumb::MTime", QString::number(info.lastModified().toSecsSinceEpoch())},
                {"Thumb::Size", QString::number(info.size())}};
    }

private slots:
    void initTestCase() {
        qputenv("XDG_CACHE_HOME", m_cacheHome.path().toLocal8Bit());
        QCOMPARE(QString::fromStdString(ThumbnailRoot()), cacheRoot());
    }
    void cleanup() { QDir(cacheRoot()).removeRecursively(); }

    void fileUri_Should_EscapeAsFileManagersDo_data() {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QByteArray>("uri");
        QTest::newRow("plain") << QByteArray("/home/u/a.jpg") << QByteArray("file:///home/u/a.jpg");
        QTest::newRow("blank and marks kept") << QByteArray("/a b/(1)+x,y=z~!$&'*:@.jpg")
                                              << QByteArray("file:///a%20b/(1)+x,y=z~!$&'*:@.jpg");
        QTest::newRow("URI delimiters escaped")
            << QByteArray("/p/#1?%;[].jpg") << QByteArray("file:///p/%231%3F%25%3B%5B%5D.jpg");
        QTest::newRow("Japanese as UTF-8 bytes")
            << QByteArray("/写真/ｱ.jpg") << QByteArray("file:///%E5%86%99%E7%9C%9F/%EF%BD%B1.jpg");
        QTest::newRow("a byte that is not UTF-8")
            << QByteArray("/x\xff.jpg") << QByteArray("file:///x%FF.jpg");
    }
    void fileUri_Should_EscapeAsFileManagersDo() {
        QFETCH(QByteArray, path);
        QFETCH(QByteArray, uri);
        QCOMPARE(QByteArray::fromStdString(FileUri(path.toStdString())), uri);
    }

    void choosePreview_Should_TakeTheSmallestThatFillsTheBox_data() {
        QTest::addColumn<QList<QSize>>("previews"); // smallest first
        QTest::addColumn<int>("chosen");
        QTest::newRow("one") << QList<QSize>{{160, 120}} << 0;
        QTest::newRow("none fills it: the largest")
            << QList<QSize>{{160, 120}, {200, 150}, {240, 180}} << 2;
        QTest::newRow("the smallest that fills it")
            << QList<QSize>{{160, 120}, {320, 240}, {1616, 1080}, {6000, 4000}} << 1;
        QTest::newRow("filled in height alone") << QList<QSize>{{160, 120}, {200, 300}} << 1;
        QTest::newRow("exactly the box fills it")
            << QList<QSize>{{160, 120}, {256, 192}, {320, 240}} << 1;
    }
    void choosePreview_Should_TakeTheSmallestThatFillsTheBox() {
        QFETCH(QList<QSize>, previews);
        QFETCH(int, chosen);
        QCOMPARE(ChoosePreview(previews, 256), qsizetype(chosen));
    }

    void entryName_Should_BeTheMd5OfTheUri() {
        // The example of the thumbnail standard.
        QCOMPARE(ThumbnailFileName("file:///home/jens/photos/me.png"),
                 std::string("c6ee772d9e49320e97ec29a7eb5b1697.png"));
    }

    void firstLocalPath_Should_TakeTheFirstFileOfThisMachine_data() {
        QTest::addColumn<QByteArray>("uriList");
        QTest::addColumn<QByteArray>("path"); // empty: none
        QTest::newRow("one file") << QByteArray("file:///a/b%20c.jpg\r\n")
                                  << QByteArray("/a/b c.jpg");
        QTest::newRow("comment, other scheme, then a file")
            << QByteArray("# from a file manager\r\nhttp://x/y\r\nfile:///d\r\nfile:///e\r\n")
            << QByteArray("/d");
        QTest::newRow("localhost, upper-case scheme")
            << QByteArray("FILE://localhost/f/%FF") << QByteArray("/f/\xff");
        QTest::newRow("another machine")
            << QByteArray("file://elsewhere.example/g") << QByteArray();
        QTest::newRow("a broken escape") << QByteArray("file:///h%2") << QByteArray();
        QTest::newRow("an escaped NUL") << QByteArray("file:///h%00i") << QByteArray();
    }
    void firstLocalPath_Should_TakeTheFirstFileOfThisMachine() {
        QFETCH(QByteArray, uriList);
        QFETCH(QByteArray, path);
        const std::optional<std::string> found = FirstLocalPath(uriList.toStdString());
        QCOMPARE(found.has_value(), !path.isEmpty());
        if (found)
            QCOMPARE(QByteArray::fromStdString(*found), path);
    }

    void absolutePath_Should_ResolveByTheTextAlone_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("absolute");
        QTest::newRow("relative") << "photos/2024"
                                  << "/work/photos/2024";
        QTest::newRow("dots and doubled separators") << "/a//b/./c/../d/"
                                                     << "/a/b/d";
        QTest::newRow("above the root") << "/../x"
                                        << "/x";
        QTest::newRow("the root") << "/"
                                  << "/";
    }
    void absolutePath_Should_ResolveByTheTextAlone() {
        QFETCH(QString, path);
        QFETCH(QString, absolute);
        QCOMPARE(QString::fromStdString(AbsolutePath(path.toStdString(), "/work")), absolute);
    }

    void load_Should_WriteAnEntryFileManagersRead_When_ThePictureIsDecoded() {
        const QString path = photo("a b.jpg", Filled(600, 400, Qt::red));
        const Thumbnail thumbnail = Load(path);
        QCOMPARE(thumbnail.picture.size(), QSize(256, 170));
        QVERIFY(Looks(thumbnail.picture, Qt::red));
        QCOMPARE(thumbnail.pixelSize, QSize(600, 400));

        const QString entry = entryOf("large", path);
        QCOMPARE(QFileInfo(entry).permissions(),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
        struct stat folder {};
        QCOMPARE(stat(QFile::encodeName(cacheRoot() + "/large").constData(), &folder), 0);
        QCOMPARE(folder.st_mode & 0777, mode_t(0700));
        Keys expected = FileKeys(path);
        expected["Thumb::Image::Width"] = "600";
        expected["Thumb::Image::Height"] = "400";
        expected["Software"] = "Quorvel";
        QCOMPARE(KeysOf(entry), expected);
        QFile png(entry);
        QVERIFY(png.open(QIODevice::ReadOnly));
        QCOMPARE(png.read(26).at(25), char(6)); // colour type: RGB with alpha
        QCOMPARE(QDir(cacheRoot() + "/large").entryList(QDir::Files | QDir::Hidden).size(), 1);
        QImage written(entry);
        QCOMPARE(written.size(), QSize(256, 170));
    }

    void load_Should_UseAnEntryOnlyWhileItStandsForTheFile_data() {
        QTest::addColumn<Entry>("entry");
        QTest::addColumn<bool>("used");
        QTest::addColumn<QSize>("pixels");
        const QSize file(600, 400);
        QTest::newRow("made by a file manager for this file") << Entry::Fresh << true << file;
        QTest::newRow("without the optional size") << Entry::NoSize << true << file;
        // Some writers give the image's size before its Exif turn: the picture says which.
        QTest::newRow("stating the size upright") << Entry::StatedSize << true << QSize(450, 300);
        QTest::newRow("stating the size before turning")
            << Entry::StatedSizeUnturned << true << QSize(450, 300);
        QTest::newRow("file changed since: other mtime") << Entry::OtherMTime << false << file;
        QTest::newRow("file changed since: other size") << Entry::OtherSize << false << file;
        QTest::newRow("for another file") << Entry::OtherUri << false << file;
        QTest::newRow("without an mtime") << Entry::NoMTime << false << file;
    }
    void load_Should_UseAnEntryOnlyWhileItStandsForTheFile() {
        QFETCH(Entry, entry);
        QFETCH(bool, used);
        QFETCH(QSize, pixels);
        const QString path = photo("b.jpg", Filled(600, 400, Qt::red));
        Keys keys = FileKeys(path);
        if (entry == Entry::OtherMTime)
            keys["Thumb::MTime"] = QString::number(keys["Thumb::MTime"].toLongLong() + 1);
        if (entry == Entry::OtherSize)
            keys["Thumb::Size"] = "1";
        if (entry == Entry::OtherUri)
            keys["Thumb::URI"] = "file:///elsewhere/b.jpg";
        if (entry == Entry::NoMTime)
            keys.remove("Thumb::MTime");
        if (entry == Entry::NoSize)
            keys.remove("Thumb::Size");
        if (entry == Entry::StatedSize || entry == Entry::StatedSizeUnturned) {
            const bool turned = entry == Entry::StatedSize;
            keys["Thumb::Image::Width"] = turned ? "450" : "300";
            keys["Thumb::Image::Height"] = turned ? "300" : "450";
        }
        WriteEntry(entryOf("large", path), Filled(240, 160, Qt::green), keys);

        const Thumbnail thumbnail = Load(path);
        QCOMPARE(Looks(thumbnail.picture, Qt::green), used);
        QCOMPARE(Looks(thumbnail.picture, Qt::red), !used);
        QCOMPARE(thumbnail.pixelSize, pixels); // read from the file when not stated
        // A stale entry is replaced by one that stands for the file.
        QCOMPARE(KeysOf(entryOf("large", path))["Thumb::MTime"], FileKeys(path)["Thumb::MTime"]);
    }

    void load_Should_ShowNoPictureAndNoteTheFailure_When_NothingDecodesTheFile() {
        const QString path = m_files.path() + "/broken.jpg";
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("not a picture") > 0);
        file.close();
        QVERIFY(Load(path).picture.isNull());
        const QString failure = entryOf("fail/quorvel-2.1.0.1", path);
        const Keys keys = KeysOf(failure);
        QCOMPARE(keys["Thumb::URI"], FileKeys(path)["Thumb::URI"]);
        QCOMPARE(keys["Thumb::MTime"], FileKeys(path)["Thumb::MTime"]);
        QVERIFY(!QFile::exists(entryOf("large", path)));
        // A desktop thumbnailer that could read it made a normal entry: that one is shown.
        WriteEntry(entryOf("normal", path), Filled(120, 80, Qt::blue), FileKeys(path));
        QVERIFY(Looks(Load(path).picture, Qt::blue));
    }

    void load_Should_KeepTheSizeOfASmallPicture_And_LeaveTheCacheOutOfItsOwnFiles() {
        const QString small = photo("small.png", Filled(100, 50, Qt::blue));
        QCOMPARE(Load(small).picture.size(), QSize(100, 50));
        const QString own = entryOf("large", small);
        QVERIFY(QFile::exists(own));
        QCOMPARE(Load(own).picture.size(), QSize(100, 50));
        QCOMPARE(QDir(cacheRoot() + "/large").entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void load_Should_TurnThePictureUpright_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<QColor>("top"); // the left half turned a quarter clockwise
        // The JPEG through the image plugin; the raw file through its embedded preview, a
        // blue-and-green 160 x 120 one in a red 600 x 400 TIFF, the way cameras store them.
        QTest::newRow("JPEG, Exif orientation 6")
            << "turned.jpg" << QSize(40, 60) << QSize(40, 60) << QColor(Qt::red);
        QTest::newRow("raw file, orientation 6")
            << "turned.dng" << QSize(120, 160) << QSize(400, 600) << QColor(Qt::blue);
    }
    void load_Should_TurnThePictureUpright() {
        QFETCH(QString, name);
        QFETCH(QSize, picture);
        QFETCH(QSize, pixels);
        QFETCH(QColor, top);
        const QString path = m_files.path() + "/" + name;
        if (name.endsWith(".jpg")) {
            QVERIFY(Halves(60, 40, Qt::red, Qt::blue).save(path, "JPEG", 95));
        } else {
            QVERIFY(Filled(600, 400, Qt::red).save(path, "TIFF"));
            QByteArray preview;
            QBuffer buffer(&preview);
            buffer.open(QIODevice::WriteOnly);
            QVERIFY(Halves(160, 120, Qt::blue, Qt::green).save(&buffer, "JPEG", 95));
            const std::unique_ptr<Exiv2::Image> image = Exif(path);
            Exiv2::ExifThumb(image->exifData())
                .setJpegThumbnail(reinterpret_cast<const Exiv2::byte*>(preview.constData()),
                                  long(preview.size()));
            image->writeMetadata();
        }
        {
            const std::unique_ptr<Exiv2::Image> image = Exif(path);
            image->exifData()["Exif.Image.Orientation"] = std::uint16_t(6);
            image->writeMetadata();
        }
        const Thumbnail thumbnail = Load(path);
        QCOMPARE(thumbnail.picture.size(), picture);
        QCOMPARE(thumbnail.pixelSize, pixels);
        QVERIFY(Looks(thumbnail.picture, top, 0.5, 0.2));
        // Read back from the entry, the size comes out the same.
        QCOMPARE(Load(path).pixelSize, pixels);
    }
};

QTEST_GUILESS_MAIN(TestThumbnails)
#include "tst_thumbnails.moc"
