#include "mainwnd/CaptureTimeLoader.h"
#include "mainwnd/NumberingDlg.h"
#include "platform/listctrl/FileListView.h"
#include "rename/NameBuilder.h"

#include <QAction>
#include <QMenu>
#include <QScrollBar>
#include <QStyle>

namespace quorvel {
namespace {

constexpr int kCaptureColumn = 2;

// Room for the longest capture time the view's font can show, and the cell's margins.
int CaptureColumnWidth(const QWidget& view) {
    const QFontMetrics metrics(view.font());
    QChar widest = '0';
    for (char digit = '1'; digit <= '9'; ++digit)
        if (metrics.horizontalAdvance(QChar(digit)) > metrics.horizontalAdvance(widest))
            widest = QChar(digit);
    const QString text = QString("0000/00/00  00:00:00").replace('0', widest);
    const int margin = view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1;
    return metrics.horizontalAdvance(text) + 2 * margin;
}

// The rows the view shows now, first and last; -1, -1 for none.
std::pair<int, int> VisibleRows(const FileListView& view, int count) {
    if (count == 0)
        return {-1, -1};
    const int top = std::max(view.rowAt(0), 0);
    const int bottom = view.rowAt(view.viewport()->height() - 1);
    return {top, bottom < 0 ? count - 1 : bottom};
}

} // namespace

void CNumberingDlg::SetupCaptureColumn() {
    FileListView* view = m_listFiles.View();
    m_listFiles.InsertColumn(kCaptureColumn, "撮影日時", LVCFMT_LEFT, CaptureColumnWidth(*view));
    view->setColumnHidden(kCaptureColumn, m_nShowCaptureTime.value_or(0) == 0);
    m_captureAction = view->headerMenu()->addAction(QString::fromUtf8("撮影日時"));
    m_captureAction->setCheckable(true);
    m_captureAction->setChecked(!view->isColumnHidden(kCaptureColumn));
    connect(m_captureAction, &QAction::triggered, this,
            [this](bool checked) { OnShowCaptureTime(checked); });

    m_captureTimes = new CaptureTimeLoader(m_listFiles.Model(), this);
    connect(view->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { PrioritizeVisibleCaptureTimes(); });
    connect(m_listFiles.Model(), &QAbstractItemModel::layoutChanged, this,
            [this] { PrioritizeVisibleCaptureTimes(); });
}

void CNumberingDlg::OnShowCaptureTime(bool show) {
    m_nShowCaptureTime = show ? 1 : 0;
    m_captureAction->setChecked(show);
    FileListView* view = m_listFiles.View();
    if (!show) {
        view->hideColumn(kCaptureColumn);
        m_captureTimes->cancel();
        return;
    }
    // The list is narrower than its first two columns: the new one is brought into view.
    view->revealColumn(kCaptureColumn);
    ReadCaptureTimes();
}

void CNumberingDlg::ReadCaptureTimes() {
    if (m_listFiles.View()->isColumnHidden(kCaptureColumn) || m_bListValid == 0)
        return;
    const FileListModel& model = *m_listFiles.Model();
    const int count = model.count();
    const auto [top, bottom] = VisibleRows(*m_listFiles.View(), count);
    std::vector<CaptureTimeLoader::Request> requests;
    const auto request = [&](int r) {
        const ListRow& row = model.row(r);
        if (row.serial != ListRow::kNoSerial && model.captureKey(r) == kCaptureNotRead)
            requests.push_back({row.serial, row.name});
    };
    for (int r = top; r >= 0 && r <= bottom; ++r)
        request(r);
    for (int r = 0; r < count; ++r)
        if (r < top || r > bottom)
            request(r);
    m_captureTimes->start(FolderPart(m_strListedFolder), std::move(requests));
}

void CNumberingDlg::PrioritizeVisibleCaptureTimes() {
    if (!m_captureTimes->isReading())
        return;
    const FileListModel& model = *m_listFiles.Model();
    const auto [top, bottom] = VisibleRows(*m_listFiles.View(), model.count());
    std::vector<std::uint32_t> serials;
    for (int r = top; r >= 0 && r <= bottom; ++r)
        serials.push_back(model.row(r).serial);
    m_captureTimes->prioritize(serials);
}

} // namespace quorvel
