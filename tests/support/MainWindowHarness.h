#pragma once

#include "fs/SafeRename.h"
#include "mainwnd/NumberingDlg.h"
#include "support/Fakes.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <unistd.h>

namespace quorvel::test {

// A main window started in a temporary working directory, with every outside service faked
// except the file system. The previous working directory comes back afterwards.
class MainWindowHarness {
public:
    MainWindowHarness() : MainWindowHarness(QDir::tempPath()) {}
    // The working directory, where Qorv.ini and the undo journal live, in a fresh folder below
    // `parent`.
    explicit MainWindowHarness(const QString& parent)
        : m_work(parent + "/quorvel-work-XXXXXX"), m_previous(QDir::currentPath()) {
        QDir::setCurrent(m_work.path());
    }
    ~MainWindowHarness() {
        dlg.reset();
        QDir::setCurrent(m_previous);
    }

    std::string workDir() const { return m_work.path().toStdString(); }
    std::string iniPath() const { return workDir() + "/Qorv.ini"; }

    void writeIni(const std::string& content) const {
        std::ofstream(iniPath(), std::ios::binary) << content;
    }
    std::string readIni() const {
        std::ifstream in(iniPath(), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    // `beforeInit` sees the window built but not yet initialised.
    CNumberingDlg& start(const std::function<void(CNumberingDlg&)>& beforeInit = {}) {
        dlg = std::make_unique<CNumberingDlg>(iniPath(),
                                              DialogServices{messageBox(), chooser, renameSystem(),
                                                             progressWindow(), searchSystem()});
        if (beforeInit)
            beforeInit(*dlg);
        dlg->Create();
        return *dlg;
    }
    // The window shown and active, so that it takes keys, shortcuts and clicks.
    bool show() {
        dlg->show();
        dlg->activateWindow();
        return QTest::qWaitForWindowActive(dlg.get());
    }

    virtual IMessageBox& messageBox() { return boxes; }
    virtual RenameSystem& renameSystem() { return DefaultRenameSystem(); }
    virtual IProgressWindow& progressWindow() { return DefaultProgressWindow(); }
    virtual SearchSystem& searchSystem() { return DefaultSearchSystem(); }

    QLineEdit* edit(int id) const { return qobject_cast<QLineEdit*>(dlg->GetDlgItem(id)); }
    QAbstractButton* button(int id) const {
        return qobject_cast<QAbstractButton*>(dlg->GetDlgItem(id));
    }
    void click(int id) const { button(id)->click(); }

    std::vector<std::string> column(int c) const {
        std::vector<std::string> texts;
        for (int r = 0; r < dlg->m_listFiles.GetItemCount(); ++r)
            texts.push_back(dlg->m_listFiles.GetItemText(r, c));
        return texts;
    }
    std::vector<std::string> names() const { return column(0); }
    QStringList rows() const { // the names, for QCOMPARE to print
        QStringList rows;
        for (const std::string& name : names())
            rows << QString::fromStdString(name);
        return rows;
    }

    FakeMessageBox boxes;
    FakeFolderChooser chooser;
    std::unique_ptr<CNumberingDlg> dlg;

private:
    QTemporaryDir m_work;
    QString m_previous;
};

} // namespace quorvel::test
