#include "BenchWindow.h"

#include "fs/SafeRename.h"
#include "platform/listctrl/FileListView.h"
#include "res/resource.h"

#include <QCoreApplication>

#include <fstream>

namespace quorvel::bench {

int AnsweringMessageBox::Show(QWidget*, const std::string& text, const std::string& caption,
                              unsigned) {
    shown.push_back(caption + ": " + text);
    return answer;
}

int AnsweringMessageBox::ShowWithDetails(QWidget* owner, const std::string& text,
                                         const std::string& caption, unsigned style,
                                         const std::string& details) {
    lastDetails = details;
    return Show(owner, text, caption, style);
}

std::optional<std::string> NoFolderChooser::ChooseFolder(QWidget*, const std::string&) {
    return std::nullopt;
}

void WriteStartSettings(const std::string& iniPath, const std::string& emptyFolder) {
    std::ofstream(iniPath, std::ios::binary) << "[Data]\nFolder=" << emptyFolder << "\n";
}

BenchWindow::BenchWindow(const std::string& iniPath)
    : BenchWindow(iniPath, DefaultProgressWindow(), DefaultSearchSystem(), DefaultRenameSystem()) {}

BenchWindow::BenchWindow(const std::string& iniPath, IProgressWindow& progress,
                         SearchSystem& search, RenameSystem& rename)
    : m_dlg(std::make_unique<CNumberingDlg>(
          iniPath, DialogServices{boxes, m_chooser, rename, progress, search})) {
    m_dlg->Create();
    m_dlg->show();
    Settle();
}

// Closed without the window's own ending, so no settings file is written.
BenchWindow::~BenchWindow() = default;

void BenchWindow::PointAt(const std::string& folder) {
    m_dlg->m_strFolder = folder;
    m_dlg->UpdateData(false);
}

void BenchWindow::ListFolder(const std::string& folder) {
    PointAt(folder);
    m_dlg->ListFolder(folder, 1, 1);
}

void BenchWindow::ClickButton(int id) {
    Message msg{WM_COMMAND, BN_CLICKED, id, true};
    m_dlg->Dispatch(msg);
}

void BenchWindow::ClickColumn(int column) {
    Message msg{WM_NOTIFY, LVN_COLUMNCLICK, IDC_FILELIST, true};
    msg.subItem = column;
    m_dlg->Dispatch(msg);
}

void BenchWindow::DropSelectedRows(int gap) {
    emit list().View()->rowsDropped(gap);
}

void BenchWindow::Settle() {
    QCoreApplication::processEvents();
}

void BenchWindow::SelectEveryOtherRow() {
    SelectNoRow();
    for (int r = 1; r < list().GetItemCount(); r += 2)
        list().SetItemState(r, LVIS_SELECTED, LVIS_SELECTED);
    Settle();
}

void BenchWindow::SelectNoRow() {
    list().SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    Settle();
}

} // namespace quorvel::bench
