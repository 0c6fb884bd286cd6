#include "updater/HttpDownloader.h"

#include "platform/AtomicFile.h"
#include "platform/Disk.h"
#include "updater/Gbk.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <system_error>
#include <utility>

namespace patchwell {

namespace fs = std::filesystem;

struct HttpDownloader::Settings {
    std::string baseAddress;
    fs::path saveFolder = ".";
    ExchangeSettings exchange;
    int delayMs = 0;
    bool useCache = false;
    CompletionCallback completion;
    ProgressCallback progress;
    int userValue = 0;
    FreeSpaceQuery freeSpace;
};

// What the engine and its workers share. A worker that was abandoned keeps
// the object alive but never changes it again: every change checks that the
// worker's generation is still the current one.
struct HttpDownloader::Shared {
    struct Queued {
        std::uint64_t id = 0;
        DownloadTask task;
    };

    mutable std::mutex lock;
    mutable std::condition_variable idle;
    std::deque<Queued> queue;        // under lock
    std::uint64_t nextId = 1;        // under lock
    std::uint64_t generation = 0;    // under lock
    bool workerRunning = false;      // under lock
    std::string lastError;           // under lock
    std::atomic<bool> stopRequested{false};
    std::atomic<bool> manifestDone{false};
    std::atomic<bool> packageDone{false};
    std::atomic<bool> failed{false};
};

struct HttpDownloader::Run {
    std::uint64_t generation = 0;
    Settings settings;
    std::atomic<bool> cancel{false};
};

namespace {

// A task's failure with its error text (CP936).
struct DownloadFailure {
    std::string text;
};

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

std::string FailureText(ExchangeResult result) {
    switch (result) {
    case ExchangeResult::SetupFailed:
        return "Error::InterOpen";
    case ExchangeResult::RequestFailed:
        return "Error:HttpOpenRequest";
    case ExchangeResult::ConnectFailed:
        return "Error::InternetConnect";
    case ExchangeResult::SendFailed:
        return "Error:HttpSendRequest";
    case ExchangeResult::Cancelled:
        return "Error:Stopped";
    default:
        return "Error:InternetReadFile";
    }
}

// The nearest folder of the path that exists, for the free-space query.
fs::path ExistingFolderOf(const fs::path& file) {
    std::error_code ec;
    fs::path folder = file.parent_path();
    if (folder.empty()) folder = ".";
    while (!fs::exists(folder, ec) && folder.has_parent_path() && folder.parent_path() != folder) {
        folder = folder.parent_path();
    }
    return folder;
}

// Puts the finished temporary file in place of the local file: the rename
// replaces it at once; where renaming is refused, a copy replaces it whole.
bool MoveIntoPlace(const fs::path& temporary, const fs::path& target) {
    std::error_code ec;
    fs::rename(temporary, target, ec);
    if (!ec) return true;
    if (!tonvik::platform::CopyFileAtomically(temporary, target)) return false;
    fs::remove(temporary, ec);
    return true;
}

}  // namespace

// Works off the queue. Runs on its own thread and owns its share of the
// engine's state, so it may outlive an engine that gave up waiting for it.
class HttpDownloader::Worker {
public:
    Worker(std::shared_ptr<Shared> shared, std::shared_ptr<Run> run)
        : m_shared(std::move(shared)), m_run(std::move(run)) {}

    void operator()();

private:
    // Runs `change` under the engine's lock, unless this worker was
    // abandoned; false then.
    template <typename Change>
    bool Publish(Change&& change) {
        std::lock_guard guard(m_shared->lock);
        if (m_shared->generation != m_run->generation) return false;
        change();
        return true;
    }

    void Process(DownloadTask& task);

    std::shared_ptr<Shared> m_shared;
    std::shared_ptr<Run> m_run;
};

// Receives one answer into the task's temporary file.
class TaskReceiver : public ResponseSink {
public:
    enum class Stage { Waiting, BadAnswer, NoSpace, CannotOpen, AlreadyComplete, NeedsResume, Receiving };

    struct Context {
        fs::path target;
        fs::path temporary;
        HttpDownloader::FreeSpaceQuery freeSpace;
        HttpDownloader::ProgressCallback progress;
        const DownloadTask* task = nullptr;
        int userValue = 0;
        int delayMs = 0;
        const std::atomic<bool>* cancel = nullptr;
        std::function<void()> clearDoneFlag;
    };

    explicit TaskReceiver(Context context) : m_context(std::move(context)) {}

    // The second request, after asking for the rest from the resume point.
    void ExpectResume() { m_resuming = true; }

    bool OnHead(const ResponseHead& head) override {
        return m_resuming ? OnResumeHead(head) : OnFirstHead(head);
    }

