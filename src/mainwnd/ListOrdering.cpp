#include "mainwnd/NumberingDlg.h"

#include "mainwnd/SortKey.h"

namespace quorvel {

std::vector<std::uint32_t> SortOrder(const std::vector<ListRow>& rows, int column,
                                     bool ascending) {
    // Every key is made once, before any row moves; the comparison then only compares bytes.
    std::vector<std::string> keys;
    keys.reserve(rows.size());
    SortKeyMaker makeKey;
    for (const ListRow& row : rows)
        keys.push_back(makeKey(column == 0 ? row.name : row.time));
    return SortedOrder(keys, ascending);
}

void CNumberingDlg::StampItemIndexes() {
    for (int i = 0; i < m_listFiles.GetItemCount(); ++i)
        m_listFiles.SetItemData(i, std::uint32_t(i));
}

void CNumberingDlg::SortRows(int column, bool ascending) {
    if (m_listFiles.GetItemCount() == 0)
        return;
    m_listFiles.ApplyOrder(SortOrder(m_listFiles.Model()->rows(), column, ascending));
}

void CNumberingDlg::OnColumnClick(Message& msg) {
    StampItemIndexes();
    const int column = msg.subItem;
    const std::int32_t ascending = column == 0 ? m_bNameAscending : m_bDateAscending;
    SortRows(column, ascending != 0);
    if (column == 0) {
        m_bNameAscending = m_bNameAscending == 0 ? 1 : 0;
        m_bDateAscending = 1;
    } else {
        m_bDateAscending = m_bDateAscending == 0 ? 1 : 0;
        m_bNameAscending = 1;
    }
    msg.result = 0;
}

} // namespace quorvel
