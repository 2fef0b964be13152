#pragma once

#include "platform/WindowTypes.h"
#include "platform/listctrl/FileListModel.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace quorvel {

class FileListView;

// The report list as the dialogs use it: the list view's operations on rows, texts and states,
// over a model behind a view. Attached to its control by the first data exchange.
class CListCtrl {
public:
    CListCtrl() = default;
    CListCtrl(const CListCtrl&) = delete;
    CListCtrl& operator=(const CListCtrl&) = delete;

    void Attach(FileListView* view);
    bool IsAttached() const { return m_view != nullptr; }
    FileListView* View() const { return m_view; }
    FileListModel* Model() const { return m_model; }

    // The list has no label of its own: a screen reader names it after its first heading.
    int InsertColumn(int column, const std::string& heading, int format, int width);
    // Widens a column, never narrows it, until a cell draws `text` whole, each digit of it
    // standing for whichever digit the font draws widest. Pixel widths chosen for the
    // platform's own font can be too narrow in ours.
    void WidenColumnToShow(int column, const std::string& text);
    void SetExtendedStyle(std::uint32_t style);

    int InsertItem(int index, const std::string& text);
    bool SetItemText(int row, int column, const std::string& text);
    std::string GetItemText(int row, int column) const;
    bool SetItemData(int row, std::uint32_t data);
    bool DeleteItem(int row);
    bool DeleteAllItems();
    int GetItemCount() const;
    int GetNextItem(int start, int flags) const;
    int GetSelectedCount() const;
    bool SetItemState(int row, unsigned state, unsigned mask);
    unsigned GetItemState(int row, unsigned mask) const;
    void SetTextColor(ColorRef color);
    ColorRef GetTextColor() const;
    void EnableWindow(bool enable);
    bool IsWindowEnabled() const;
    void SetFocus();

    // Bulk forms of the row operations, one model signal each.
    void ReplaceAllRows(std::vector<ListRow> rows);
    void ApplyOrder(std::span<const std::uint32_t> order);

private:
    FileListView* m_view = nullptr;
    FileListModel* m_model = nullptr;
};

} // namespace quorvel
