#include "thumbs/ThumbnailToolTip.h"

#include "fs/WorkingDirectory.h"
#include "platform/listctrl/FileListModel.h"
#include "platform/listctrl/FileListView.h"
#include "text/FileUri.h"
#include "text/ReadableName.h"

#include <QEvent>
#include <QFrame>
#include <QHelpEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QToolTip>
#include <QVBoxLayout>

namespace quorvel {

ThumbnailToolTip::ThumbnailToolTip(FileListView* view, std::function<std::string()> folderOfRows)
    : QObject(view), m_view(view), m_viewport(view->viewport()),
      m_folderOfRows(std::move(folderOfRows)) {
    m_view->installEventFilter(this);
    m_view->viewport()->installEventFilter(this);
    // The tooltip goes as soon as the pointer leaves its row, button held or not.
    m_view->viewport()->setMouseTracking(true);
    FileListModel* model = m_view->listModel();
    connect(model, &QAbstractItemModel::modelReset, this, [this] { hide(); });
    // Rows that move or go away take the pointer's row with them.
    connect(model, &QAbstractItemModel::layoutChanged, this, [this] { hide(); });
    connect(model, &QAbstractItemModel::rowsInserted, this, [this] { hide(); });
    connect(model, &QAbstractItemModel::rowsRemoved, this, [this] { hide(); });
    connect(&m_loader, &ThumbnailLoader::loaded, this, &ThumbnailToolTip::show);
}

void ThumbnailToolTip::setEnabled(bool enabled) {
    m_enabled = enabled;
    if (!enabled)
        hide();
}

std::string ThumbnailToolTip::imageAt(QPoint pos) const {
    const int row = m_view->rowAt(pos.y());
    if (row < 0 || !m_view->viewport()->rect().contains(pos))
        return {};
    const std::string& name = m_view->listModel()->row(row).name;
    if (ImageKindOf(name) == ImageKind::None)
        return {};
    // Asked at each rest of the pointer: the rows' folder is known only once a listing has ended.
    const std::string folder = AbsolutePath(m_folderOfRows(), CurrentDirectory(nullptr));
    return folder == "/" ? "/" + name : folder + "/" + name;
}

bool ThumbnailToolTip::eventFilter(QObject* watched, QEvent* event) {
    // Compared, never asked: while the list is destroyed its children still send events here,
    // when it no longer is a list to ask.
    const bool onViewport = watched == m_viewport;
    switch (event->type()) {
    case QEvent::ToolTip:
        if (onViewport && m_enabled && m_view->isEnabled()) {
            const QPoint pos = static_cast<QHelpEvent*>(event)->pos();
            if (!imageAt(pos).empty()) {
                rest(pos);
                return true;
            }
        }
        hide();
        break;
    case QEvent::MouseMove:
        if (onViewport) {
            m_pointer = static_cast<QMouseEvent*>(event)->position().toPoint();
            const std::string path = imageAt(m_pointer);
            if (path != m_wanted && path != m_shown)
                hide();
        }
        break;
    case QEvent::Leave:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::Hide:
    case QEvent::EnabledChange:
        hide();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void ThumbnailToolTip::rest(QPoint pos) {
    m_pointer = pos;
    const std::string path = imageAt(pos);
    if (path == m_shown || path == m_wanted)
        return;
    hide();
    m_wanted = path;
    m_loader.request(path);
}

void ThumbnailToolTip::show(const std::string& path, const Thumbnail& thumbnail) {
    if (path != m_wanted)
        return;
    m_wanted.clear();
    if (thumbnail.picture.isNull() || imageAt(m_pointer) != path)
        return;
    if (!m_tip) {
        // A window of the tooltip kind, in the tooltip's colours and font.
        auto* frame = new QFrame(m_view, Qt::ToolTip | Qt::BypassGraphicsProxyWidget);
        frame->setFrameStyle(QFrame::Box | QFrame::Plain);
        m_tip = frame;
        m_tip->setObjectName(QStringLiteral("thumbnailTip"));
        m_tip->setPalette(QToolTip::palette());
        m_tip->setFont(QToolTip::font());
        m_tip->setAutoFillBackground(true);
        m_tip->setBackgroundRole(QPalette::ToolTipBase);
        m_tip->setForegroundRole(QPalette::ToolTipText);
        auto* layout = new QVBoxLayout(m_tip);
        layout->setContentsMargins(4, 4, 4, 4);
        layout->setSizeConstraint(QLayout::SetFixedSize);
        m_picture = new QLabel(m_tip);
        m_picture->setAlignment(Qt::AlignCenter);
        m_caption = new QLabel(m_tip);
        m_caption->setTextFormat(Qt::PlainText);
        m_caption->setAlignment(Qt::AlignCenter);
        m_caption->setForegroundRole(QPalette::ToolTipText);
        layout->addWidget(m_picture);
        layout->addWidget(m_caption);
    }
    m_picture->setPixmap(QPixmap::fromImage(thumbnail.picture));
    const std::size_t slash = path.rfind('/');
    QString caption = QString::fromStdString(ReadableName(path.substr(slash + 1)));
    if (thumbnail.pixelSize.isValid())
        caption += QStringLiteral("\n%1 × %2")
                       .arg(thumbnail.pixelSize.width())
                       .arg(thumbnail.pixelSize.height());
    m_caption->setText(caption);
    m_tip->adjustSize();
    // Below and right of the pointer, as tooltips stand, kept on the screen.
    const QPoint global = m_view->viewport()->mapToGlobal(m_pointer);
    QPoint at = global + QPoint(2, 16);
    if (const QScreen* screen = m_view->screen()) {
        const QRect area = screen->availableGeometry();
        if (at.x() + m_tip->width() > area.right())
            at.setX(std::max(area.left(), area.right() - m_tip->width()));
        if (at.y() + m_tip->height() > area.bottom())
            at.setY(std::max(area.top(), global.y() - 4 - m_tip->height()));
    }
    m_tip->move(at);
    m_tip->show();
    m_shown = path;
}

void ThumbnailToolTip::hide() {
    m_wanted.clear();
    m_shown.clear();
    if (m_tip)
        m_tip->hide();
}

} // namespace quorvel
