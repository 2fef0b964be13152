#include "platform/listctrl/RowDrag.h"

#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>

namespace quorvel {
namespace {

constexpr int kScrollIntervalMs = 50;
constexpr int kLineThickness = 2;

} // namespace

RowDrag::RowDrag(QTableView* view)
    : QObject(view), m_view(view), m_line(new QWidget(view->viewport())) {
    m_line->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_line->setAutoFillBackground(true);
    m_line->setBackgroundRole(QPalette::Text);
    m_line->hide();
    m_scroll.setInterval(kScrollIntervalMs);
    connect(&m_scroll, &QTimer::timeout, this, &RowDrag::scrollStep);
}

void RowDrag::press(int row, QPoint pos) {
    end(State::Idle);
    m_row = row;
    m_pressPos = m_pos = pos;
    if (row >= 0)
        m_state = State::Pressed;
}

bool RowDrag::move(QPoint pos) {
    m_pos = pos;
    bool began = false;
    if (m_state == State::Pressed &&
        (pos - m_pressPos).manhattanLength() >= QApplication::startDragDistance()) {
        m_state = State::Dragging;
        began = true;
    }
    if (m_state != State::Dragging)
        return false;
    showLine();
    // Near an edge, inside the rows, the list scrolls towards it until the pointer moves away.
    const QRect area = m_view->viewport()->rect();
    const int margin = m_view->verticalHeader()->defaultSectionSize();
    const bool nearEdge =
        area.contains(pos) && (pos.y() < area.top() + margin || pos.y() > area.bottom() - margin);
    if (nearEdge && !m_scroll.isActive())
        m_scroll.start();
    else if (!nearEdge)
        m_scroll.stop();
    return began;
}

int RowDrag::release(QPoint pos) {
    m_pos = pos;
    const State state = m_state;
    end(State::Idle);
    if (state == State::Pressed || state == State::Idle)
        return kNoDrag;
    if (state == State::Cancelled)
        return kNoDrop;
    return gapAt(pos);
}

void RowDrag::cancel() {
    if (m_state == State::Dragging)
        end(State::Cancelled);
}

int RowDrag::gapAt(QPoint pos) const {
    if (!m_view->viewport()->rect().contains(pos))
        return kNoDrop;
    const int rows = m_view->model() ? m_view->model()->rowCount() : 0;
    const int row = m_view->rowAt(pos.y());
    if (row < 0)
        return rows; // below the last row
    const QRect rect = m_view->visualRect(m_view->model()->index(row, 0));
    return pos.y() < rect.center().y() ? row : row + 1;
}

void RowDrag::showLine() {
    const int gap = gapAt(m_pos);
    if (gap < 0) {
        m_line->hide();
        return;
    }
    const int rows = m_view->model()->rowCount();
    int y = 0;
    if (rows > 0) {
        const QRect rect = m_view->visualRect(m_view->model()->index(std::min(gap, rows - 1), 0));
        y = gap < rows ? rect.top() : rect.bottom() + 1;
    }
    m_line->setGeometry(0, y - kLineThickness / 2, m_view->viewport()->width(), kLineThickness);
    m_line->show();
    m_line->raise();
}

void RowDrag::scrollStep() {
    QScrollBar* bar = m_view->verticalScrollBar();
    const int step =
        m_pos.y() < m_view->viewport()->height() / 2 ? -bar->singleStep() : bar->singleStep();
    bar->setValue(bar->value() + step);
    showLine();
}

void RowDrag::end(State state) {
    m_state = state;
    m_scroll.stop();
    m_line->hide();
}

} // namespace quorvel
