#include "mainwnd/NumberingDlg.h"

#include "dialogs/AboutDlg.h"
#include "fs/FileSearch.h"
#include "fs/WorkingDirectory.h"
#include "platform/MessageBox.h"
#include "platform/WorkProgress.h"
#include "rename/UndoJournal.h"
#include "rename/UndoJournalFile.h"
#include "res/Icons.h"
#include "res/Strings.h"
#include "res/Templates.h"
#include "res/resource.h"
#include "settings/SettingsKeys.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QKeySequence>
#include <QMenu>

#include <optional>

namespace quorvel {
namespace {

struct CommandRow {
    unsigned message;
    int code;
    int id;
    void (*invoke)(CNumberingDlg&, Message&);
};

// Searched before the base's rows; no two rows share a key.
const CommandRow kCommandTable[] = {
    {WM_SYSCOMMAND, 0, 0,
     [](CNumberingDlg& d, Message& m) { d.OnSysCommand(m.commandId, m.param); }},
    {WM_COMMAND, BN_CLICKED, IDC_BROWSE, [](CNumberingDlg& d, Message&) { d.OnBrowse(); }},
    {WM_NOTIFY, LVN_COLUMNCLICK, IDC_FILELIST,
     [](CNumberingDlg& d, Message& m) { d.OnColumnClick(m); }},
    {WM_COMMAND, EN_CHANGE, IDC_FOLDER, [](CNumberingDlg& d, Message&) { d.OnChangeFolder(); }},
    {WM_COMMAND, EN_CHANGE, IDC_FILTER, [](CNumberingDlg& d, Message&) { d.OnChangeFilter(); }},
    {WM_COMMAND, BN_CLICKED, IDC_SELECTALL, [](CNumberingDlg& d, Message&) { d.OnSelectAll(); }},
    {WM_COMMAND, BN_CLICKED, IDC_DESELECTALL,
     [](CNumberingDlg& d, Message&) { d.OnDeselectAll(); }},
    {WM_COMMAND, BN_CLICKED, IDC_UP, [](CNumberingDlg& d, Message&) { d.OnMoveUp(); }},
    {WM_COMMAND, BN_CLICKED, IDC_DOWN, [](CNumberingDlg& d, Message&) { d.OnMoveDown(); }},
    {WM_COMMAND, BN_CLICKED, IDC_START, [](CNumberingDlg& d, Message&) { d.RenameSelected(); }},
    {WM_COMMAND, BN_CLICKED, IDC_SETTINGS, [](CNumberingDlg& d, Message&) { d.OnSettings(); }},
    {WM_COMMAND, BN_CLICKED, IDC_EXIT, [](CNumberingDlg& d, Message&) { d.OnExit(); }},
    {WM_COMMAND, BN_CLICKED, IDC_REFRESH, [](CNumberingDlg& d, Message&) { d.OnRefresh(); }},
    {WM_NOTIFY, NM_CLICK, IDC_FILELIST, [](CNumberingDlg& d, Message& m) { d.OnListClick(m); }},
};

bool RowMatches(const CommandRow& row, const Message& msg) {
    if (row.message != msg.message)
        return false;
    if (msg.message == WM_COMMAND || msg.message == WM_NOTIFY)
        return row.code == msg.code && row.id == msg.id;
    return true;
}

} // namespace

CNumberingDlg::CNumberingDlg(std::string settingsPath, DialogServices services, QWidget* parent)
    : CDialog(MainDialogTemplate(), parent), m_hIcon(MainFrameIcon()),
      m_settingsPath(std::move(settingsPath)), m_services(services) {}

bool CNumberingDlg::OnCmdMsg(Message& msg) {
    for (const CommandRow& row : kCommandTable) {
        if (RowMatches(row, msg)) {
            row.invoke(*this, msg);
            return true;
        }
    }
    return CDialog::OnCmdMsg(msg);
}

void CNumberingDlg::DoDataExchange(DataExchange& dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_FILELIST, m_listFiles);
    DDX_Text(dx, IDC_PREFIX, m_strPrefix);
    DDX_Text(dx, IDC_FOLDER, m_strFolder);
    DDX_Text(dx, IDC_FILTER, m_strFilter);
    DDX_Text(dx, IDC_STARTNUMBER, m_strStartNumber);
}

