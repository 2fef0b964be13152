#include "mainwnd/NumberingDlg.h"

#include "platform/MessageBox.h"
#include "platform/SafeRename.h"
#include "rename/NameBuilder.h"
#include "res/resource.h"

namespace quorvel {
namespace {

// The folder part already ends in a separator; more at the start of the prefix name the same
// folder, never the root.
std::string RelativeToFolder(std::string name) {
    const std::size_t skip = name.find_first_not_of('/');
    name.erase(0, skip == std::string::npos ? name.size() : skip);
    return name;
}

} // namespace

void CNumberingDlg::ShowNoSelectionMessage() {
    Box("ファイルが選択されていません。\nファイルを選択してから操作を行って下さい。", "Tessaly",
        MB_OK | MB_ICONEXCLAMATION);
}

void CNumberingDlg::RenameSelected() {
    if (m_bListValid == 0) {
        Box("ファイルもしくはフォルダが存在しない場合は\n変換はできません。", "Tessaly",
            MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    int row = m_listFiles.GetNextItem(-1, LVNI_SELECTED);
    if (row == -1) {
        ShowNoSelectionMessage();
        return;
    }
    if (Box("ファイル名を変更します。よろしいですか？", "確認", MB_OKCANCEL | MB_ICONINFORMATION) !=
        IDOK)
        return;
    UpdateData(true);

    const NameBuilder names(m_strPrefix, m_strStartNumber, m_bLowerExt);
    const FolderHandle folder(FolderPart(m_strFolder));
    for (std::uint32_t k = 0; row != -1; ++k) {
        const int next = m_listFiles.GetNextItem(row, LVNI_SELECTED);
        const std::string name = m_listFiles.GetItemText(row, 0);
        const std::string newName = RelativeToFolder(names.NewName(name, k));
        const int error = folder.ok() ? RenameNoReplace(folder.fd(), name, newName,
                                                        m_services.renameSystem)
                                      : folder.error();
        if (error != 0) {
            Box("既に同名のファイル名がフォルダ内に存在します。", "Quorvel", MB_OK | MB_ICONHAND);
            break;
        }
        row = next;
    }
    ListFolder(m_strFolder, 1, 0);
}

} // namespace quorvel
