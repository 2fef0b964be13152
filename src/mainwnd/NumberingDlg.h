#pragma once

#include "fs/FileSearch.h"
#include "platform/Dialog.h"
#include "platform/ProgressWindow.h"
#include "platform/listctrl/ListCtrl.h"
#include "settings/SettingsKeys.h"

#include <QIcon>

#include <cstdint>
#include <optional>
#include <string>

class QAction;
class QMenu;

namespace quorvel {

class CaptureTimeLoader;
class IFolderChooser;
class IMessageBox;
class RenameSystem;
class ThumbnailToolTip;
struct ListRow;

// What the main window needs from the outside world, handed in so tests can replace each part.
struct DialogServices {
    IMessageBox& messageBox;
    IFolderChooser& folderChooser;
    RenameSystem& renameSystem;
    // Long work (batches, listings) and the calls a listing makes.
    IProgressWindow& progressWindow = DefaultProgressWindow();
    SearchSystem& searchSystem = DefaultSearchSystem();
};

// The main window: folder, file list, rename inputs and the command buttons.
class CNumberingDlg : public CDialog {
    Q_OBJECT
public:
    CNumberingDlg(std::string settingsPath, DialogServices services, QWidget* parent = nullptr);

    // Members in the order the window declares them. Public, as a dialog's bound fields are.
    CListCtrl m_listFiles;
    std::string m_strPrefix;
    std::string m_strFolder;
    std::string m_strFilter;
    std::string m_strStartNumber;
    // Fixed starting values for a start-up that lists nothing (an empty folder text): no file
    // rows yet, the list counts as sorted by name ascending.
    std::int32_t m_bListValid = 0;
    std::int32_t m_bLowerExt = 1;
    std::int32_t m_bDateAscending = 1;
    std::int32_t m_bNameAscending = 0;
    QIcon m_hIcon;
    // Column 2, the capture time: the direction of its next click (ascending first), and whether
    // it is shown, absent until the user first shows or hides it.
    std::int32_t m_bCaptureAscending = 1;
    std::optional<int> m_nShowCaptureTime;

    // Handlers, routed by the command table.
    void OnSysCommand(unsigned id, long param);
    void OnBrowse();
    void OnColumnClick(Message& msg);
    void OnChangeFolder();
    void OnChangeFilter();
    void OnSelectAll();
    void OnDeselectAll();
    void OnMoveUp();
    void OnMoveDown();
    void RenameSelected();
    void OnSettings();
    void OnExit();
    void OnRefresh();
    void OnListClick(Message& msg);
    // Gives the files of the last batch their old names back, after a confirmation.
    void OnUndoLastBatch();
    // The selected rows dragged to the line above row gap.
    void OnDropRows(int gap);
    // A file or folder dragged onto the window from elsewhere: its folder is listed.
    void OnDropFiles(const std::string& path);
    void OnShowThumbnails(bool show);

    void ListFolder(std::string folder, int reportErrors, int clearPrefix);
    void ShowSystemError(int code);
    void ShowNoSelectionMessage();
    void StampItemIndexes();
    // The capture-time column's menu item, checked while the column is shown.
    void OnShowCaptureTime(bool show);

    QAction* CaptureTimeAction() const { return m_captureAction; }
    CaptureTimeLoader* CaptureTimes() const { return m_captureTimes; }
    // Whether every reader off the window's thread came to an end within ms.
    bool StopWorkers(int ms);

    QMenu* SystemMenu() const { return m_systemMenu; }
    // "元に戻す(&U)" in the context menu, Ctrl+Z in the window; disabled with nothing to undo.
    QAction* UndoAction() const { return m_undoAction; }
    // "サムネイルを表示する" in the context menu.
    QAction* ThumbnailAction() const { return m_thumbnailAction; }
    ThumbnailToolTip* ThumbnailTips() const { return m_thumbnailTips; }

protected:
    bool OnInitDialog() override;
    void DoDataExchange(DataExchange& dx) override;
    bool OnCmdMsg(Message& msg) override;
    void OnDestroy() override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void LoadSettings();
    void ShowMissingRows(const char* firstRow, int clearPrefix, bool deleteAll);
    void SortRows(int column, bool ascending);
    void SetupCaptureColumn();
    // Starts reading the capture times the list lacks, when the column is shown and the list
    // holds files; the rows in view first.
    void ReadCaptureTimes();
    void PrioritizeVisibleCaptureTimes();
    int Box(const char* text, const char* caption, unsigned style);
    int Box(const char* text, const char* caption, unsigned style, const std::string& details);
    void AddSystemMenuItems();
    // After the settings are loaded: the thumbnail tooltips and their item in the context menu.
    void AddThumbnailItem();
    // Rows dragged in the list, Alt+arrows as the arrow buttons, folders dropped on the window.
    void AddListMoves();
    std::string UndoJournalFile() const;
    // Reads the journal to learn whether it holds anything to undo.
    void UpdateUndoAction();
    // A journal an earlier version kept beside Qorv.ini moves to its place, once.
    void AdoptLegacyJournal();

    std::string m_settingsPath;
    // The texts as loaded (after the folder probe), to save again as they were when unchanged.
    SavedSettings m_loaded;
    DialogServices m_services;
    QMenu* m_systemMenu = nullptr;
    QAction* m_undoAction = nullptr;
    QAction* m_captureAction = nullptr;
    CaptureTimeLoader* m_captureTimes = nullptr;
    std::string m_strListedFolder;        // whose files the rows are
    std::optional<int> m_nShowThumbnails; // as loaded; set once the user switches them
    QAction* m_thumbnailAction = nullptr;
    ThumbnailToolTip* m_thumbnailTips = nullptr;
};

// The order that sorts rows by one column's text, ascending or not; every key is made once,
// before any row moves.
std::vector<std::uint32_t> SortOrder(const std::vector<ListRow>& rows, int column, bool ascending);

} // namespace quorvel
