#include "photo/CaptureTime.h"
#include "rename/UndoJournalFile.h"
#include "settings/ProfileFile.h"
#include "support/TestFolder.h"
#include "thumbs/ThumbnailLoader.h"

#include <QtTest>

#include <filesystem>

#include <sys/stat.h>

using namespace quorvel;
using namespace quorvel::test;
namespace fs = std::filesystem;

namespace {

// Every reader of the program that opens a file it did not write itself.
enum class Reader { Thumbnail, CaptureTime, Settings, Journal };
// What sits under a picture's, the settings' or the journal's name instead of a file.
enum class Special { Fifo, LinkToDevZero };

// Whether the reader saw nothing it could use there.
bool ReadsNothing(Reader reader, const std::string& path) {
    switch (reader) {
    case Reader::Thumbnail:
        return LoadThumbnail(ThumbnailCache(fs::path(path).parent_path() / "cache"), path)
            .picture.isNull();
    case Reader::CaptureTime:
        return ReadCaptureTime(path) == kCaptureNone;
    case Reader::Settings:
        return !LoadProfile(path).has_value();
    case Reader::Journal:
        return ReadUndoJournal(path).problem == JournalProblem::Damaged;
    }
    return false;
}

} // namespace

Q_DECLARE_METATYPE(Reader)
Q_DECLARE_METATYPE(Special)

class TestSpecialFiles : public QObject {
    Q_OBJECT

private slots:
    // A pipe that no one writes to would hold the reader, and with it the thread or the start,
    // for good; a device would feed it without end.
    void readers_Should_PassOverWhatIsNoFile_data() {
        QTest::addColumn<Reader>("reader");
        QTest::addColumn<Special>("special");
        const std::pair<Reader, const char*> readers[] = {{Reader::Thumbnail, "thumbnail"},
                                                          {Reader::CaptureTime, "capture time"},
                                                          {Reader::Settings, "settings"},
                                                          {Reader::Journal, "journal"}};
        for (const auto& [reader, name] : readers) {
            QTest::addRow("%s: a FIFO", name) << reader << Special::Fifo;
            QTest::addRow("%s: a link to /dev/zero", name) << reader << Special::LinkToDevZero;
        }
    }
    void readers_Should_PassOverWhatIsNoFile() {
        QFETCH(Reader, reader);
        QFETCH(Special, special);
        const TestFolder folder;
        const std::string path = folder.path() + "/pipe.jpg";
        if (special == Special::Fifo)
            QCOMPARE(mkfifo(path.c_str(), 0600), 0);
        else
            fs::create_symlink("/dev/zero", path);
        QVERIFY(ReadsNothing(reader, path));
    }
};

QTEST_MAIN(TestSpecialFiles)
#include "tst_specialfiles.moc"
