#include "mainwnd/NumberingDlg.h"

#include "mainwnd/CaptureTimeLoader.h"
#include "settings/SettingsKeys.h"
#include "thumbs/ThumbnailToolTip.h"

#include <QAction>
#include <QMenu>

namespace quorvel {

void CNumberingDlg::AddThumbnailItem() {
    // The rows shown are always those of the folder text that was listed last.
    m_thumbnailTips =
        new ThumbnailToolTip(m_listFiles.View(), [this] { return m_strListedFolder; });
    m_thumbnailAction = new QAction(QString::fromUtf8("サムネイルを表示する"), m_systemMenu);
    m_thumbnailAction->setCheckable(true);
    const bool shown = m_nShowThumbnails.value_or(kDefaultShowThumbnails) != 0;
    m_thumbnailAction->setChecked(shown);
    m_thumbnailTips->setEnabled(shown);
    // Right after the undo item, before the about item's separator.
    const QList<QAction*> items = m_systemMenu->actions();
    const qsizetype next = items.indexOf(m_undoAction) + 1;
    m_systemMenu->insertAction(next < items.size() ? items[next] : nullptr, m_thumbnailAction);
    connect(m_thumbnailAction, &QAction::toggled, this,
            [this](bool checked) { OnShowThumbnails(checked); });
}

void CNumberingDlg::OnShowThumbnails(bool show) {
    m_nShowThumbnails = show ? 1 : 0;
    m_thumbnailTips->setEnabled(show);
}

bool CNumberingDlg::StopWorkers(int ms) {
    const bool thumbnails = !m_thumbnailTips || m_thumbnailTips->loader().stop(ms);
    return (!m_captureTimes || m_captureTimes->stop(ms)) && thumbnails;
}

} // namespace quorvel
