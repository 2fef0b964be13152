#include "platform/listctrl/ListCtrl.h"

#include "platform/listctrl/FileListView.h"

#include <QHeaderView>

#include <algorithm>

namespace quorvel {

void CListCtrl::Attach(FileListView* view) {
    m_view = view;
    m_model = view->listModel();
}

int CListCtrl::InsertColumn(int column, const std::string& heading, int /*format*/, int width) {
    // Every column of this program is left-aligned, which is what the header does by default.
    const QString text = QString::fromUtf8(heading);
    const int at = m_model->insertColumn(column, text);
    m_view->horizontalHeader()->resizeSection(at, width);
    if (at == 0)
        m_view->setAccessibleName(text);
    return at;
}

void CListCtrl::WidenColumnToShow(int column, const std::string& text) {
    QHeaderView* header = m_view->horizontalHeader();
    int width = header->sectionSize(column);
    const QString sample = QString::fromUtf8(text);
    for (char16_t digit = u'0'; digit <= u'9'; ++digit) {
        QString filled = sample;
        for (QChar& c : filled)
            if (c.isDigit())
                c = QChar(digit);
        width = std::max(width, m_view->cellWidthFor(filled));
    }
    header->resizeSection(column, width);
}

void CListCtrl::SetExtendedStyle(std::uint32_t /*style*/) {
    // Full-row selection, the only style the program sets, is how the view always selects.
}

int CListCtrl::InsertItem(int index, const std::string& text) {
    return m_model->insertRow(index, text);
}

bool CListCtrl::SetItemText(int row, int column, const std::string& text) {
    return m_model->setText(row, column, text);
}

std::string CListCtrl::GetItemText(int row, int column) const {
    if (row < 0 || row >= m_model->count())
        return {};
    const ListRow& r = m_model->row(row);
    if (column == 2)
        return CaptureTimeText(m_model->captureKey(row));
    return column == 0 ? r.name : column == 1 ? r.time : std::string();
}

bool CListCtrl::SetItemData(int row, std::uint32_t data) {
    return m_model->setItemData(row, data);
}

bool CListCtrl::DeleteItem(int row) {
    return m_model->removeRow(row);
}

bool CListCtrl::DeleteAllItems() {
    m_model->clear();
    return true;
}

int CListCtrl::GetItemCount() const {
    return m_model->count();
}

int CListCtrl::GetNextItem(int start, int flags) const {
    if (flags & LVNI_SELECTED)
        return m_model->nextSelected(start);
    const int next = start + 1;
    return next < m_model->count() ? next : -1;
}

int CListCtrl::GetSelectedCount() const {
    return m_model->selectedCount();
}

bool CListCtrl::SetItemState(int row, unsigned state, unsigned mask) {
    return m_model->setState(row, state, mask);
}

unsigned CListCtrl::GetItemState(int row, unsigned mask) const {
    return m_model->state(row) & mask;
}

void CListCtrl::SetTextColor(ColorRef color) {
    m_model->setTextColor(color);
}

ColorRef CListCtrl::GetTextColor() const {
    return m_model->textColor();
}

void CListCtrl::EnableWindow(bool enable) {
    m_view->setEnabled(enable);
}

bool CListCtrl::IsWindowEnabled() const {
    return m_view->isEnabled();
}

void CListCtrl::SetFocus() {
    m_view->setFocus(Qt::OtherFocusReason);
}

void CListCtrl::ReplaceAllRows(std::vector<ListRow> rows) {
    m_model->replaceRows(std::move(rows));
}

void CListCtrl::ApplyOrder(std::span<const std::uint32_t> order) {
    m_model->reorder(order);
}

} // namespace quorvel
