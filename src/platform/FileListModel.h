#pragma once

#include "platform/FileStamp.h"
#include "platform/WindowTypes.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace quorvel {

// One row of the report list: the two column texts as raw bytes, the sort scratch value and the
// selection/focus bits. Rows carry their own state, so a sort or a move takes it along.
struct ListRow {
    std::string name; // column 0
    std::string time; // column 1
    std::uint32_t itemData = 0;
    std::uint8_t state = 0; // LVIS_SELECTED | LVIS_FOCUSED
    FileStamp stamp;        // what the listing learnt of the file, for the undo journal
};

// The rows of the list behind the view. Selection lives here, not in a selection model: a
// hundred thousand rows with every other one selected must move and sort in milliseconds.
class FileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int StateRole = Qt::UserRole + 1;

    explicit FileListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    int insertColumn(int column, const QString& heading);
    int count() const { return int(m_rows.size()); }
    const ListRow& row(int r) const { return m_rows[std::size_t(r)]; }
    const std::vector<ListRow>& rows() const { return m_rows; }

    int insertRow(int index, std::string name);
    bool setText(int r, int column, std::string text);
    bool setItemData(int r, std::uint32_t data);
    bool removeRow(int r);
    void clear();
    // The whole list in one reset: listing a folder must not signal per row.
    void replaceRows(std::vector<ListRow> rows);
    // New row i is old row order[i]; order is a permutation of all rows.
    void reorder(std::span<const std::uint32_t> order);

    // r == -1 changes every row, as the list view's own "all items" index does.
    bool setState(int r, unsigned state, unsigned mask);
    unsigned state(int r) const;
    int nextSelected(int after) const;
    int selectedCount() const;
    int focusedRow() const;

    void setTextColor(ColorRef color);
    ColorRef textColor() const { return m_textColor; }

private:
    void emitRowChanged(int r);

    std::vector<ListRow> m_rows;
    QStringList m_headings;
    ColorRef m_textColor = 0;
};

} // namespace quorvel
