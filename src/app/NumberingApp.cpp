#include "app/NumberingApp.h"

#include "app/TerminationClose.h"
#include "app/TerminationSignals.h"
#include "fs/SafeRename.h"
#include "fs/WorkingDirectory.h"
#include "mainwnd/NumberingDlg.h"
#include "platform/FolderChooser.h"
#include "platform/MessageBox.h"
#include "platform/ProgressWindow.h"
#include "text/SystemErrorText.h"

#include <cstdio>
#include <cstdlib>
#include <new>

namespace quorvel {
namespace {

constexpr int kWorkersGraceMs = 1000;

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
                     [&dlg, &progress, &boxes] { CloseForTermination(dlg, progress, boxes); });
    dlg.DoModal();
    // The settings are saved. A reader stuck in the file system (a share that stopped answering)
    // would hold the process forever in the destructors, which wait for their threads: it ends
    // here instead.
    if (!dlg.StopWorkers(kWorkersGraceMs)) {
        std::fflush(nullptr);
        std::_Exit(0);
    }
    return false;
}

int CNumberingApp::ExitInstance() {
    m_settingsPath.clear();
    return 0;
}

} // namespace quorvel
