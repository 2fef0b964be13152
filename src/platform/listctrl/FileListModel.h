#pragma once

#include "fs/ListRow.h"
#include "photo/CaptureTime.h"
#include "platform/WindowTypes.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace quorvel {

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
    // The whole list in one reset: listing a folder must not signal per row. The rows become a
    // new listing: serials 0, 1, ... in this order, no capture time read.
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

    // Column 2. Kept beside the rows, by serial, and only once a reading has begun: a list that
    // never shows the column pays nothing for it.
    CaptureKey captureKey(int r) const;
    // Counts the listings, so that a result can tell whether its rows are still those listed.
    std::uint64_t listing() const { return m_listing; }
    // Every serial of the current listing whose capture time is not read yet, in row order.
    std::vector<std::uint32_t> unreadSerials() const;
    struct CaptureResult {
        std::uint32_t serial;
        CaptureKey key;
    };
    // Results of an older listing are dropped.
    void setCaptureKeys(std::uint64_t listing, std::span<const CaptureResult> results);

private:
    void emitRowChanged(int r);

    std::vector<ListRow> m_rows;
    std::vector<CaptureKey> m_captureKeys; // by serial; empty until a reading begins
    std::uint32_t m_serials = 0;           // in the current listing
    std::uint64_t m_listing = 0;
    QStringList m_headings;
    ColorRef m_textColor = 0;
};

} // namespace quorvel
