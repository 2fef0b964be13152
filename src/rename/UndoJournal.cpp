#include "rename/UndoJournal.h"

#include "fs/FolderIndex.h"
#include "fs/SafeRename.h"
#include "platform/WorkProgress.h"
#include "text/ReadableName.h"
#include "text/SystemErrorText.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <iterator>
#include <optional>
#include <set>
#include <string_view>
#include <unordered_set>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace quorvel {
namespace {

// Fields end in NUL, the one byte no file name can hold; the last one says the file is whole.
// The second version names the folder's device and inode after the folder.
constexpr std::string_view kMagic1 = "Quorvel undo journal 1\n";
constexpr std::string_view kMagic = "Quorvel undo journal 2\n";
constexpr std::string_view kEnd = "end";

FileIdentity IdentityOf(const struct stat& st) {
    return FileIdentity{true,
                        static_cast<std::uint64_t>(st.st_dev),
                        static_cast<std::uint64_t>(st.st_ino),
                        static_cast<std::int64_t>(st.st_size),
                        static_cast<std::int64_t>(st.st_mtim.tv_sec),
                        static_cast<std::int64_t>(st.st_mtim.tv_nsec)};
}

FileIdentity IdentityOf(const FileStamp& stamp, std::uint64_t device) {
    constexpr std::int64_t kBillion = 1000000000;
    std::int64_t seconds = stamp.mtimeNanoseconds / kBillion;
    std::int64_t nanoseconds = stamp.mtimeNanoseconds % kBillion;
    if (nanoseconds < 0) {
        --seconds;
        nanoseconds += kBillion;
    }
    return FileIdentity{true, device, stamp.inode, stamp.size, seconds, nanoseconds};
}

// The same inode, or, where inode numbers did not survive, the same size and time.
bool IsSameFile(const FileIdentity& recorded, const struct stat& st) {
    if (!recorded.known)
        return false;
    const FileIdentity now = IdentityOf(st);
    return (now.device == recorded.device && now.inode == recorded.inode) ||
           (now.size == recorded.size && now.mtimeSeconds == recorded.mtimeSeconds &&
            now.mtimeNanoseconds == recorded.mtimeNanoseconds);
}

// Which names the folder held when the undo began. A name in a subfolder is not listed: the file's
// status alone tells. The status is asked too, so that a name that left meanwhile is no longer
// held; a name the undo itself gives back is never asked for again. The same reading starts the
// index the undo's renames keep up to date.
class FolderNames {
public:
    FolderNames(int dirfd, RenameSystem& sys, FolderIndex& index) : m_dirfd(dirfd) {
        std::vector<std::string> names;
        if (sys.ReadFolder(dirfd, "", names) == 0) {
            index.Assign(names);
            m_names.emplace(std::make_move_iterator(names.begin()),
                            std::make_move_iterator(names.end()));
        }
    }

    bool Holds(const std::string& name, const FileIdentity& identity) const {
        if (m_names && name.find('/') == std::string::npos && !m_names->contains(name))
            return false;
        struct stat st {};
        return fstatat(m_dirfd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
               IsSameFile(identity, st);
    }

private:
    int m_dirfd;
    // Absent when the folder could not be read.
    std::optional<std::unordered_set<std::string>> m_names;
};

void AddField(std::string& out, std::string_view field) {
    out += field;
    out += '\0';
}

template <typename T> void AppendNumber(std::string& out, T value, char after) {
    char digits[24];
    out.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
    out += after;
}

void AddIdentity(std::string& out, const FileIdentity& id) {
    if (!id.known) {
        AddField(out, "-");
        return;
    }
    AppendNumber(out, id.device, ' ');
    AppendNumber(out, id.inode, ' ');
    AppendNumber(out, id.size, ' ');
    AppendNumber(out, id.mtimeSeconds, ' ');
    AppendNumber(out, id.mtimeNanoseconds, '\0');
}

} // namespace

std::string SerializeUndoJournal(const UndoJournal& journal) {
    std::string out(kMagic);
    std::size_t size = journal.folder.size() + 96;
    for (const JournalEntry& e : journal.entries)
        size += e.oldName.size() + e.newName.size() + 64;
    out.reserve(size);
    AddField(out, journal.folder);
    AppendNumber(out, journal.folderIdentity.device, ' ');
    AppendNumber(out, journal.folderIdentity.inode, '\0');
    AddField(out, journal.done ? std::to_string(*journal.done) : "-");
    AddField(out, std::to_string(journal.entries.size()));
    for (const JournalEntry& e : journal.entries) {
        AddField(out, e.oldName);
        AddField(out, e.newName);
        AddIdentity(out, e.identity);
    }
    AddField(out, kEnd);
    return out;
}

namespace {

class FieldReader {
public:
    explicit FieldReader(std::string_view bytes) : m_rest(bytes) {}

