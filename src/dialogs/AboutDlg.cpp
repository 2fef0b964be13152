#include "dialogs/AboutDlg.h"

#include "res/Icons.h"
#include "res/Templates.h"

#include <QIcon>
#include <QLabel>

namespace quorvel {

CAboutDlg::CAboutDlg(QWidget* parent) : CDialog(AboutDialogTemplate(), parent) {}

bool CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // The icon static takes the icon's own size, as an icon control does.
    if (auto* icon = findChild<QLabel*>(QStringLiteral("icon"))) {
        icon->setPixmap(MainFrameIcon().pixmap(32, 32));
        icon->resize(32, 32);
        icon->setAccessibleName(QStringLiteral("Quorvel"));
    }
    return true;
}

} // namespace quorvel
