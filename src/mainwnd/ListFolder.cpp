#include "mainwnd/NumberingDlg.h"

#include "fs/FileSearch.h"
#include "order/SortKey.h"
#include "platform/MessageBox.h"
#include "platform/WaitCursor.h"
#include "platform/WorkProgress.h"
#include "platform/listctrl/Permute.h"
#include "text/SystemErrorText.h"

#include <algorithm>

namespace quorvel {
namespace {

constexpr const char* kNoFileRow = "指定されたファイルは";
constexpr const char* kNoFolderRow = "指定されたフォルダは";
constexpr const char* kNotExistRow = "               存在しません。";
constexpr ColorRef kMissingColor = Rgb(230, 0, 0);
constexpr ColorRef kFileColor = Rgb(0, 0, 0);
constexpr const char* kReadingText = "ファイルを読み込んでいます…";

// Rows stand in the reverse of the search's order before the sort, as if each entry had been
// inserted at the top; it shows only among names that compare equal. Every step works in place:
// a large folder's rows exist once, never twice.
void PutInNameOrder(std::vector<ListRow>& rows) {
    std::reverse(rows.begin(), rows.end());
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i].itemData = std::uint32_t(i);
    PermuteInPlace(rows, SortOrder(rows, 0, true));
}

} // namespace

void CNumberingDlg::ListFolder(std::string folder, int reportErrors, int clearPrefix) {
    const WaitCursor wait;
    if (folder.empty())
        return;
    const std::string pattern = m_strFilter.empty() ? std::string("*.*") : m_strFilter;

    // The rows are built and put in order away from the window, and take the list's place only
    // once complete: a listing that is stopped, or fails, leaves the list as it was.
    std::vector<ListRow> rows;
    SearchResult search;
    WorkProgress progress;
    const ProgressView view{kReadingText, 0,
                            [](std::size_t examined) { return std::to_string(examined) + " 件"; }};
    m_services.progressWindow.Run(this, view, progress, [&] {
        search = FindFiles(folder, pattern, rows, m_services.searchSystem, &progress);
        if (search.error == SearchError::None)
            PutInNameOrder(rows);
    });
    switch (search.error) {
    case SearchError::None:
        break;
    case SearchError::Stopped:
        return;
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
