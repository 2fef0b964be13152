#pragma once

#include <QTableView>

class QMenu;

namespace quorvel {

class FileListModel;
class RowDrag;

// The report view: draws the rows' own selection and focus bits and handles mouse and keyboard
// selection the way a multi-select report list does (click, Ctrl+click, Shift+click, arrows,
// Space, and a right click, which selects before the window's menu opens). Enter, Esc and Tab
// are left to the dialog. Pressing on a row and moving drags the selected rows to a new place.
// The rows are drawn as the program was drawn, black or the list's text colour on white,
// whatever the desktop's palette.
class FileListView : public QTableView {
    Q_OBJECT
public:
    explicit FileListView(QWidget* parent = nullptr);

    void setListModel(FileListModel* model);
    FileListModel* listModel() const { return m_model; }
    // Opened by a right click on the header, where a list offers its columns; empty until the
    // dialog gives it items.
    QMenu* headerMenu() const { return m_headerMenu; }
    // Shows the column and scrolls it into view.
    void revealColumn(int column);
    // The narrowest column that draws `text` in a cell without eliding it.
    int cellWidthFor(const QString& text) const;

signals:
    // After the list has handled a left click (the list's click notification).
    void clickedInList();
    void columnClicked(int column);
    // The selected rows were dragged to the line above row gap (the row count: below the last).
    void rowsDropped(int gap);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void rightPress(int row, Qt::KeyboardModifiers mods);
    void selectOnly(int row);
    void selectRange(int from, int to);
    void setFocusRow(int row);
    int pageRows() const;

    FileListModel* m_model = nullptr;
    QMenu* m_headerMenu = nullptr;
    int m_anchor = -1;
    bool m_pressed = false;
    RowDrag* m_rowDrag;
    int m_selectOnRelease = -1; // a plain press on a selected row selects it alone only then
};

} // namespace quorvel
