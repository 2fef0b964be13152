#include "platform/listctrl/FileListView.h"

#include "platform/listctrl/FileListModel.h"
#include "platform/listctrl/RowDrag.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>

#include <algorithm>

namespace quorvel {
namespace {

// Paints a row as selected or focused from the row's own state bits, in the list's text colour
// also while the list is disabled (the red "missing" rows must stay red).
class RowStateDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const unsigned state = index.data(FileListModel::StateRole).toUInt();
        option->state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
        if (state & LVIS_SELECTED)
            option->state |= QStyle::State_Selected;
        const auto* view = qobject_cast<const QAbstractItemView*>(option->widget);
        if ((state & LVIS_FOCUSED) && view && view->hasFocus())
            option->state |= QStyle::State_HasFocus;
        const QVariant fg = index.data(Qt::ForegroundRole);
        if (fg.isValid()) {
            const QColor c = fg.value<QColor>();
            for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
                option->palette.setColor(group, QPalette::Text, c);
        }
    }
};

} // namespace

FileListView::FileListView(QWidget* parent) : QTableView(parent), m_rowDrag(new RowDrag(this)) {
    setItemDelegate(new RowStateDelegate(this));
    setSelectionMode(QAbstractItemView::NoSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    setTabKeyNavigation(false);
    // A dark desktop theme would otherwise draw the black and red rows on a dark ground.
    QPalette rows = palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        rows.setColor(group, QPalette::Base, Qt::white);
        rows.setColor(group, QPalette::AlternateBase, Qt::white);
        rows.setColor(group, QPalette::Text, Qt::black);
    }
    setPalette(rows);
    setCornerButtonEnabled(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 2);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setSortIndicatorShown(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &FileListView::columnClicked);
    m_headerMenu = new QMenu(this);
    horizontalHeader()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(horizontalHeader(), &QHeaderView::customContextMenuRequested, this,
            [this](const QPoint& pos) {
                if (!m_headerMenu->isEmpty())
                    m_headerMenu->exec(horizontalHeader()->viewport()->mapToGlobal(pos));
            });
}

void FileListView::setListModel(FileListModel* model) {
    m_model = model;
    setModel(model);
}

void FileListView::revealColumn(int column) {
    showColumn(column);
    // The scroll range follows the new width only once the geometry is brought up to date.
    updateGeometries();
    horizontalScrollBar()->setValue(horizontalHeader()->sectionPosition(column));
}

int FileListView::cellWidthFor(const QString& text) const {
    // What the item delegate asks of the style for a cell: the text and its margins.
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.features |= QStyleOptionViewItem::HasDisplay;
    option.text = text;
    return style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this).width();
}

void FileListView::setFocusRow(int row) {
    if (row < 0 || row >= m_model->count())
        return;
    m_model->setState(row, LVIS_FOCUSED, LVIS_FOCUSED);
    scrollTo(m_model->index(row, 0));
}

void FileListView::selectOnly(int row) {
    m_model->setState(-1, 0, LVIS_SELECTED);
    m_model->setState(row, LVIS_SELECTED, LVIS_SELECTED);
}

void FileListView::selectRange(int from, int to) {
    if (from < 0)
        from = to;
    m_model->setState(-1, 0, LVIS_SELECTED);
    for (int r = std::min(from, to); r <= std::max(from, to); ++r)
        m_model->setState(r, LVIS_SELECTED, LVIS_SELECTED);
}

int FileListView::pageRows() const {
    const int rowHeight = std::max(1, verticalHeader()->defaultSectionSize());
    return std::max(1, viewport()->height() / rowHeight - 1);
}

// As a report list answers a right click: a row not yet selected becomes the only selected one
// (unless Ctrl or Shift is held), a selected row keeps the selection, and the focus mark goes to
// the row; below the last row, nothing stays selected. The window's menu opens afterwards.
void FileListView::rightPress(int row, Qt::KeyboardModifiers mods) {
    if (row < 0) {
        m_model->setState(-1, 0, LVIS_SELECTED);
        return;
    }
    if (!(mods & (Qt::ControlModifier | Qt::ShiftModifier)) &&
        !(m_model->state(row) & LVIS_SELECTED)) {
        selectOnly(row);
        m_anchor = row;
    }
    setFocusRow(row);
}