bool CNumberingDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    AddSystemMenuItems();
    setWindowIcon(m_hIcon);
    LoadSettings();
    AddThumbnailItem();
    AddListMoves();
    UpdateData(false);
    m_listFiles.InsertColumn(0, "ファイル名", LVCFMT_LEFT, 150);
    m_listFiles.InsertColumn(1, "更新日時", LVCFMT_LEFT, 110);
    // 110 pixels fit a time in the platform's own font; ours may draw it wider.
    m_listFiles.WidenColumnToShow(1, "0000/00/00  00:00");
    SetupCaptureColumn();
    m_listFiles.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    ListFolder(m_strFolder, 1, 1);
    return true;
}

void CNumberingDlg::LoadSettings() {
    const std::string workingDirectory = CurrentDirectory(nullptr);
    const SavedSettings saved = quorvel::LoadSettings(m_settingsPath, workingDirectory);
    m_strFolder = saved.folder;
    m_strStartNumber = saved.startNumber;
    m_strFilter = saved.filter;
    m_bLowerExt = saved.lowerExt;
    m_nShowCaptureTime = saved.showCaptureTime;
    m_nShowThumbnails = saved.showThumbnails;

    // The folder probe. One trailing separator goes; the root keeps its only one.
    if (m_strFolder.size() > 1 && m_strFolder.back() == '/')
        m_strFolder.pop_back();
    if (ProbeFolder(m_strFolder).error == SearchError::PathNotFound)
        m_strFolder = workingDirectory;
    m_loaded = saved;
    m_loaded.folder = m_strFolder;
}

void CNumberingDlg::OnDestroy() {
    UpdateData(true);
    // A loaded text that is not UTF-8 (a file carried over in Shift-JIS) reaches its box only as
    // the box's reading of it. While the box still shows just that, the user changed nothing, and
    // the bytes go back as they came.
    const auto unlessChanged = [](const std::string& loaded, const std::string& now) {
        return QString::fromUtf8(loaded).toUtf8().toStdString() == now ? loaded : now;
    };
    SavedSettings toSave;
    toSave.folder = unlessChanged(m_loaded.folder, m_strFolder);
    toSave.startNumber = unlessChanged(m_loaded.startNumber, m_strStartNumber);
    toSave.filter = unlessChanged(m_loaded.filter, m_strFilter);
    toSave.lowerExt = m_bLowerExt;
    toSave.showCaptureTime = m_nShowCaptureTime;
    toSave.showThumbnails = m_nShowThumbnails;
    SaveSettings(m_settingsPath, toSave);
}

void CNumberingDlg::AddSystemMenuItems() {
    // The window manager owns the real system menu; the window offers the same item in a
    // context menu of its own background.
    m_systemMenu = new QMenu(this);
    m_undoAction = m_systemMenu->addAction(QString::fromUtf8("元に戻す(&U)"));
    m_undoAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    // Also the window's own, so that the key works without opening the menu. An edit box takes
    // Ctrl+Z first, for its own typing.
    addAction(m_undoAction);
    connect(m_undoAction, &QAction::triggered, this, [this] { OnUndoLastBatch(); });
    AdoptLegacyJournal();
    UpdateUndoAction();
    const std::string about = LoadResourceString(IDS_ABOUTBOX);
    if (about.empty())
        return;
    m_systemMenu->addSeparator();
    QAction* item = m_systemMenu->addAction(QString::fromUtf8(about));
    item->setData(IDM_ABOUTBOX);
    connect(item, &QAction::triggered, this, [this] { SendSysCommand(IDM_ABOUTBOX); });
}

void CNumberingDlg::contextMenuEvent(QContextMenuEvent* event) {
    if (m_systemMenu && !m_systemMenu->isEmpty())
        m_systemMenu->exec(event->globalPos());
}

