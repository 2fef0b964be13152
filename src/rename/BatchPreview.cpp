#include "rename/BatchPreview.h"

#include "fs/LetterCase.h"
#include "fs/SafeRename.h"
#include "text/ReadableName.h"
#include "text/SystemErrorText.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel {
namespace {

// The folder part already ends in a separator; more at the start of the prefix name the same
// folder, never the root.
std::string RelativeToFolder(std::string name) {
    const std::size_t skip = name.find_first_not_of('/');
    name.erase(0, skip == std::string::npos ? name.size() : skip);
    return name;
}

std::size_t NameLimit(int dirfd) {
    if (dirfd >= 0) {
        const long limit = fpathconf(dirfd, _PC_NAME_MAX);
        if (limit > 0)
            return static_cast<std::size_t>(limit);
    }
    return NAME_MAX;
}

// A "/" in the prefix makes folders of the new name; the limit holds for each part.
bool HasPartLongerThan(std::string_view name, std::size_t limit) {
    while (!name.empty()) {
        const std::size_t slash = name.find('/');
        if (name.substr(0, slash).size() > limit)
            return true;
        name.remove_prefix(slash == std::string_view::npos ? name.size() : slash + 1);
    }
    return false;
}

bool SameInode(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Which new names the folder already holds, and whether by another file than the row's own. A
// large batch reads the folder once: looking up names that do not exist yet, one call each, costs
// more than the whole listing of a folder fresh from the disk. A small one looks each name up and
// reads the folder only when a name exists. A name with a "/" lies in another folder and is always
// looked up.
class ExistingNames {
public:
    ExistingNames(int dirfd, const std::vector<PlannedRename>& plan)
        : m_dirfd(dirfd), m_plan(plan) {
        constexpr std::size_t kListAbove = 256;
        if (plan.size() > kListAbove)
            List();
    }

    // Whether the new name of row k is taken by anything but the row's own file or a file that an
    // earlier row has renamed away by then.
    bool TakenByAnother(std::size_t k) {
        const PlannedRename& row = m_plan[k];
        struct stat target {};
        const bool elsewhere = row.newName.find('/') != std::string::npos;
        if ((elsewhere || !m_listed) &&
            fstatat(m_dirfd, row.newName.c_str(), &target, AT_SYMLINK_NOFOLLOW) != 0)
            return false;
        if (!elsewhere)
            List();
        if (elsewhere || !m_listed) {
            struct stat own {};
            return fstatat(m_dirfd, row.oldName.c_str(), &own, AT_SYMLINK_NOFOLLOW) != 0 ||
                   !SameInode(own, target);
        }
        // Entries matching the new name in any letter case, as a file system that ignores case
        // matches them; whatever inode numbers it gives each spelling, its entries tell.
        bool otherCase = false;
        const auto [first, last] = m_index.equal_range(row.newName);
        for (auto entry = first; entry != last; ++entry) {
            if (*entry == row.oldName || FreedBefore(*entry, k))
                continue;
            if (*entry == row.newName)
                return true;
            otherCase = true;
        }
        // Another file in another letter case holds the name only where the file system ignores
        // case, and it is then what the new name finds.
        return otherCase &&
               fstatat(m_dirfd, row.newName.c_str(), &target, AT_SYMLINK_NOFOLLOW) == 0;
    }

private:
    // Reads the folder, once; a listing cut short proves nothing about the names it did not reach.
    void List() {
        if (m_triedListing)
            return;
        m_triedListing = true;
        m_listed = ReadFolderNames(m_dirfd, "", m_names) == 0;
        if (!m_listed)
            return;
        m_index.reserve(m_names.size());
        for (const std::string& name : m_names)
            m_index.insert(name);
    }

    // Whether an earlier row than k has `name` as its old name.
    bool FreedBefore(std::string_view name, std::size_t k) {
        if (m_firstRowOfOldName.empty()) {
            m_firstRowOfOldName.reserve(m_plan.size());
            for (std::size_t j = 0; j < m_plan.size(); ++j)
                m_firstRowOfOldName.try_emplace(m_plan[j].oldName, j);
        }
        const auto found = m_firstRowOfOldName.find(name);
        return found != m_firstRowOfOldName.end() && found->second < k;
    }

    int m_dirfd;
    const std::vector<PlannedRename>& m_plan;
    bool m_triedListing = false;
    bool m_listed = false;
    std::vector<std::string> m_names;
    std::unordered_multiset<std::string_view, AsciiCaseInsensitiveHash, AsciiCaseInsensitiveEqual>
        m_index;
    std::unordered_map<std::string_view, std::size_t> m_firstRowOfOldName;
};

std::int32_t NumberAt(const NameBuilder& names, std::size_t k) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(names.Start()) +
                                     static_cast<std::uint32_t>(k));
}

