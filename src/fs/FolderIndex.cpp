#include "fs/FolderIndex.h"

#include "fs/SafeRename.h"

namespace quorvel {

int FolderIndex::Read(int dirfd, const std::string& subfolder, RenameSystem& sys) {
    Forget();
    std::vector<std::string> names;
    if (const int err = sys.ReadFolder(dirfd, subfolder.c_str(), names); err != 0)
        return err;
    Assign(names);
    return 0;
}

void FolderIndex::Assign(const std::vector<std::string>& names) {
    m_names.clear();
    m_names.reserve(names.size());
    m_names.insert(names.begin(), names.end());
    m_read = true;
}

bool FolderIndex::Lists(const std::string& name) const {
    const auto [first, last] = m_names.equal_range(name);
    for (auto it = first; it != last; ++it)
        if (*it == name)
            return true;
    return false;
}

std::optional<bool> FolderIndex::OnlySourceMatches(const std::string& source,
                                                   const std::string& target, bool justRead) const {
    const auto [first, last] = m_names.equal_range(target);
    for (auto it = first; it != last; ++it)
        if (*it != source)
            return false; // the target itself, or another file in another letter case
    const bool listed = Lists(source);
    if (justRead || (listed && first != last))
        return listed;
    return std::nullopt;
}

void FolderIndex::Renamed(const std::string& from, const std::string& to) {
    if (!m_read)
        return;
    if (from.find('/') == std::string::npos) {
        const auto [first, last] = m_names.equal_range(from);
        for (auto it = first; it != last; ++it)
            if (*it == from) {
                m_names.erase(it);
                break;
            }
    }
    if (to.find('/') == std::string::npos)
        m_names.insert(to);
}

void FolderIndex::Forget() {
    m_names.clear();
    m_read = false;
}

} // namespace quorvel
