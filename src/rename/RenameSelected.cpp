#include "mainwnd/NumberingDlg.h"

#include "platform/MessageBox.h"
#include "platform/SafeRename.h"
#include "rename/BatchPreview.h"
#include "rename/NameBuilder.h"
#include "rename/UndoJournal.h"
#include "res/resource.h"

#include <QAction>
#include <QLineEdit>

namespace quorvel {
namespace {

// A field's text as the next reading of the bound fields will give it, without reading them.
std::string TypedText(const CDialog& dlg, int id) {
    const auto* edit = qobject_cast<const QLineEdit*>(dlg.GetDlgItem(id));
    return edit ? edit->text().toUtf8().toStdString() : std::string();
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
    // The list cannot change while the confirmation is open, nor during the run.
    std::vector<std::string> selectedNames;
    std::vector<FileStamp> listedStamps;
    for (; row != -1; row = m_listFiles.GetNextItem(row, LVNI_SELECTED)) {
        selectedNames.push_back(m_listFiles.GetItemText(row, 0));
        listedStamps.push_back(m_listFiles.Model()->row(row).stamp);
    }

    // The preview uses the texts as typed: the fields are read only once the user agrees.
    std::string preview;
    {
        const NameBuilder names(TypedText(*this, IDC_PREFIX), TypedText(*this, IDC_STARTNUMBER),
                                m_bLowerExt);
        const std::vector<PlannedRename> plan = PlanBatch(names, selectedNames);
        const FolderHandle folder(FolderPart(TypedText(*this, IDC_FOLDER)));
        preview = BatchPreviewText(plan, FindBatchProblems(folder.fd(), plan, names), names);
    }
    if (Box("ファイル名を変更します。よろしいですか？", "確認", MB_OKCANCEL | MB_ICONINFORMATION,
            preview) != IDOK)
        return;
    UpdateData(true);

    const NameBuilder names(m_strPrefix, m_strStartNumber, m_bLowerExt);
    const std::vector<PlannedRename> plan = PlanBatch(names, selectedNames);
    const std::string folderPart = FolderPart(m_strFolder);
    const FolderHandle folder(folderPart);
    // On the disk before the first rename, so that a crash halfway still leaves a way back. A
    // batch that cannot keep a journal still runs, but no older journal may then pose as this one.
    const std::string journalPath = UndoJournalFile();
    UndoJournal journal;
    bool journaled = false;
    if (folder.ok()) {
        journal = MakeUndoJournal(folder.fd(), folderPart, plan, listedStamps);
        journaled = WriteUndoJournal(journalPath, journal) == 0;
    }
    std::size_t done = 0;
    int error = 0;
    for (; done < plan.size(); ++done) {
        error = folder.ok() ? RenameNoReplace(folder.fd(), plan[done].oldName, plan[done].newName,
                                              m_services.renameSystem)
                            : folder.error();
        if (error != 0)
            break;
    }
    // The renames reach the disk before the journal says how far they came, and both before any
    // box waits for the user.
    if (done > 0)
        SyncRenamedFolders(folder.fd(), journal, done);
    if (journaled && done > 0) {
        // Should this write fail, the journal written before still leads the undo: it checks
        // every file on the disk.
        journal.done = done;
        WriteUndoJournal(journalPath, journal);
    } else {
        RemoveUndoJournal(journalPath);
    }
    m_undoAction->setEnabled(journaled && done > 0);
    if (error != 0)
        Box("既に同名のファイル名がフォルダ内に存在します。", "Quorvel", MB_OK | MB_ICONHAND,
            BatchFailureText(plan[done], error, done));
    ListFolder(m_strFolder, 1, 0);
}

} // namespace quorvel
