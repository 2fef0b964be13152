#include "mainwnd/NumberingDlg.h"

#include "order/DropPlan.h"
#include "order/MovePlan.h"

namespace quorvel {
namespace {

std::vector<std::uint8_t> RowStates(const CListCtrl& list) {
    const std::vector<ListRow>& rows = list.Model()->rows();
    std::vector<std::uint8_t> states(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        states[i] = rows[i].state;
    return states;
}

// The moved rows are already selected; the one handled last takes the focus mark.
void ApplyMove(CListCtrl& list, const MovePlan& plan) {
    if (!plan.moved)
        return;
    list.ApplyOrder(plan.order);
    if (plan.focusRow >= 0)
        list.SetItemState(int(plan.focusRow), LVIS_SELECTED | LVIS_FOCUSED,
                          LVIS_SELECTED | LVIS_FOCUSED);
}

using PlanFunction = MovePlan (*)(std::span<const std::uint8_t>);

// Both directions: refused without a selection (the focus stays), otherwise one step of the plan
// and the focus to the list, also when nothing could move.
void MoveSelectedRows(CNumberingDlg& dlg, PlanFunction plan) {
    CListCtrl& list = dlg.m_listFiles;
    if (list.GetNextItem(-1, LVNI_SELECTED) == -1) {
        dlg.ShowNoSelectionMessage();
        return;
    }
    ApplyMove(list, plan(RowStates(list)));
    list.SetFocus();
}

} // namespace

void CNumberingDlg::OnSelectAll() {
    if (m_bListValid == 0) {
        Box("ファイルもしくはフォルダが存在しない場合は\n選択できません。", "Tessaly",
            MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    m_listFiles.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
    m_listFiles.SetFocus();
}

void CNumberingDlg::OnDeselectAll() {
    m_listFiles.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    m_listFiles.SetFocus();
}

void CNumberingDlg::OnMoveUp() {
    MoveSelectedRows(*this, PlanMoveUp);
}

void CNumberingDlg::OnMoveDown() {
    MoveSelectedRows(*this, PlanMoveDown);
}

void CNumberingDlg::OnDropRows(int gap) {
    if (m_bListValid == 0 || gap < 0)
        return;
    const MovePlan plan = PlanDrop(RowStates(m_listFiles), std::size_t(gap));
    if (plan.moved)
        m_listFiles.ApplyOrder(plan.order);
    m_listFiles.SetFocus();
}

void CNumberingDlg::OnListClick(Message& msg) {
    if (m_bListValid == 0) {
        m_listFiles.SetItemState(0, 0, LVIS_SELECTED | LVIS_FOCUSED);
        m_listFiles.SetItemState(1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    }
    msg.result = 0;
}

} // namespace quorvel
