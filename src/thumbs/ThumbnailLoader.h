#pragma once

#include "thumbs/Thumbnail.h"
#include "thumbs/ThumbnailCache.h"

#include <QObject>
#include <QThreadPool>

#include <string>

namespace quorvel {

// The thumbnail of the image file at path (absolute), from the shared cache when an entry there
// still stands for the file, else decoded and then kept there; a file nothing can decode is
// noted as a failure and gives a null picture. A file that cannot be opened gives nothing and
// leaves the cache alone; so do the cache's own files, which are never entered into it.
Thumbnail LoadThumbnail(const ThumbnailCache& cache, const std::string& path);

// LoadThumbnail on a thread of its own, so the window never waits for a disk or a decoder.
class ThumbnailLoader : public QObject {
    Q_OBJECT
public:
    explicit ThumbnailLoader(QObject* parent = nullptr);

    // Only the newest request matters: one still waiting for the thread is dropped for it.
    void request(const std::string& path);
    // Drops what waits and waits at most ms for the picture being read; false when its file is
    // still stuck in the file system.
    bool stop(int ms);

signals:
    void loaded(const std::string& path, const quorvel::Thumbnail& thumbnail);

private:
    const ThumbnailCache m_cache;
    // Last, so that it is gone, and its thread finished, before anything a job uses.
    QThreadPool m_pool;
};

} // namespace quorvel
