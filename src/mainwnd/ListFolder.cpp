#include "mainwnd/NumberingDlg.h"

#include "platform/FileSearch.h"
#include "platform/MessageBox.h"
#include "platform/SystemErrorText.h"
#include "platform/WaitCursor.h"

#include <algorithm>

namespace quorvel {
namespace {

constexpr const char* kNoFileRow = "指定されたファイルは";
constexpr const char* kNoFolderRow = "指定されたフォルダは";
constexpr const char* kNotExistRow = "               存在しません。";
constexpr ColorRef kMissingColor = Rgb(230, 0, 0);
constexpr ColorRef kFileColor = Rgb(0, 0, 0);

} // namespace

void CNumberingDlg::ListFolder(std::string folder, int reportErrors, int clearPrefix) {
    const WaitCursor wait;
    if (folder.empty())
        return;
    const std::string pattern = m_strFilter.empty() ? std::string("*.*") : m_strFilter;

    std::vector<FoundFile> found;
    const SearchResult search = FindFiles(folder, pattern, found);
    switch (search.error) {
    case SearchError::None:
        break;
    case SearchError::NoSuchEntry:
        ShowMissingRows(kNoFileRow, clearPrefix, true);
        return;
    case SearchError::PathNotFound:
    case SearchError::BadPathName:
        if (reportErrors)
            ShowSystemError(search.sysError);
        else
            ShowMissingRows(kNoFolderRow, clearPrefix, true);
        return;
    case SearchError::Other:
        ShowSystemError(search.sysError);
        return;
    }

    // Rows stand in the reverse of the search's order before the sort, as if each entry had
    // been inserted at the top; it shows only among names that compare equal.
    std::vector<ListRow> rows(found.size());
    for (std::size_t i = 0; i < found.size(); ++i) {
        ListRow& row = rows[found.size() - 1 - i];
        row.name = std::move(found[i].name);
        row.time = std::move(found[i].timeText);
        row.stamp = found[i].stamp;
    }
    found = {};
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i].itemData = std::uint32_t(i);
    if (!rows.empty()) {
        const std::vector<std::uint32_t> order = SortOrder(rows, 0, true);
        std::vector<ListRow> sorted;
        sorted.reserve(rows.size());
        for (std::uint32_t from : order)
            sorted.push_back(std::move(rows[from]));
        rows = std::move(sorted);
    }
    const bool empty = rows.empty();
    m_listFiles.ReplaceAllRows(std::move(rows));
    UpdateData(false);
    if (empty) {
        ShowMissingRows(kNoFileRow, clearPrefix, false);
        return;
    }
    m_bNameAscending = 0;
    m_bDateAscending = 1;
    m_bCaptureAscending = 1;
    m_bListValid = 1;
    m_listFiles.EnableWindow(true);
    if (clearPrefix) {
        m_strPrefix.clear();
        UpdateData(false);
    }
    m_listFiles.SetTextColor(kFileColor);
    m_strListedFolder = std::move(folder);
    ReadCaptureTimes();
}

void CNumberingDlg::ShowMissingRows(const char* firstRow, int clearPrefix, bool deleteAll) {
    if (deleteAll)
        m_listFiles.DeleteAllItems();
    m_listFiles.InsertItem(0, firstRow);
    m_listFiles.InsertItem(1, kNotExistRow);
    m_bListValid = 0;
    m_listFiles.EnableWindow(false);
    if (clearPrefix) {
        m_strPrefix.clear();
        UpdateData(false);
    }
    m_listFiles.SetTextColor(kMissingColor);
}

void CNumberingDlg::ShowSystemError(int code) {
    m_services.messageBox.Show(this, SystemErrorText(code), "Tessaly", MB_ICONEXCLAMATION);
}

} // namespace quorvel