    bool OnBody(const char* data, size_t size) override {
        if (m_stage != Stage::Receiving || !m_file) return false;
        if (std::fwrite(data, 1, size, m_file.get()) != size) return false;
        m_count += size;
        Progress();
        if (m_context.delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(m_context.delayMs));
        return !m_context.cancel->load();
    }

    Stage GetStage() const { return m_stage; }
    const std::string& AnswerError() const { return m_answerError; }
    std::uint64_t ResumePoint() const { return m_resumePoint; }
    bool ReceivedAll() const { return m_stage == Stage::Receiving && m_count == m_expected; }
    // Closes the temporary file; false when its last bytes could not be written.
    bool CloseFile() {
        if (!m_file) return true;
        const bool flushed = std::fflush(m_file.get()) == 0;
        m_file.reset();
        return flushed;
    }

private:
    bool OnFirstHead(const ResponseHead& head) {
        if (head.status != 200 || !head.contentLength) {
            m_stage = Stage::BadAnswer;
            m_answerError = head.status != 200 ? "Error:HttpStatus " + std::to_string(head.status)
                                               : std::string("Error:ContentLength");
            return false;
        }
        m_expected = *head.contentLength;
        if (!EnoughSpace()) {
            m_stage = Stage::NoSpace;
            return false;
        }
        m_context.clearDoneFlag();
        std::error_code ec;
        const auto size = fs::file_size(m_context.temporary, ec);
        m_resumePoint = ec ? 0 : size;
        m_file.reset(std::fopen(m_context.temporary.c_str(), "ab"));
        if (!m_file) {
            m_stage = Stage::CannotOpen;
            return false;
        }
        if (m_resumePoint == m_expected) {
            m_stage = Stage::AlreadyComplete;
            return false;
        }
        // Longer than the announced file: not a part of it. Start afresh.
        if (m_resumePoint > m_expected && !StartOver()) return false;
        if (m_resumePoint > 0) {
            m_stage = Stage::NeedsResume;
            return false;
        }
        m_stage = Stage::Receiving;
        m_count = 0;
        Progress();
        return true;
    }

    bool OnResumeHead(const ResponseHead& head) {
        if (head.status == 206 && head.rangeFirst == m_resumePoint && head.rangeTotal == m_expected) {
            m_count = m_resumePoint;
        } else if (head.status == 200 && head.contentLength == m_expected) {
            // The server refused the range: write the file from its start.
            if (!StartOver()) return false;
        } else {
            m_stage = Stage::BadAnswer;
            m_answerError = "Error:HttpStatus " + std::to_string(head.status);
            return false;
        }
        m_stage = Stage::Receiving;
        Progress();
        return true;
    }

    bool StartOver() {
        m_file.reset(std::fopen(m_context.temporary.c_str(), "wb"));
        m_resumePoint = 0;
        m_count = 0;
        if (!m_file) m_stage = Stage::CannotOpen;
        return m_file != nullptr;
    }

    bool EnoughSpace() const {
        const fs::path folder = ExistingFolderOf(m_context.target);
        const auto free = m_context.freeSpace ? m_context.freeSpace(folder) : tonvik::platform::FreeDiskSpace(folder);
        if (!free) return false;
        const std::uint64_t freeMegabytes = *free / 1024 / 1024;
        return freeMegabytes >= m_expected / 1048576 + HttpDownloader::kSpareMegabytes;
    }

    void Progress() const {
        if (!m_context.progress || m_context.cancel->load()) return;
        const int percent = m_expected == 0 ? 100 : static_cast<int>(m_count * 100 / m_expected);
        m_context.progress(*m_context.task, percent, m_context.userValue);
    }