std::string RowLabel(std::size_t row) {
    return std::to_string(row + 1) + " 行目: ";
}

} // namespace

std::vector<PlannedRename> PlanBatch(const NameBuilder& names,
                                     const std::vector<std::string>& oldNames) {
    std::vector<PlannedRename> plan;
    plan.reserve(oldNames.size());
    for (std::size_t k = 0; k < oldNames.size(); ++k)
        plan.push_back(PlannedRename{
            oldNames[k],
            RelativeToFolder(names.NewName(oldNames[k], static_cast<std::uint32_t>(k)))});
    return plan;
}

std::vector<BatchProblem> FindBatchProblems(int dirfd, const std::vector<PlannedRename>& plan,
                                            const NameBuilder& names) {
    std::vector<BatchProblem> problems;
    const std::size_t limit = NameLimit(dirfd);
    const std::size_t firstNumberLength = FormatSequenceNumber(names.Start(), names.Width()).size();
    bool outgrown = false;
    std::unordered_map<std::string_view, std::size_t> firstRowOfNewName;
    firstRowOfNewName.reserve(plan.size());
    std::optional<ExistingNames> existing;
    if (dirfd >= 0)
        existing.emplace(dirfd, plan);

    for (std::size_t k = 0; k < plan.size(); ++k) {
        const PlannedRename& row = plan[k];
        const auto [earlier, first] = firstRowOfNewName.try_emplace(row.newName, k);
        if (!first)
            problems.push_back({BatchProblemKind::SameNewName, k, earlier->second});
        else if (existing && row.newName != row.oldName && existing->TakenByAnother(k))
            problems.push_back({BatchProblemKind::NameTaken, k});

        // One report is enough: every later number is at least as long.
        if (!outgrown &&
            FormatSequenceNumber(NumberAt(names, k), names.Width()).size() > firstNumberLength) {
            problems.push_back({BatchProblemKind::NumberOutgrowsWidth, k});
            outgrown = true;
        }
        if (HasPartLongerThan(row.newName, limit))
            problems.push_back({BatchProblemKind::NameTooLong, k, limit});
    }
    return problems;
}

bool StopsTheRun(BatchProblemKind kind) {
    return kind != BatchProblemKind::NumberOutgrowsWidth;
}

std::string BatchPreviewText(const std::vector<PlannedRename>& plan,
                             const std::vector<BatchProblem>& problems, const NameBuilder& names) {
    std::string text;
    std::size_t size = 0;
    for (const PlannedRename& row : plan)
        size += row.oldName.size() + row.newName.size() + 6;
    text.reserve(size);
    for (const PlannedRename& row : plan) {
        text += ReadableName(row.oldName);
        text += " → ";
        text += ReadableName(row.newName);
        text += '\n';
    }
    if (problems.empty())
        return text;

    text += '\n';
    const BatchProblem* stop = nullptr;
    for (const BatchProblem& p : problems) {
        const std::string name = ReadableName(plan[p.row].newName);
        text += RowLabel(p.row);
        switch (p.kind) {
        case BatchProblemKind::NameTaken:
            text += "「" + name + "」は既にフォルダ内に存在します。";
            break;
        case BatchProblemKind::SameNewName:
            text +=
                "「" + name + "」は " + std::to_string(p.other + 1) + " 行目と同じ名前になります。";
            break;
        case BatchProblemKind::NumberOutgrowsWidth:
            text += "番号「" + FormatSequenceNumber(NumberAt(names, p.row), names.Width()) +
                    "」が開始番号の桁数を超えるため、名前順では番号順に並びません。";
            break;
        case BatchProblemKind::NameTooLong:
            text += "「" + name + "」はファイル名が長すぎます（" + std::to_string(p.other) +
                    " バイトまで）。";
            break;
        }
        text += '\n';
        if (!stop && StopsTheRun(p.kind))
            stop = &p;
    }
    if (stop)
        text += "変換は " + std::to_string(stop->row + 1) + " 行目で止まります。\n";
    return text;
}

std::string BatchFailureText(const PlannedRename& row, int error, std::size_t renamedBefore) {
    return "失敗したファイル: " + ReadableName(row.oldName) + " → " + ReadableName(row.newName) +
           "\n理由: " + SystemErrorText(error) +
           "\nそれまでに変換したファイル: " + std::to_string(renamedBefore) + " 件\n";
}

} // namespace quorvel
