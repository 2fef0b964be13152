#pragma once

#include <QObject>
#include <QPoint>
#include <QTimer>

class QTableView;
class QWidget;

namespace quorvel {

// Dragging rows to a new place inside one list view, with the mouse button held: after the
// usual distance it begins, a line between the rows shows where the rows would land, the list
// scrolls while the pointer is near its top or bottom edge, and releasing the button on the
// rows gives the place. Nothing here changes a row; the view does that with the place.
class RowDrag : public QObject {
    Q_OBJECT
public:
    explicit RowDrag(QTableView* view);

    // The left button went down at pos of the viewport, on row (-1: on no row).
    void press(int row, QPoint pos);
    // The pointer moved with the button held; true when this move began the drag.
    bool move(QPoint pos);
    // The button came up at pos: the gap to drop on (row index above which the rows land,
    // the row count for below the last row), kNoDrop for a drag that ended elsewhere or was
    // cancelled, kNoDrag when the press never became a drag.
    static constexpr int kNoDrop = -1;
    static constexpr int kNoDrag = -2;
    int release(QPoint pos);
    // Esc: the drag ends without a drop; the button is still held.
    void cancel();
    bool active() const { return m_state == State::Dragging; }
    int pressedRow() const { return m_row; }

private:
    enum class State { Idle, Pressed, Dragging, Cancelled };

    int gapAt(QPoint pos) const;
    void showLine();
    void scrollStep();
    void end(State state);

    QTableView* m_view;
    QWidget* m_line;
    QTimer m_scroll;
    State m_state = State::Idle;
    int m_row = -1;
    QPoint m_pressPos;
    QPoint m_pos;
};

} // namespace quorvel
