#include "rename/UndoJournalFile.h"

#include "fs/AtomicFile.h"
#include "fs/BaseFolders.h"
#include "fs/RegularFile.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel {
namespace {

// Two million files in one batch take about 80 MB: room for four times that, and a planted giant
// still does not get read. A batch whose journal would be larger is not journalled at all.
constexpr off_t kJournalLimit = off_t(320) << 20;
// Enough for the head of any journal: the magic, the folder's path and three numbers.
constexpr std::size_t kHeadBytes = 64 * 1024;

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// FNV-1a: a name for the settings file's journal that stays the same from run to run.
std::string HashName(std::string_view text) {
    std::uint64_t h = 14695981039346656037ull;
    for (const char c : text)
        h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    char name[24];
    std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(h));
    return name;
}

std::string Absolute(const std::string& path) {
    if (!path.empty() && path[0] == '/')
        return path;
    char cwd[4096];
    return getcwd(cwd, sizeof cwd) != nullptr ? std::string(cwd) + "/" + path : path;
}

// Opens the journal without following a link or waiting on a pipe, and reads at most `limit`
// bytes of it, or all of it when `limit` is 0.
JournalProblem ReadChecked(const std::string& path, std::size_t limit, std::string& bytes) {
    struct stat st {};
    const int fd = OpenRegularFile(path, st, O_NOFOLLOW);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? JournalProblem::Missing
                                                   : JournalProblem::Damaged;
    JournalProblem problem = JournalProblem::None;
    if (st.st_size > kJournalLimit)
        problem = JournalProblem::Damaged;
    else if (st.st_uid != geteuid())
        problem = JournalProblem::NotYours;
    if (problem == JournalProblem::None) {
        const std::size_t want = limit != 0 && limit < std::size_t(st.st_size)
                                     ? limit
                                     : static_cast<std::size_t>(st.st_size);
        bytes.resize(want);
        std::size_t got = 0;
        while (got < want) {
            const ssize_t n = read(fd, bytes.data() + got, want - got);
            if (n <= 0)
                break;
            got += static_cast<std::size_t>(n);
        }
        // A file that shrank meanwhile is torn for the parser.
        bytes.resize(got);
    }
    close(fd);
    return problem;
}

bool PlainName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos;
}

// A new name may lead into a subfolder (a prefix with "/"), never out of the folder; leading
// slashes stay inside it, as the rename takes them.
bool InsideFolder(std::string_view name) {
    name.remove_prefix(std::min(name.find_first_not_of('/'), name.size()));
    if (name.empty())
        return false;
    for (std::size_t start = 0;;) {
        const std::size_t slash = name.find('/', start);
        if (!PlainName(name.substr(start, slash - start)))
            return false;
        if (slash == std::string_view::npos)
            return true;
        start = slash + 1;
    }
}

JournalProblem CheckFolder(const UndoJournal& journal) {
    const int fd = open(journal.folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return JournalProblem::None; // gone: the undo says so for every file
    const bool same = IsBatchFolder(journal, fd);
    close(fd);
    return same ? JournalProblem::None : JournalProblem::OtherFolder;
}

} // namespace

std::string UndoJournalPath(const std::string& settingsPath) {
    const std::string state = StateHome();
    return state.empty() ? std::string()
                         : state + "/quorvel/" + HashName(Absolute(settingsPath)) + ".undo";
}

std::string LegacyUndoJournalPath(const std::string& settingsPath) {
    const std::size_t slash = settingsPath.rfind('/');
    return (slash == std::string::npos ? std::string() : settingsPath.substr(0, slash + 1)) +
           "Qorv.undo";
}

std::string JournalProblemText(JournalProblem problem) {
    switch (problem) {
    case JournalProblem::NotYours:
        return "記録が別のユーザーのものです。";
    case JournalProblem::OutsideFolder:
        return "記録にフォルダの外を指す名前があります。";
    case JournalProblem::OtherFolder:
        return "記録が別のフォルダのものです。";
    default:
        return "記録が壊れています。";
    }
}

JournalRead ReadUndoJournal(const std::string& path) {
    JournalRead result;
    std::string bytes;
    if (path.empty() || (result.problem = ReadChecked(path, 0, bytes)) != JournalProblem::None)
        return result;
    result.journal = ParseUndoJournal(bytes);
    if (!result.journal) {
        result.problem = JournalProblem::Damaged;
        return result;
    }
    for (const JournalEntry& e : result.journal->entries)
        if (!PlainName(e.oldName) || !InsideFolder(e.newName))
            result.problem = JournalProblem::OutsideFolder;
    if (result.problem == JournalProblem::None)
        result.problem = CheckFolder(*result.journal);
    if (result.problem != JournalProblem::None)
        result.journal.reset();
    return result;
}

JournalProblem PeekUndoJournal(const std::string& path, bool& somethingToUndo) {
    somethingToUndo = false;
    std::string bytes;
    if (path.empty())
        return JournalProblem::Missing;
    if (const JournalProblem problem = ReadChecked(path, kHeadBytes, bytes);
        problem != JournalProblem::None)
        return problem;
    const std::optional<bool> something = ParseUndoJournalHead(bytes);
    if (!something)
        return JournalProblem::Damaged;
    somethingToUndo = *something;
    return JournalProblem::None;
}

int WriteUndoJournal(const std::string& path, const UndoJournal& journal) {
    if (path.empty())
        return ENOENT;
    if (!MakePrivateFolders(FolderOf(path)))
        return errno != 0 ? errno : ENOTDIR;
    const std::string bytes = SerializeUndoJournal(journal);
    if (off_t(bytes.size()) > kJournalLimit)
        return EFBIG;
    // Durable before the first file of the batch is touched; private to the user.
    return ReplaceFileAtomically(path, bytes, 0600);
}

int RemoveUndoJournal(const std::string& path) {
    return path.empty() || unlink(path.c_str()) == 0 || errno == ENOENT ? 0 : errno;
}

bool CanWriteUndoJournal(const std::string& path) {
    return !path.empty() && MakePrivateFolders(FolderOf(path)) &&
           access(FolderOf(path).c_str(), W_OK | X_OK) == 0;
}

void AdoptLegacyUndoJournal(const std::string& legacyPath, const std::string& path) {
    struct stat st {};
    if (path.empty() || lstat(legacyPath.c_str(), &st) != 0 || lstat(path.c_str(), &st) == 0)
        return;
    const JournalRead legacy = ReadUndoJournal(legacyPath);
    if (legacy.journal && WriteUndoJournal(path, *legacy.journal) == 0)
        unlink(legacyPath.c_str());
}

} // namespace quorvel