    Context m_context;
    Stage m_stage = Stage::Waiting;
    bool m_resuming = false;
    std::string m_answerError;
    std::uint64_t m_expected = 0;
    std::uint64_t m_resumePoint = 0;
    std::uint64_t m_count = 0;
    FilePtr m_file;
};

void HttpDownloader::Worker::operator()() {
    for (;;) {
        Shared::Queued item;
        {
            std::lock_guard guard(m_shared->lock);
            if (m_shared->generation != m_run->generation) return;
            if (m_shared->stopRequested || m_shared->queue.empty()) {
                m_shared->queue.clear();
                m_shared->workerRunning = false;
                m_shared->idle.notify_all();
                return;
            }
            item = m_shared->queue.front();
        }
        DownloadTask task = item.task;
        try {
            Process(task);
        } catch (const DownloadFailure& failure) {
            Publish([&] {
                m_shared->failed = true;
                m_shared->lastError = failure.text;
            });
        }
        bool last = false;
        const bool current = Publish([&] {
            auto& queue = m_shared->queue;
            queue.erase(std::remove_if(queue.begin(), queue.end(),
                                       [&](const Shared::Queued& queued) { return queued.id == item.id; }),
                        queue.end());
            last = queue.empty();
        });
        if (!current) return;
        const Settings& settings = m_run->settings;
        if (settings.completion && !m_shared->stopRequested) {
            try {
                std::thread(settings.completion, task, settings.userValue, last).detach();
            } catch (const std::system_error&) {
                // No thread for the notification: it is optional.
            }
        }
    }
}

void HttpDownloader::Worker::Process(DownloadTask& task) {
    const Settings& settings = m_run->settings;
    std::string address;
    if (task.completeAddress) {
        address = task.prefix + task.address;
        task.address = std::string(AddressFileName(address));
    } else {
        address = settings.baseAddress + task.prefix + task.address;
    }
    const auto parts = SplitAddress(address);
    if (!parts) throw DownloadFailure{Gbk("发送的URL请求中主机名或路径为空")};

    // Without a local path the file goes to the save folder under the
    // address's file name, which must then be a plain name.
    const std::string fileName(AddressFileName(address));
    fs::path target;
    fs::path temporary;
    if (task.localPath.empty()) {
        if (!IsPlainFileName(fileName)) throw DownloadFailure{"Error:LocalFileName"};
        target = settings.saveFolder / fileName;
        temporary = settings.saveFolder / (fileName + ".qud");
    } else {
        target = task.localPath;
        temporary = TemporaryPathFor(task.localPath);
    }
    TaskReceiver::Context context;
    context.target = target;
    context.temporary = temporary;
    const bool manifest = IsManifestAddress(address);
    std::atomic<bool>& doneFlag = manifest ? m_shared->manifestDone : m_shared->packageDone;
    context.freeSpace = settings.freeSpace;
    context.progress = settings.progress;
    context.task = &task;
    context.userValue = settings.userValue;
    context.delayMs = settings.delayMs;
    context.cancel = &m_run->cancel;
    context.clearDoneFlag = [&] { Publish([&] { doneFlag = false; }); };

    TaskReceiver receiver(std::move(context));
    const ExchangeRequest request{"http://" + parts->host + parts->path, std::nullopt};
    ExchangeResult result = PerformExchange(request, settings.exchange, receiver, m_run->cancel);
    if (receiver.GetStage() == TaskReceiver::Stage::NeedsResume) {
        receiver.ExpectResume();
        result = PerformExchange({request.url, receiver.ResumePoint()}, settings.exchange, receiver, m_run->cancel);
    }

    const bool closed = receiver.CloseFile();
    switch (receiver.GetStage()) {
    case TaskReceiver::Stage::Waiting:
    case TaskReceiver::Stage::NeedsResume:
        throw DownloadFailure{FailureText(result)};
    case TaskReceiver::Stage::BadAnswer:
        throw DownloadFailure{receiver.AnswerError()};
    case TaskReceiver::Stage::NoSpace:
        return;  // nothing written, no flag changed
    case TaskReceiver::Stage::CannotOpen:
        throw DownloadFailure{"Error:CreateFile"};
    case TaskReceiver::Stage::AlreadyComplete:
        Publish([&] {
            if (MoveIntoPlace(temporary, target)) {
                doneFlag = true;
            } else {
                m_shared->failed = true;
            }
        });
        return;
    case TaskReceiver::Stage::Receiving:
        if (!(closed && receiver.ReceivedAll())) {
            if (result != ExchangeResult::Completed) throw DownloadFailure{FailureText(result)};
            throw DownloadFailure{"Error:InternetReadFile"};
        }
        Publish([&] {
            if (MoveIntoPlace(temporary, target)) {
                doneFlag = true;
                m_shared->failed = false;
            } else {
                m_shared->failed = true;
            }
        });
        return;
    }
}

HttpDownloader::HttpDownloader() : m_shared(std::make_shared<Shared>()), m_settings(std::make_unique<Settings>()) {}

HttpDownloader::~HttpDownloader() { StopWorker(kDestroyWait); }

void HttpDownloader::SetBaseAddress(std::string_view address) { m_settings->baseAddress = address; }

void HttpDownloader::SetProxy(std::string_view host, int port, std::string_view user, std::string_view password) {
    m_settings->exchange.proxyHost = host;
    m_settings->exchange.proxyPort = port;
    m_settings->exchange.proxyUser = user;
    m_settings->exchange.proxyPassword = password;
}

void HttpDownloader::SetTimeouts(int connectMs, int sendMs, int receiveMs) {
    m_settings->exchange.connectTimeoutMs = connectMs;
    m_settings->exchange.sendTimeoutMs = sendMs;
    m_settings->exchange.receiveTimeoutMs = receiveMs;
}

bool HttpDownloader::AddTask(const DownloadTask& task) {
    if (task.localPath.size() > DownloadTask::kMaxText || task.localPath.find('\0') != std::string::npos) {
        return false;
    }
    // The queue holds the task as its record holds it.
    DownloadTask queued = DownloadTask::Unpack(task.Pack());
    std::lock_guard guard(m_shared->lock);
    m_shared->queue.push_back({m_shared->nextId++, std::move(queued)});
    return true;
}

void HttpDownloader::RemoveTask(std::string_view address) {
    std::lock_guard guard(m_shared->lock);
    auto& queue = m_shared->queue;
    queue.erase(std::remove_if(queue.begin(), queue.end(),
                               [&](const Shared::Queued& queued) { return queued.task.address == address; }),
                queue.end());
}

void HttpDownloader::SetReadChunk(int delayMs, int chunkBytes) {
    m_settings->delayMs = std::max(delayMs, 0);
    m_settings->exchange.chunkBytes = std::clamp(chunkBytes, 1, kMaxChunk);
}

void HttpDownloader::Start() {
    std::unique_lock lock(m_shared->lock);
    m_shared->stopRequested = false;
    if (m_shared->workerRunning) return;  // the running worker takes the new tasks
    lock.unlock();
    // A worker that has finished may still be returning.
    if (m_thread.joinable()) m_thread.join();

    auto run = std::make_shared<Run>();
    run->settings = *m_settings;
    lock.lock();
    run->generation = ++m_shared->generation;
    m_shared->workerRunning = true;
    lock.unlock();
    try {
        m_thread = std::thread(Worker(m_shared, run));
        m_run = std::move(run);
        m_exitCode = kExitNormal;
    } catch (const std::system_error&) {
        lock.lock();
        m_shared->workerRunning = false;
        m_shared->failed = true;
        m_shared->idle.notify_all();
    }
}

void HttpDownloader::StopWorker(std::chrono::milliseconds wait) {
    m_shared->stopRequested = true;
    if (!m_thread.joinable()) return;
    if (m_run) m_run->cancel = true;
    std::unique_lock lock(m_shared->lock);
    const bool ended = m_shared->idle.wait_for(lock, wait, [this] { return !m_shared->workerRunning; });
    if (!ended) {
        // The worker did not end in time: leave it to finish on its own. It
        // sees the new generation and never touches the engine again.
        ++m_shared->generation;
        m_shared->workerRunning = false;
        m_shared->queue.clear();
        m_shared->idle.notify_all();
    }
    lock.unlock();
    if (ended) {
        m_thread.join();
        m_exitCode = kExitNormal;
    } else {
        m_thread.detach();
        m_exitCode = kExitAbandoned;
    }
    m_run.reset();
}

void HttpDownloader::Stop() { StopWorker(kStopWait); }

void HttpDownloader::ResetFlags() {
    m_shared->manifestDone = false;
    m_shared->packageDone = false;
    m_shared->failed = false;
}

void HttpDownloader::Destroy() {
    StopWorker(kDestroyWait);
    delete this;
}

void HttpDownloader::SetSaveFolder(const fs::path& folder) { m_settings->saveFolder = folder; }

bool HttpDownloader::IsStopRequested() const { return m_shared->stopRequested; }
bool HttpDownloader::IsManifestDone() const { return m_shared->manifestDone; }
bool HttpDownloader::IsPackageDone() const { return m_shared->packageDone; }
bool HttpDownloader::IsFailed() const { return m_shared->failed; }

void HttpDownloader::SetTag(int tag) { m_tag = tag; }
int HttpDownloader::GetTag() const { return m_tag; }

void HttpDownloader::SetCallbacks(CompletionCallback completion, int /*ignored*/, ProgressCallback progress,
                                  int userValue) {
    m_settings->completion = std::move(completion);
    m_settings->progress = std::move(progress);
    m_settings->userValue = userValue;
}

void HttpDownloader::SetUseCache(bool useCache) {
    m_settings->useCache = useCache;
    m_settings->exchange.useCache = useCache;
}

void HttpDownloader::SetFreeSpaceQuery(FreeSpaceQuery query) { m_settings->freeSpace = std::move(query); }

std::string HttpDownloader::LastErrorText() const {
    std::lock_guard guard(m_shared->lock);
    return m_shared->lastError;
}

int HttpDownloader::LastExitCode() const { return m_exitCode; }

bool HttpDownloader::WaitUntilIdle(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_shared->lock);
    return m_shared->idle.wait_for(lock, timeout, [this] { return !m_shared->workerRunning; });
}

}  // namespace patchwell