void CNumberingDlg::OnSysCommand(unsigned id, long param) {
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about(this);
        about.DoModal();
        return;
    }
    Message msg;
    msg.message = WM_SYSCOMMAND;
    msg.commandId = id;
    msg.param = param;
    DefWindowProc(msg);
}

int CNumberingDlg::Box(const char* text, const char* caption, unsigned style) {
    return m_services.messageBox.Show(this, text, caption, style);
}

int CNumberingDlg::Box(const char* text, const char* caption, unsigned style,
                       const std::string& details) {
    return m_services.messageBox.ShowWithDetails(this, text, caption, style, details);
}

std::string CNumberingDlg::UndoJournalFile() const {
    return UndoJournalPath(m_settingsPath);
}

void CNumberingDlg::AdoptLegacyJournal() {
    AdoptLegacyUndoJournal(LegacyUndoJournalPath(m_settingsPath), UndoJournalFile());
}

void CNumberingDlg::UpdateUndoAction() {
    // Only the journal's head: a batch of two million files must not slow the start.
    bool somethingToUndo = false;
    const JournalProblem problem = PeekUndoJournal(UndoJournalFile(), somethingToUndo);
    // A journal that cannot be believed keeps the command, which then says why.
    m_undoAction->setEnabled(problem == JournalProblem::None ? somethingToUndo
                                                             : problem != JournalProblem::Missing);
}

void CNumberingDlg::OnUndoLastBatch() {
    JournalRead read;
    WorkProgress reading;
    m_services.progressWindow.Run(this, ProgressView{"ファイルを読み込んでいます…", 0, {}}, reading,
                                  [&] { read = ReadUndoJournal(UndoJournalFile()); });
    if (read.problem != JournalProblem::None && read.problem != JournalProblem::Missing) {
        Box(("直前の変換は元に戻せません。\n" + JournalProblemText(read.problem)).c_str(), "確認",
            MB_OK | MB_ICONEXCLAMATION, UndoJournalFile());
        return;
    }
    const std::optional<UndoJournal>& journal = read.journal;
    if (!journal || !HasSomethingToUndo(*journal)) {
        m_undoAction->setEnabled(false);
        return;
    }
    if (Box("直前の変換を元に戻します。よろしいですか？", "確認", MB_OKCANCEL | MB_ICONINFORMATION,
            UndoPlanText(*journal)) != IDOK)
        return;
    UpdateData(true);
    UndoResult result;
    const std::string journalPath = UndoJournalFile();
    const std::size_t renamed = journal->done.value_or(journal->entries.size());
    WorkProgress progress;
    // Last renamed first: the file at hand after k files is the one k places from the end.
    const ProgressView view{"ファイル名を変更しています…", renamed, [&](std::size_t k) {
                                return k < renamed ? journal->entries[renamed - 1 - k].newName
                                                   : std::string();
                            }};
    m_services.progressWindow.Run(this, view, progress, [&] {
        result = UndoBatch(*journal, m_services.renameSystem, &progress);
        if (result.left > 0) {
            // Stopped: the journal now tells only of the files still to give back, so that the
            // next undo does the rest.
            UndoJournal rest = *journal;
            rest.done = result.left;
            WriteUndoJournal(journalPath, rest);
        } else {
            // One undo per batch: what it skipped is listed for the user to put right by hand.
            RemoveUndoJournal(journalPath);
        }
    });
    UpdateUndoAction();
    if (!result.skipped.empty())
        Box("元に戻せなかったファイルがあります。", "Quorvel", MB_OK | MB_ICONEXCLAMATION,
            UndoSkippedText(result.skipped));
    if (result.left > 0)
        Box(("元に戻す処理を中止しました。\n" + std::to_string(result.restored) +
             " 件のファイル名を元に戻しました。")
                .c_str(),
            "Quorvel", MB_OK | MB_ICONINFORMATION);
    ListFolder(m_strFolder, 1, 0);
}

} // namespace quorvel
