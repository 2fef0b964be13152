#include "mainwnd/CaptureTimeLoader.h"

#include "photo/CaptureTime.h"

#include <QThread>

#include <algorithm>
#include <atomic>
#include <deque>
#include <mutex>

namespace quorvel {
namespace {

// Often enough for cells to fill in as the eye follows, seldom enough to cost nothing.
constexpr int kDeliveryIntervalMs = 40;

} // namespace

// What the workers of one reading share. The user-interface thread keeps it while the reading is
// current; each worker holds it until it ends, so an abandoned reading frees itself.
struct CaptureTimeLoader::Job {
    static constexpr std::uint32_t kNotRequested = 0xFFFFFFFFu;

    std::uint64_t listing = 0;
    std::string folderPart;
    std::vector<Request> requests;
    std::vector<std::uint32_t> requestOfSerial;   // kNotRequested for serials not asked for
    std::unique_ptr<std::atomic<bool>[]> claimed; // by request: a worker has taken it
    std::atomic<std::size_t> next{0};             // the next request in the given order
    std::atomic<bool> cancelled{false};
    std::atomic<int> workersLeft{0};

    std::mutex mutex; // guards the two below
    std::deque<std::uint32_t> urgent;
    std::vector<FileListModel::CaptureResult> results;

    // The index of the next request to read, or requests.size() when none is left.
    std::size_t take() {
        const auto claim = [this](std::size_t request) { return !claimed[request].exchange(true); };
        {
            const std::lock_guard lock(mutex);
            while (!urgent.empty()) {
                const std::size_t request = urgent.front();
                urgent.pop_front();
                if (claim(request))
                    return request;
            }
        }
        for (std::size_t request; (request = next++) < requests.size();)
            if (claim(request))
                return request;
        return requests.size();
    }
};

CaptureTimeLoader::CaptureTimeLoader(FileListModel* model, QObject* parent)
    : QObject(parent), m_model(model) {
    m_pool.setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
    m_deliveries.setInterval(kDeliveryIntervalMs);
    connect(&m_deliveries, &QTimer::timeout, this, &CaptureTimeLoader::deliver);
    // Whatever replaces the rows makes their reading pointless.
    connect(model, &QAbstractItemModel::modelAboutToBeReset, this, &CaptureTimeLoader::cancel);
}

CaptureTimeLoader::~CaptureTimeLoader() {
    cancel();
    m_pool.waitForDone();
}

bool CaptureTimeLoader::stop(int ms) {
    cancel();
    return m_pool.waitForDone(ms);
}

void CaptureTimeLoader::start(std::string folderPart, std::vector<Request> requests) {
    cancel();
    if (requests.empty())
        return;
    PrepareCaptureTimeReading();
    auto job = std::make_shared<Job>();
    job->listing = m_model->listing();
    job->folderPart = std::move(folderPart);
    job->requests = std::move(requests);
    const std::size_t count = job->requests.size();
    std::uint32_t serials = 0;
    for (const Request& request : job->requests)
        serials = std::max(serials, request.serial + 1);
    job->requestOfSerial.assign(serials, Job::kNotRequested);
    for (std::size_t i = 0; i < count; ++i)
        job->requestOfSerial[job->requests[i].serial] = std::uint32_t(i);
    job->claimed = std::make_unique<std::atomic<bool>[]>(count);
    const int workers = int(std::min<std::size_t>(std::size_t(m_pool.maxThreadCount()), count));
    job->workersLeft = workers;
    m_job = job;
    m_deliveries.start();
    for (int i = 0; i < workers; ++i)
        m_pool.start([job, this] { Work(job, this); });
}

void CaptureTimeLoader::Work(const std::shared_ptr<Job>& job, CaptureTimeLoader* loader) {
    std::string path = job->folderPart;
    while (!job->cancelled) {
        const std::size_t request = job->take();
        if (request == job->requests.size())
            break;
        const Request& r = job->requests[request];
        path.resize(job->folderPart.size());
        path += r.name;
        const CaptureKey key = ReadCaptureTime(path);
        const std::lock_guard lock(job->mutex);
        job->results.push_back({r.serial, key});
    }
    // The last one out delivers at once, so that a finished reading does not wait for the timer.
    // The loader outlives every worker: its destructor waits for them.
    if (--job->workersLeft == 0)
        QMetaObject::invokeMethod(loader, &CaptureTimeLoader::deliver, Qt::QueuedConnection);
}

void CaptureTimeLoader::deliver() {
    const std::shared_ptr<Job> job = m_job;
    if (!job)
        return;
    // Read before the results are taken: once no worker is left, every result is in.
    const bool ended = job->workersLeft == 0;
    std::vector<FileListModel::CaptureResult> results;
    {
        const std::lock_guard lock(job->mutex);
        results.swap(job->results);
    }
    m_model->setCaptureKeys(job->listing, results);
    if (ended) {
        m_deliveries.stop();
        m_job.reset();
        emit finished();
    }
}

void CaptureTimeLoader::prioritize(std::span<const std::uint32_t> serials) {
    if (!m_job)
        return;
    const std::lock_guard lock(m_job->mutex);
    // Ahead of earlier urgent ones: the rows shown now matter more than those shown before.
    for (auto it = serials.rbegin(); it != serials.rend(); ++it)
        if (*it < m_job->requestOfSerial.size() &&
            m_job->requestOfSerial[*it] != Job::kNotRequested)
            m_job->urgent.push_front(m_job->requestOfSerial[*it]);
}

void CaptureTimeLoader::cancel() {
    if (m_job) {
        m_job->cancelled = true;
        m_job.reset();
        m_deliveries.stop();
    }
}

void CaptureTimeLoader::finish() {
    if (!m_job)
        return;
    m_pool.waitForDone();
    deliver();
}

} // namespace quorvel
