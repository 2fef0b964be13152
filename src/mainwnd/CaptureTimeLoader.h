#pragma once

#include "platform/listctrl/FileListModel.h"

#include <QObject>
#include <QThreadPool>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace quorvel {

// Reads the capture times of a listing's files on worker threads, at most one per core, and
// hands them to the model on the user-interface thread a batch at a time, so the window stays
// usable meanwhile. Results name their row by serial, so rows may be sorted and moved in between.
class CaptureTimeLoader : public QObject {
    Q_OBJECT
public:
    struct Request {
        std::uint32_t serial;
        std::string name;
    };

    explicit CaptureTimeLoader(FileListModel* model, QObject* parent = nullptr);
    // Stops the reading and waits for the files being read at that moment.
    ~CaptureTimeLoader() override;

    // Reads the files `folderPart` + name in the order given, for the model's current listing.
    // Ends any reading still going.
    void start(std::string folderPart, std::vector<Request> requests);
    // These serials are read before the others still waiting; those already read are skipped.
    void prioritize(std::span<const std::uint32_t> serials);
    // Ends the reading without waiting: the files being read are dropped, the others not read.
    void cancel();
    // Waits until every file is read and its result is in the model. Blocks the caller.
    void finish();
    bool isReading() const { return m_job != nullptr; }
    // Ends the reading and waits at most ms for the files being read; false when one of them
    // is still stuck in the file system.
    bool stop(int ms);

signals:
    // Every requested file read and in the model.
    void finished();

private:
    struct Job;
    static void Work(const std::shared_ptr<Job>& job, CaptureTimeLoader* loader);
    // Moves what the workers have read into the model; runs on the user-interface thread.
    void deliver();

    FileListModel* m_model;
    std::shared_ptr<Job> m_job;
    QThreadPool m_pool;
    // Deliveries at a steady pace: one per result would have the window repaint for every
    // file, taking a core from the workers.
    QTimer m_deliveries;
};

} // namespace quorvel
