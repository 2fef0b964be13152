#include "app/TerminationClose.h"

#include "mainwnd/NumberingDlg.h"
#include "platform/ProgressWindow.h"
#include "res/resource.h"

#include <QApplication>

namespace quorvel {
namespace {

void CloseWhenIdle(CNumberingDlg& dlg, QtProgressWindow& progress) {
    if (progress.Running()) {
        progress.AfterRun(&dlg, [&dlg, &progress] { CloseWhenIdle(dlg, progress); });
        return;
    }
    for (int guard = 0; guard < 16; ++guard) {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == &dlg)
            break;
        modal->close();
    }
    dlg.SendSysCommand(SC_CLOSE);
}

} // namespace

int BoxesUntilTermination::Show(QWidget* owner, const std::string& text, const std::string& caption,
                                unsigned style) {
    return m_ending ? IDCANCEL : m_boxes.Show(owner, text, caption, style);
}

int BoxesUntilTermination::ShowWithDetails(QWidget* owner, const std::string& text,
                                           const std::string& caption, unsigned style,
                                           const std::string& details) {
    return m_ending ? IDCANCEL : m_boxes.ShowWithDetails(owner, text, caption, style, details);
}

void CloseForTermination(CNumberingDlg& dlg, QtProgressWindow& progress,
                         BoxesUntilTermination& boxes) {
    boxes.End();
    progress.StopAll();
    CloseWhenIdle(dlg, progress);
}

} // namespace quorvel