    std::optional<std::string_view> Next() {
        const std::size_t end = m_rest.find('\0');
        if (end == std::string_view::npos)
            return std::nullopt;
        const std::string_view field = m_rest.substr(0, end);
        m_rest.remove_prefix(end + 1);
        return field;
    }
    bool AtEnd() const { return m_rest.empty(); }

private:
    std::string_view m_rest;
};

template <typename T> bool ParseNumber(std::string_view& text, T& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc())
        return false;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    if (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    return true;
}

std::optional<FileIdentity> ParseIdentity(std::string_view text) {
    FileIdentity id;
    if (text == "-")
        return id;
    id.known = ParseNumber(text, id.device) && ParseNumber(text, id.inode) &&
               ParseNumber(text, id.size) && ParseNumber(text, id.mtimeSeconds) &&
               ParseNumber(text, id.mtimeNanoseconds) && text.empty();
    return id.known ? std::optional(id) : std::nullopt;
}

struct Head {
    UndoJournal journal; // without its entries
    std::size_t entries = 0;
};

// Magic, folder, folder identity (from the second version on), how far the batch came, and how
// many entries follow.
std::optional<Head> ParseHead(FieldReader& fields, std::string_view bytes) {
    const bool second = bytes.starts_with(kMagic);
    if (!second && !bytes.starts_with(kMagic1))
        return std::nullopt;
    fields = FieldReader(bytes.substr(kMagic.size()));
    Head head;
    UndoJournal& journal = head.journal;
    const auto folder = fields.Next();
    if (!folder || folder->empty())
        return std::nullopt;
    journal.folder = *folder;
    if (second) {
        auto id = fields.Next();
        FolderIdentity& f = journal.folderIdentity;
        f.known = id && ParseNumber(*id, f.device) && ParseNumber(*id, f.inode) && id->empty();
        if (!f.known)
            return std::nullopt;
    }
    auto done = fields.Next();
    auto count = fields.Next();
    if (!done || !count || !ParseNumber(*count, head.entries) || !count->empty())
        return std::nullopt;
    if (*done != "-") {
        std::size_t value = 0;
        if (!ParseNumber(*done, value) || !done->empty() || value > head.entries)
            return std::nullopt;
        journal.done = value;
    }
    return head;
}

} // namespace

std::optional<UndoJournal> ParseUndoJournal(std::string_view bytes) {
    FieldReader fields(bytes);
    std::optional<Head> head = ParseHead(fields, bytes);
    if (!head)
        return std::nullopt;
    UndoJournal journal = std::move(head->journal);
    // The count comes from the file: reserve no more than the file could hold.
    journal.entries.reserve(std::min(head->entries, bytes.size() / 3));
    for (std::size_t i = 0; i < head->entries; ++i) {
        const auto oldName = fields.Next();
        const auto newName = fields.Next();
        const auto identityText = fields.Next();
        if (!oldName || !newName || !identityText)
            return std::nullopt;
        const std::optional<FileIdentity> identity = ParseIdentity(*identityText);
        if (!identity)
            return std::nullopt;
        journal.entries.push_back({std::string(*oldName), std::string(*newName), *identity});
    }
    if (fields.Next() != kEnd || !fields.AtEnd())
        return std::nullopt;
    return journal;
}

std::optional<bool> ParseUndoJournalHead(std::string_view bytes) {
    FieldReader fields(bytes);
    const std::optional<Head> head = ParseHead(fields, bytes);
    if (!head)
        return std::nullopt;
    return head->journal.done ? *head->journal.done > 0 : head->entries > 0;
}

UndoJournal MakeUndoJournal(int dirfd, std::string folder, const std::vector<PlannedRename>& plan,
                            const std::vector<FileStamp>& listed) {
    UndoJournal journal{std::move(folder), {}, {}, std::nullopt};
    journal.entries.reserve(plan.size());
    const auto lookUp = [dirfd](const std::string& name) {
        struct stat st {};
        return fstatat(dirfd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 ? IdentityOf(st)
                                                                           : FileIdentity{};
    };
    // One status instead of one per row, when the first row's file is in this folder just as the
    // listing saw it.
    struct stat folderStat {};
    const bool useListing = !plan.empty() && listed.size() == plan.size() && listed[0].known() &&
                            fstat(dirfd, &folderStat) == 0 &&
                            lookUp(plan[0].oldName) == IdentityOf(listed[0], folderStat.st_dev);
    const std::uint64_t device = static_cast<std::uint64_t>(folderStat.st_dev);
    if (fstat(dirfd, &folderStat) == 0)
        journal.folderIdentity = {true, static_cast<std::uint64_t>(folderStat.st_dev),
                                  static_cast<std::uint64_t>(folderStat.st_ino)};
    for (std::size_t k = 0; k < plan.size(); ++k) {
        const PlannedRename& row = plan[k];
        journal.entries.push_back({row.oldName, row.newName,
                                   useListing && listed[k].known() ? IdentityOf(listed[k], device)
                                                                   : lookUp(row.oldName)});
    }
    return journal;
}

bool HasSomethingToUndo(const UndoJournal& journal) {
    return journal.done ? *journal.done > 0 : !journal.entries.empty();
}

int SyncRenamedFolders(int dirfd, const UndoJournal& journal, std::size_t renamed) {
    std::set<std::string> subfolders{""};
    for (std::size_t k = 0; k < renamed && k < journal.entries.size(); ++k) {
        const std::string& name = journal.entries[k].newName;
        if (const std::size_t slash = name.rfind('/'); slash != std::string::npos)
            subfolders.insert(name.substr(0, slash + 1));
    }
    int result = 0;
    for (const std::string& subfolder : subfolders)
        if (const int error = SyncFolder(dirfd, subfolder); error != 0 && result == 0)
            result = error;
    return result;
}

bool IsBatchFolder(const UndoJournal& journal, int dirfd) {
    struct stat st {};
    struct statfs fs {};
    if (fstat(dirfd, &st) != 0 || fstatfs(dirfd, &fs) != 0)
        return false;
    // FAT and exFAT, in the kernel or through FUSE, number folders afresh at every mount, and
    // FUSE numbers the device too: a card put back in is still the card. There each file's own
    // size and time decide.
    constexpr long kFuse = 0x65735546, kMsdos = 0x4d44, kExfat = 0x2011BAB0;
    if (fs.f_type == kFuse || fs.f_type == kMsdos || fs.f_type == kExfat)
        return true;
    const auto device = static_cast<std::uint64_t>(st.st_dev);
    if (journal.folderIdentity.known)
        return journal.folderIdentity.device == device &&
               journal.folderIdentity.inode == static_cast<std::uint64_t>(st.st_ino);
    // A journal of the first version knows the folder only by its files' device.
    return std::all_of(journal.entries.begin(), journal.entries.end(), [device](const auto& e) {
        return !e.identity.known || e.identity.device == device;
    });
}

UndoResult UndoBatch(const UndoJournal& journal, RenameSystem& sys, WorkProgress* progress) {
    UndoResult result;
    const FolderHandle folder(journal.folder);
    // The folder was checked when the journal was read; this is the folder now open.
    const bool sameFolder = folder.ok() && IsBatchFolder(journal, folder.fd());
    FolderIndex index;
    const FolderNames names(folder.fd(), sys, index);
    // Rows past the one that failed were never tried.
    const std::size_t end = journal.done.value_or(journal.entries.size());
    std::size_t k = end;
    for (std::size_t tried = 0; k > 0; ++tried) {
        if (progress) {
            if (progress->StopRequested())
                break;
            progress->SetDone(tried);
        }
        const JournalEntry& e = journal.entries[--k];
        if (!folder.ok() || !sameFolder) {
            result.skipped.push_back({e.oldName, e.newName, folder.ok() ? ESTALE : folder.error()});
            continue;
        }
        if (names.Holds(e.newName, e.identity)) {
            if (const int error = RenameNoReplace(folder.fd(), e.newName, e.oldName, sys, &index);
                error)
                result.skipped.push_back({e.oldName, e.newName, error});
            else
                ++result.restored;
        } else if (!names.Holds(e.oldName, e.identity)) {
            result.skipped.push_back({e.oldName, e.newName, 0});
        }
    }
    // Before the journal goes: a power cut must not undo the undo without it.
    if (result.restored > 0)
        SyncRenamedFolders(folder.fd(), journal, end);
    result.left = k;
    return result;
}

std::string UndoPlanText(const UndoJournal& journal) {
    std::string text;
    const std::size_t end = journal.done.value_or(journal.entries.size());
    for (std::size_t k = 0; k < end; ++k)
        text += ReadableName(journal.entries[k].newName) + " → " + ReadableName(journal.entries[k].oldName) + "\n";
    return text;
}

std::string UndoSkippedText(const std::vector<UndoSkip>& skipped) {
    std::string text;
    for (const UndoSkip& s : skipped)
        text += ReadableName(s.newName) + " → " + ReadableName(s.oldName) + ": " +
                (s.error == 0 ? "変換の後で移動または名前の変更がされています。"
                              : SystemErrorText(s.error)) +
                "\n";
    return text;
}

} // namespace quorvel
