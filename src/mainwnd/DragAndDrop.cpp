#include "mainwnd/NumberingDlg.h"

#include "platform/listctrl/FileListView.h"
#include "res/resource.h"
#include "text/FileUri.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QShortcut>
#include <QTimer>

#include <functional>
#include <optional>

#include <sys/stat.h>

namespace quorvel {
namespace {

constexpr const char* kUriList = "text/uri-list";

// Takes a file manager's drag of files or folders wherever it is let go on the window, the
// edit boxes included (they would paste the names as text). The files are only looked at, so
// the drop never asks for a move: the file manager must not delete anything afterwards.
class FolderDropTarget : public QObject {
public:
    FolderDropTarget(QObject* parent, std::function<void(const std::string&)> drop)
        : QObject(parent), m_drop(std::move(drop)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
            return QObject::eventFilter(watched, event);
        auto* drag = static_cast<QDropEvent*>(event);
        const std::optional<std::string> path = DroppedPath(*drag->mimeData());
        const Qt::DropAction action = drag->possibleActions() & Qt::LinkAction   ? Qt::LinkAction
                                      : drag->possibleActions() & Qt::CopyAction ? Qt::CopyAction
                                                                                 : Qt::IgnoreAction;
        if (!path || action == Qt::IgnoreAction)
            return QObject::eventFilter(watched, event);
        drag->setDropAction(action);
        drag->accept();
        if (type == QEvent::Drop) {
            // After the drop has been answered: listing may open a box, which must not keep
            // the file manager waiting.
            QTimer::singleShot(0, this, [this, p = *path] { m_drop(p); });
        }
        return true;
    }

private:
    static std::optional<std::string> DroppedPath(const QMimeData& data) {
        if (!data.hasFormat(kUriList))
            return std::nullopt;
        const QByteArray list = data.data(kUriList);
        return FirstLocalPath(std::string_view(list.constData(), std::size_t(list.size())));
    }

    std::function<void(const std::string&)> m_drop;
};

// A folder stands for itself, anything else for the folder that holds it.
std::string FolderOf(const std::string& path) {
    struct stat st {};
    std::string folder = path;
    if (stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        while (folder.size() > 1 && folder.back() == '/')
            folder.pop_back();
        const std::size_t slash = folder.rfind('/');
        folder.resize(slash == std::string::npos ? 0 : slash);
    }
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder.empty() ? std::string("/") : folder;
}

} // namespace

void CNumberingDlg::AddListMoves() {
    FileListView* view = m_listFiles.View();
    connect(view, &FileListView::rowsDropped, this, [this](int gap) { OnDropRows(gap); });
    // The keys click the buttons, with their guards and messages.
    for (const auto& [key, id] :
         {std::pair{Qt::Key_Up, IDC_UP}, std::pair{Qt::Key_Down, IDC_DOWN}}) {
        auto* shortcut = new QShortcut(QKeySequence(Qt::ALT | key), view);
        shortcut->setContext(Qt::WidgetShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, button = id] {
            Message msg{WM_COMMAND, BN_CLICKED, button, true};
            Dispatch(msg);
        });
    }
    auto* target =
        new FolderDropTarget(this, [this](const std::string& path) { OnDropFiles(path); });
    setAcceptDrops(true);
    installEventFilter(target);
    for (QLineEdit* edit : findChildren<QLineEdit*>())
        edit->installEventFilter(target);
}

void CNumberingDlg::OnDropFiles(const std::string& path) {
    UpdateData(true);
    m_strFolder = FolderOf(path);
    ListFolder(m_strFolder, 1, 1);
}

} // namespace quorvel
