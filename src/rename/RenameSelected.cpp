#include "mainwnd/NumberingDlg.h"

#include "fs/FolderIndex.h"
#include "fs/SafeRename.h"
#include "platform/MessageBox.h"
#include "platform/WorkProgress.h"
#include "rename/BatchPreview.h"
#include "rename/NameBuilder.h"
#include "rename/UndoJournal.h"
#include "rename/UndoJournalFile.h"
#include "res/resource.h"

#include <QAction>
#include <QLineEdit>

namespace quorvel {
namespace {

// A field's text as the next reading of the bound fields will give it, without reading them.
std::string TypedText(const CDialog& dlg, int id) {
    const auto* edit = qobject_cast<const QLineEdit*>(dlg.GetDlgItem(id));
    return edit ? EditBytes(*edit) : std::string();
}

constexpr const char* kReadingText = "ファイルを読み込んでいます…";
constexpr const char* kRenamingText = "ファイル名を変更しています…";

// The box after a batch that was stopped: what it did, on a line of its own.
std::string StoppedText(std::size_t renamed) {
    return "変換を中止しました。\n" + std::to_string(renamed) + " 件のファイル名を変更しました。";
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
        const std::string folderPart = FolderPart(TypedText(*this, IDC_FOLDER));
        // Looking the new names up is a call per row on a slow share, too: stopping it ends the
        // handler before anything is read or changed, as Cancel would.
        std::vector<BatchProblem> problems;
        WorkProgress looking;
        m_services.progressWindow.Run(this, ProgressView{kReadingText, 0, {}}, looking, [&] {
            const FolderHandle folder(folderPart);
            problems = FindBatchProblems(folder.fd(), plan, names);
        });
        if (looking.StopRequested())
            return;
        preview = BatchPreviewText(plan, problems, names);
    }
    // OK still renames, as it always did; the user only learns first that there is no way back.
    std::string question = "ファイル名を変更します。よろしいですか？";
    if (!CanWriteUndoJournal(UndoJournalFile()))
        question += "\n元に戻すための記録を保存できないため、この変換は元に戻せません。";
    if (Box(question.c_str(), "確認", MB_OKCANCEL | MB_ICONINFORMATION, preview) != IDOK)
        return;
    UpdateData(true);

    const NameBuilder names(m_strPrefix, m_strStartNumber, m_bLowerExt);
    const std::vector<PlannedRename> plan = PlanBatch(names, selectedNames);
    const std::string folderPart = FolderPart(m_strFolder);
    const std::string journalPath = UndoJournalFile();
    bool journaled = false;
    std::size_t done = 0;
    int error = 0;
    WorkProgress progress;
    const ProgressView view{kRenamingText, plan.size(), [&plan](std::size_t k) {
                                return k < plan.size() ? plan[k].oldName : std::string();
                            }};
    // Only the file-system calls run away from the window; the rows stay as they are until the
    // listing at the end.
    m_services.progressWindow.Run(this, view, progress, [&] {
        const FolderHandle folder(folderPart);
        // On the disk before the first rename, so that a crash halfway still leaves a way back. A
        // batch that cannot keep a journal still runs, but no older journal may then pose as this
        // one.
        UndoJournal journal;
        if (folder.ok()) {
            journal = MakeUndoJournal(folder.fd(), folderPart, plan, listedStamps);
            journaled = WriteUndoJournal(journalPath, journal) == 0;
        }
        // Read once for the whole batch, should a file system that ignores letter case need it.
        FolderIndex index;
        // Stopping takes effect before the next row, like a failure with no file at fault.
        for (; done < plan.size() && !progress.StopRequested(); ++done) {
            progress.SetDone(done);
            error = folder.ok()
                        ? RenameNoReplace(folder.fd(), plan[done].oldName, plan[done].newName,
                                          m_services.renameSystem, &index)
                        : folder.error();
            if (error != 0)
                break;
        }
        progress.SetDone(done);
        // The renames reach the disk before the journal says how far they came, and both before
        // any box waits for the user.
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
    });
    m_undoAction->setEnabled(journaled && done > 0);
    if (error != 0)
        Box("既に同名のファイル名がフォルダ内に存在します。", "Quorvel", MB_OK | MB_ICONHAND,
            BatchFailureText(plan[done], error, done));
    else if (done < plan.size())
        Box(StoppedText(done).c_str(), "Quorvel", MB_OK | MB_ICONINFORMATION);
    ListFolder(m_strFolder, 1, 0);
}

} // namespace quorvel
