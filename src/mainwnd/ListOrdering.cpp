#include "mainwnd/NumberingDlg.h"

#include "mainwnd/CaptureTimeLoader.h"
#include "order/SortKey.h"
#include "platform/WaitCursor.h"

#include <algorithm>

namespace quorvel {

namespace {

// The capture times as sort keys, in row order. Compared as numbers they order as the byte
// comparison orders their fixed-width texts with every sub-second digit written out; an empty
// cell sorts first.
std::vector<std::int64_t> CaptureSortKeys(const FileListModel& model) {
    std::vector<std::int64_t> keys(std::size_t(model.count()));
    for (int r = 0; r < model.count(); ++r)
        keys[std::size_t(r)] = std::max(model.captureKey(r), kCaptureNone);
    return keys;
}

} // namespace

std::vector<std::uint32_t> SortOrder(const std::vector<ListRow>& rows, int column, bool ascending) {
    // Every key is made once, before any row moves; the comparison then only compares bytes.
    const auto text = [column](const ListRow& row) -> const std::string& {
        return column == 0 ? row.name : row.time;
    };
    std::size_t bytes = 0;
    for (const ListRow& row : rows)
        bytes += text(row).size();
    SortKeys keys;
    keys.Reserve(rows.size(), bytes);
    SortKeyMaker makeKey;
    for (const ListRow& row : rows)
        keys.Add(makeKey(text(row)));
    return SortedOrder(keys, ascending);
}

void CNumberingDlg::StampItemIndexes() {
    for (int i = 0; i < m_listFiles.GetItemCount(); ++i)
        m_listFiles.SetItemData(i, std::uint32_t(i));
}

void CNumberingDlg::SortRows(int column, bool ascending) {
    if (m_listFiles.GetItemCount() == 0)
        return;
    const FileListModel& model = *m_listFiles.Model();
    m_listFiles.ApplyOrder(column == 2 ? SortedOrder(CaptureSortKeys(model), ascending)
                                       : SortOrder(model.rows(), column, ascending));
}

void CNumberingDlg::OnColumnClick(Message& msg) {
    const int column = msg.subItem;
    if (column == 2) {
        // The sort must see every key: it waits for the reading still going.
        const WaitCursor wait;
        m_captureTimes->finish();
    }
    StampItemIndexes();
    // Each column's own direction flips; the other columns start ascending next time.
    std::int32_t* const flags[] = {&m_bNameAscending, &m_bDateAscending, &m_bCaptureAscending};
    std::int32_t& own = *flags[column == 0 ? 0 : column == 2 ? 2 : 1];
    SortRows(column, own != 0);
    const std::int32_t next = own == 0 ? 1 : 0;
    for (std::int32_t* flag : flags)
        *flag = 1;
    own = next;
    msg.result = 0;
}

} // namespace quorvel
