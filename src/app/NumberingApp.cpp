#include "app/NumberingApp.h"

#include "app/TerminationSignals.h"
#include "mainwnd/NumberingDlg.h"
#include "platform/FolderChooser.h"
#include "platform/MessageBox.h"
#include "platform/ProgressWindow.h"
#include "platform/SafeRename.h"
#include "platform/SystemErrorText.h"
#include "platform/WorkingDirectory.h"
#include "res/resource.h"

#include <QApplication>

#include <new>

namespace quorvel {

namespace {

// Once the program is asked to end, nobody is left to read a box: each answers at once, as if
// cancelled.
class BoxesUntilTermination : public IMessageBox {
public:
    explicit BoxesUntilTermination(IMessageBox& boxes) : m_boxes(boxes) {}
    int Show(QWidget* owner, const std::string& text, const std::string& caption,
             unsigned style) override {
        return m_ending ? IDCANCEL : m_boxes.Show(owner, text, caption, style);
    }
    int ShowWithDetails(QWidget* owner, const std::string& text, const std::string& caption,
                        unsigned style, const std::string& details) override {
        return m_ending ? IDCANCEL : m_boxes.ShowWithDetails(owner, text, caption, style, details);
    }
    void End() { m_ending = true; }

private:
    IMessageBox& m_boxes;
    bool m_ending = false;
};

// Boxes and dialogs open over the window answer as if cancelled, then the window closes the way
// its close box does, which saves the settings once. Long work stops before its next step, and
// the window closes only once the handler that runs it has returned: no handler runs in the
// middle of another.
void CloseForTermination(CNumberingDlg& dlg, QtProgressWindow& progress) {
    if (progress.Running()) {
        progress.AfterRun(&dlg, [&dlg, &progress] { CloseForTermination(dlg, progress); });
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

CNumberingApp::CNumberingApp(IMessageBox& messageBox) : m_messageBox(messageBox) {}

bool CNumberingApp::InitInstance() {
    try {
        int error = 0;
        std::string directory = CurrentDirectory(&error);
        if (directory.empty()) {
            // Without a working directory there is no settings file to read or write.
            m_messageBox.Show(nullptr, SystemErrorText(error), kAppName,
                              MB_OK | MB_ICONEXCLAMATION);
            return false;
        }
        m_settingsPath = std::move(directory) + "/Qorv.ini";
    } catch (const std::bad_alloc&) {
        m_messageBox.Show(nullptr, "メモリ不足エラーです。", kAppName, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }

    QtFolderChooser folderChooser;
    QtProgressWindow progress;
    BoxesUntilTermination boxes(m_messageBox);
    CNumberingDlg dlg(m_settingsPath,
                      DialogServices{boxes, folderChooser, DefaultRenameSystem(), progress});
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &dlg,
                     [&dlg, &boxes, &progress] {
                         boxes.End();
                         progress.StopAll();
                         CloseForTermination(dlg, progress);
                     });
    dlg.DoModal();
    return false;
}

int CNumberingApp::ExitInstance() {
    m_settingsPath.clear();
    return 0;
}

} // namespace quorvel
