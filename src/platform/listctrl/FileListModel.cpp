#include "platform/listctrl/FileListModel.h"

#include "platform/listctrl/Permute.h"
#include "text/ReadableName.h"

#include <QColor>

#include <algorithm>

namespace quorvel {

FileListModel::FileListModel(QObject* parent) : QAbstractTableModel(parent) {}

int FileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

int FileListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_headings.size());
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count())
        return {};
    const ListRow& r = m_rows[std::size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        // The capture time's text is made only for the cells painted.
        if (index.column() == 2)
            return QString::fromStdString(CaptureTimeText(captureKey(index.row())));
        return QString::fromStdString(index.column() == 0 ? ReadableName(r.name) : r.time);
    case Qt::ForegroundRole:
        return QColor(int(m_textColor & 0xFF), int((m_textColor >> 8) & 0xFF),
                      int((m_textColor >> 16) & 0xFF));
    case StateRole:
        return unsigned(r.state);
    default:
        return {};
    }
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < m_headings.size())
        return m_headings[section];
    return {};
}

int FileListModel::insertColumn(int column, const QString& heading) {
    column = std::clamp(column, 0, int(m_headings.size()));
    beginInsertColumns({}, column, column);
    m_headings.insert(column, heading);
    endInsertColumns();
    return column;
}

int FileListModel::insertRow(int index, std::string name) {
    index = std::clamp(index, 0, count());
    beginInsertRows({}, index, index);
    ListRow row;
    row.name = std::move(name);
    m_rows.insert(m_rows.begin() + index, std::move(row));
    endInsertRows();
    return index;
}

bool FileListModel::setText(int r, int column, std::string text) {
    if (r < 0 || r >= count() || column < 0 || column > 1)
        return false;
    ListRow& row = m_rows[std::size_t(r)];
    (column == 0 ? row.name : row.time) = std::move(text);
    emit dataChanged(index(r, column), index(r, column));
    return true;
}

bool FileListModel::setItemData(int r, std::uint32_t data) {
    if (r < 0 || r >= count())
        return false;
    m_rows[std::size_t(r)].itemData = data;
    return true;
}

bool FileListModel::removeRow(int r) {
    if (r < 0 || r >= count())
        return false;
    beginRemoveRows({}, r, r);
    m_rows.erase(m_rows.begin() + r);
    endRemoveRows();
    return true;
}

void FileListModel::clear() {
    replaceRows({});
}

void FileListModel::replaceRows(std::vector<ListRow> rows) {
    beginResetModel();
    // Taken as it comes: shrinking would copy every row of a large listing while the old and the
    // new rows both still exist.
    m_rows = std::move(rows);
    m_serials = std::uint32_t(m_rows.size());
    for (std::uint32_t i = 0; i < m_serials; ++i)
        m_rows[i].serial = i;
    m_captureKeys = {};
    ++m_listing;
    endResetModel();
}

void FileListModel::reorder(std::span<const std::uint32_t> order) {
    // Anything but a permutation of the rows would lose some and double others.
    if (!IsPermutation(order, m_rows.size()))
        return;
    // In place: a second vector of every row would cost more in fresh pages than the moves.
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    PermuteInPlace(m_rows, order);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

bool FileListModel::setState(int r, unsigned state, unsigned mask) {
    mask &= LVIS_SELECTED | LVIS_FOCUSED;
    if (r < -1 || r >= count())
        return false;
    const auto apply = [&](ListRow& row) {
        row.state = std::uint8_t((row.state & ~mask) | (state & mask));
    };
    // Only one row carries the focus mark: giving it to one takes it from the others.
    const bool focusing = (mask & LVIS_FOCUSED) && (state & LVIS_FOCUSED);
    if (r == -1) {
        if (focusing) {
            // Every row in turn: the mark ends on the last one.
            for (ListRow& row : m_rows)
                apply(row);
            for (std::size_t i = 0; i + 1 < m_rows.size(); ++i)
                m_rows[i].state &= std::uint8_t(~LVIS_FOCUSED);
        } else {
            for (ListRow& row : m_rows)
                apply(row);
        }
        if (!m_rows.empty())
            emit dataChanged(index(0, 0), index(count() - 1, columnCount() - 1));
        return true;
    }
    if (focusing) {
        const int old = focusedRow();
        if (old >= 0 && old != r) {
            m_rows[std::size_t(old)].state &= std::uint8_t(~LVIS_FOCUSED);
            emitRowChanged(old);
        }
    }
    apply(m_rows[std::size_t(r)]);
    emitRowChanged(r);
    return true;
}

unsigned FileListModel::state(int r) const {
    return r >= 0 && r < count() ? m_rows[std::size_t(r)].state : 0;
}

int FileListModel::nextSelected(int after) const {
    for (int r = std::max(after + 1, 0); r < count(); ++r)
        if (m_rows[std::size_t(r)].state & LVIS_SELECTED)
            return r;
    return -1;
}

int FileListModel::selectedCount() const {
    return int(std::count_if(m_rows.begin(), m_rows.end(),
                             [](const ListRow& r) { return (r.state & LVIS_SELECTED) != 0; }));
}

int FileListModel::focusedRow() const {
    const auto it = std::find_if(m_rows.begin(), m_rows.end(),
                                 [](const ListRow& r) { return (r.state & LVIS_FOCUSED) != 0; });
    return it == m_rows.end() ? -1 : int(it - m_rows.begin());
}

void FileListModel::setTextColor(ColorRef color) {
    m_textColor = color;
    if (!m_rows.empty())
        emit dataChanged(index(0, 0), index(count() - 1, columnCount() - 1), {Qt::ForegroundRole});
}

CaptureKey FileListModel::captureKey(int r) const {
    const std::uint32_t serial = m_rows[std::size_t(r)].serial;
    return serial < m_captureKeys.size() ? m_captureKeys[serial] : kCaptureNotRead;
}

std::vector<std::uint32_t> FileListModel::unreadSerials() const {
    std::vector<std::uint32_t> serials;
    for (const ListRow& row : m_rows)
        if (row.serial < m_serials &&
            (m_captureKeys.empty() || m_captureKeys[row.serial] == kCaptureNotRead))
            serials.push_back(row.serial);
    return serials;
}

void FileListModel::setCaptureKeys(std::uint64_t listing, std::span<const CaptureResult> results) {
    if (listing != m_listing || results.empty())
        return;
    if (m_captureKeys.empty())
        m_captureKeys.assign(m_serials, kCaptureNotRead);
    for (const CaptureResult& result : results)
        if (result.serial < m_serials)
            m_captureKeys[result.serial] = result.key;
    // One signal for the whole column: the view repaints only the cells it shows.
    if (!m_rows.empty() && columnCount() > 2)
        emit dataChanged(index(0, 2), index(count() - 1, 2), {Qt::DisplayRole});
}

void FileListModel::emitRowChanged(int r) {
    emit dataChanged(index(r, 0), index(r, columnCount() - 1));
}

} // namespace quorvel
