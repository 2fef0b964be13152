#include "mainwnd/NumberingDlg.h"

#include "mainwnd/SeparatorRule.h"
#include "platform/FolderChooser.h"

namespace quorvel {

void CNumberingDlg::OnBrowse() {
    UpdateData(true);
    const std::optional<std::string> chosen = m_services.folderChooser.ChooseFolder(
        this, "ファイル名を変更するファイルのあるフォルダを選択：");
    if (!chosen)
        return;
    m_strFolder = *chosen;
    ListFolder(m_strFolder, 1, 1);
}

void CNumberingDlg::OnChangeFolder() {
    const std::string previous = m_strFolder;
    UpdateData(true);
    if (FolderChangeShouldList(previous, m_strFolder))
        ListFolder(m_strFolder, 0, 1);
}

void CNumberingDlg::OnChangeFilter() {
    UpdateData(true);
    ListFolder(m_strFolder, 0, 0);
}

void CNumberingDlg::OnRefresh() {
    UpdateData(true);
    ListFolder(m_strFolder, 1, 0);
}

void CNumberingDlg::OnExit() {
    DestroyWindow();
}

} // namespace quorvel
