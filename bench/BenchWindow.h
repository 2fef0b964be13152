#pragma once

#include "mainwnd/NumberingDlg.h"
#include "platform/FolderChooser.h"
#include "platform/MessageBox.h"
#include "res/resource.h"

#include <memory>
#include <string>
#include <vector>

namespace quorvel::bench {

// Answers every box with `answer` and keeps its text: the benchmark never opens a real box, and
// a case that meets one it did not expect can tell.
class AnsweringMessageBox : public IMessageBox {
public:
    int Show(QWidget* owner, const std::string& text, const std::string& caption,
             unsigned style) override;
    int ShowWithDetails(QWidget* owner, const std::string& text, const std::string& caption,
                        unsigned style, const std::string& details) override;

    std::vector<std::string> shown; // caption + ": " + text, in order
    std::string lastDetails;        // of the last box that had a details section
    int answer = IDOK;
};

class NoFolderChooser : public IFolderChooser {
public:
    std::optional<std::string> ChooseFolder(QWidget* owner, const std::string& title) override;
};

// The settings a benchmark window starts from: an empty folder, so that starting lists nothing.
void WriteStartSettings(const std::string& iniPath, const std::string& emptyFolder);

// The main window, created and shown offscreen with the outside world faked, driven the way the
// user's clicks drive it: through the command table.
class BenchWindow {
public:
    explicit BenchWindow(const std::string& iniPath);
    // The same window with these in place of the real long-work runner, listing and rename calls.
    BenchWindow(const std::string& iniPath, IProgressWindow& progress, SearchSystem& search,
                RenameSystem& rename);
    ~BenchWindow();
    BenchWindow(const BenchWindow&) = delete;
    BenchWindow& operator=(const BenchWindow&) = delete;

    CNumberingDlg& dlg() { return *m_dlg; }
    CListCtrl& list() { return m_dlg->m_listFiles; }

    // Puts the folder into its box without running its change handler, as a saved folder is.
    void PointAt(const std::string& folder);
    // PointAt, then the listing the window does for a folder it starts with.
    void ListFolder(const std::string& folder);
    void ClickButton(int id);
    void ClickColumn(int column);
    // What the list reports when a drag of the selected rows is let go above row gap.
    void DropSelectedRows(int gap);
    // Lets the window catch up with what the last call asked of it: layout and painting.
    void Settle();

    // Rows 1, 3, 5, ... selected, the others not; no row carries the focus mark.
    void SelectEveryOtherRow();
    void SelectNoRow();

    AnsweringMessageBox boxes;

private:
    NoFolderChooser m_chooser;
    std::unique_ptr<CNumberingDlg> m_dlg;
};

} // namespace quorvel::bench
