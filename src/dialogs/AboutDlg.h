#pragma once

#include "platform/Dialog.h"

namespace quorvel {

// The about box: icon, version line, maker line, OK.
class CAboutDlg : public CDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

protected:
    bool OnInitDialog() override;
};

} // namespace quorvel