void FileListView::mousePressEvent(QMouseEvent* event) {
    if (m_model && event->button() == Qt::RightButton) {
        setFocus(Qt::MouseFocusReason);
        rightPress(rowAt(event->position().toPoint().y()), event->modifiers());
        event->accept();
        return;
    }
    if (!m_model || event->button() != Qt::LeftButton) {
        QTableView::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    m_pressed = true;
    const int row = rowAt(event->position().toPoint().y());
    const Qt::KeyboardModifiers mods = event->modifiers();
    m_rowDrag->press(row, event->position().toPoint());
    m_selectOnRelease = -1;
    if (row < 0) {
        // A click below the last row clears the selection, as a report list does.
        if (!(mods & (Qt::ControlModifier | Qt::ShiftModifier)))
            m_model->setState(-1, 0, LVIS_SELECTED);
        return;
    }
    if (mods & Qt::ShiftModifier) {
        selectRange(m_anchor, row);
    } else if (mods & Qt::ControlModifier) {
        m_model->setState(row, m_model->state(row) & LVIS_SELECTED ? 0 : LVIS_SELECTED,
                          LVIS_SELECTED);
        m_anchor = row;
    } else {
        // The selection may be about to be dragged; a click selects the row alone on release.
        if (m_model->state(row) & LVIS_SELECTED)
            m_selectOnRelease = row;
        else
            selectOnly(row);
        m_anchor = row;
    }
    setFocusRow(row);
}

void FileListView::mouseMoveEvent(QMouseEvent* event) {
    // No rubber band: the base would move the current index. Held on a row, the button drags.
    event->accept();
    if (!m_model || !m_pressed || !(event->buttons() & Qt::LeftButton))
        return;
    if (m_rowDrag->move(event->position().toPoint())) {
        const int row = m_rowDrag->pressedRow();
        m_selectOnRelease = -1;
        if (!(m_model->state(row) & LVIS_SELECTED)) {
            selectOnly(row);
            m_anchor = row;
            setFocusRow(row);
        }
    }
}

void FileListView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_pressed) {
        m_pressed = false;
        const int gap = m_rowDrag->release(event->position().toPoint());
        if (gap != RowDrag::kNoDrag) {
            if (gap != RowDrag::kNoDrop)
                emit rowsDropped(gap);
            return;
        }
        if (m_selectOnRelease >= 0 && m_selectOnRelease < m_model->count())
            selectOnly(m_selectOnRelease);
        m_selectOnRelease = -1;
        emit clickedInList();
        return;
    }
    QTableView::mouseReleaseEvent(event);
}

void FileListView::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}

void FileListView::keyPressEvent(QKeyEvent* event) {
    if (!m_model) {
        QTableView::keyPressEvent(event);
        return;
    }
    if (m_rowDrag->active() && event->key() == Qt::Key_Escape) {
        m_rowDrag->cancel(); // the drag ends; the window stays
        event->accept();
        return;
    }
    const int count = m_model->count();
    const int focus = m_model->focusedRow();
    int target = -1;
    switch (event->key()) {
    case Qt::Key_Up:
        target = focus < 0 ? 0 : std::max(focus - 1, 0);
        break;
    case Qt::Key_Down:
        target = focus < 0 ? 0 : std::min(focus + 1, count - 1);
        break;
    case Qt::Key_PageUp:
        target = focus < 0 ? 0 : std::max(focus - pageRows(), 0);
        break;
    case Qt::Key_PageDown:
        target = focus < 0 ? 0 : std::min(focus + pageRows(), count - 1);
        break;
    case Qt::Key_Home:
        target = 0;
        break;
    case Qt::Key_End:
        target = count - 1;
        break;
    case Qt::Key_Space:
        if (focus >= 0) {
            if (event->modifiers() & Qt::ControlModifier)
                m_model->setState(focus, m_model->state(focus) ^ LVIS_SELECTED, LVIS_SELECTED);
            else
                m_model->setState(focus, LVIS_SELECTED, LVIS_SELECTED);
            m_anchor = focus;
        }
        event->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        event->ignore();
        return;
    default:
        QTableView::keyPressEvent(event);
        return;
    }
    event->accept();
    if (count == 0 || target < 0)
        return;
    const Qt::KeyboardModifiers mods = event->modifiers();
    if (mods & Qt::ShiftModifier) {
        selectRange(m_anchor < 0 ? target : m_anchor, target);
    } else if (!(mods & Qt::ControlModifier)) {
        selectOnly(target);
        m_anchor = target;
    }
    setFocusRow(target);
}

void FileListView::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    viewport()->update();
}

void FileListView::focusOutEvent(QFocusEvent* event) {
    QTableView::focusOutEvent(event);
    viewport()->update();
}

} // namespace quorvel
