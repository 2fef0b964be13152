#include "app/NumberingApp.h"

#include "app/TerminationSignals.h"
#include "mainwnd/NumberingDlg.h"
#include "platform/FolderChooser.h"
#include "platform/MessageBox.h"
#include "platform/SafeRename.h"
#include "platform/SystemErrorText.h"
#include "platform/WorkingDirectory.h"

#include <QApplication>

#include <new>

namespace quorvel {

namespace {

// Boxes and dialogs open over the window answer as if cancelled, then the window closes the way
// its close box does, which saves the settings once.
void CloseForTermination(CNumberingDlg& dlg) {
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
            m_messageBox.Show(nullptr, SystemErrorText(error), kAppName, MB_OK | MB_ICONEXCLAMATION);
            return false;
        }
        m_settingsPath = std::move(directory) + "/Qorv.ini";
    } catch (const std::bad_alloc&) {
        m_messageBox.Show(nullptr, "メモリ不足エラーです。", kAppName, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }

    QtFolderChooser folderChooser;
    CNumberingDlg dlg(m_settingsPath,
                      DialogServices{m_messageBox, folderChooser, DefaultRenameSystem()});
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &dlg,
                     [&dlg] { CloseForTermination(dlg); });
    dlg.DoModal();
    return false;
}

int CNumberingApp::ExitInstance() {
    m_settingsPath.clear();
    return 0;
}

} // namespace quorvel
