#pragma once

#include "thumbs/ThumbnailLoader.h"

#include <QObject>
#include <QPoint>

#include <functional>
#include <string>

class QLabel;

namespace quorvel {

class FileListView;

// Resting the pointer on a row of an image file shows, after the tooltip delay, a tooltip with
// its picture and, under it, the file name and the pixel size. The picture comes from a
// thread; the tooltip opens when it arrives, if the pointer is still on that row, and not at
// all for a file that gives no picture.
class ThumbnailToolTip : public QObject {
    Q_OBJECT
public:
    // folderOfRows: the folder whose files the list shows, asked whenever the list is filled.
    ThumbnailToolTip(FileListView* view, std::function<std::string()> folderOfRows);

    void setEnabled(bool enabled);
    ThumbnailLoader& loader() { return m_loader; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The row's file under the point of the viewport, or an empty text.
    std::string imageAt(QPoint pos) const;
    void rest(QPoint pos);
    void show(const std::string& path, const Thumbnail& thumbnail);
    void hide();

    FileListView* m_view;
    const QWidget* m_viewport;
    std::function<std::string()> m_folderOfRows;
    ThumbnailLoader m_loader;
    QWidget* m_tip = nullptr;
    QLabel* m_picture = nullptr;
    QLabel* m_caption = nullptr;
    bool m_enabled = true;
    std::string m_wanted; // the file whose picture the pointer rests on
    std::string m_shown;  // the file whose picture the tooltip shows
    QPoint m_pointer;     // in the viewport
};

} // namespace quorvel
