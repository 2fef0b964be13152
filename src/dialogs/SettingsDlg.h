#pragma once

#include "platform/Dialog.h"

#include <cstdint>

namespace quorvel {

// The one option: lower-case extensions when renaming. The caller hands the option in through
// m_nInitLowerExt and, after IDOK, reads the box's state from m_bLowerExtCheck.
class CSettingsDlg : public CDialog {
    Q_OBJECT
public:
    explicit CSettingsDlg(QWidget* parent = nullptr);

    std::int32_t m_nInitLowerExt = 0; // set by the caller before DoModal
    std::int32_t m_bLowerExtCheck = 0;

protected:
    bool OnInitDialog() override;
    void DoDataExchange(DataExchange& dx) override;
};

} // namespace quorvel
