#include "dialogs/SettingsDlg.h"

#include "mainwnd/NumberingDlg.h"
#include "res/Templates.h"
#include "res/resource.h"

namespace quorvel {

CSettingsDlg::CSettingsDlg(QWidget* parent) : CDialog(SettingsDialogTemplate(), parent) {}

bool CSettingsDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_bLowerExtCheck = m_nInitLowerExt == 1 ? 1 : 0;
    UpdateData(false);
    return true;
}

void CSettingsDlg::DoDataExchange(DataExchange& dx) {
    CDialog::DoDataExchange(dx);
    DDX_Check(dx, IDC_LOWERCASE_EXT, m_bLowerExtCheck);
}

void CNumberingDlg::OnSettings() {
    CSettingsDlg dlg(this);
    dlg.m_nInitLowerExt = m_bLowerExt;
    if (dlg.DoModal() == IDOK)
        m_bLowerExt = dlg.m_bLowerExtCheck != 0 ? 1 : 0;
}

} // namespace quorvel
