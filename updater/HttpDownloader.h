#pragma once
// The download engine: a queue of tasks worked off one after another by one
// worker thread, each a plain HTTP GET into a local file, resumed from its
// ".qud" temporary file when one is left over, and reported through three
// flags any thread may read.
//
// The engine's own operations (everything but the flag queries, AddTask and
// RemoveTask) are called from one thread, the library's.

#include "updater/DownloadTask.h"
#include "updater/HttpExchange.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

namespace patchwell {

class HttpDownloader {
public:
    // Called on a short-lived thread of its own after each task that was not
    // stopped: the task, the user value, and whether it was the last queued.
    using CompletionCallback = std::function<void(const DownloadTask& task, int userValue, bool last)>;
    // Called on the worker thread with the percentage received so far.
    using ProgressCallback = std::function<void(const DownloadTask& task, int percent, int userValue)>;
    // Bytes free on the volume holding a folder; nullopt when unknown.
    using FreeSpaceQuery = std::function<std::optional<std::uint64_t>(const std::filesystem::path& folder)>;

    static constexpr int kMaxChunk = 32768;
    static constexpr std::chrono::milliseconds kStopWait{1000};
    static constexpr std::chrono::milliseconds kDestroyWait{3000};
    // Free space needed beyond the file's size, in whole megabytes.
    static constexpr std::uint64_t kSpareMegabytes = 50;
    // Exit codes of the last worker.
    static constexpr int kExitNormal = 0;
    static constexpr int kExitAbandoned = -1;

    HttpDownloader();
    virtual ~HttpDownloader();
    HttpDownloader(const HttpDownloader&) = delete;
    HttpDownloader& operator=(const HttpDownloader&) = delete;

    virtual void SetBaseAddress(std::string_view address);
    virtual void SetProxy(std::string_view host, int port, std::string_view user, std::string_view password);
    virtual void SetTimeouts(int connectMs, int sendMs, int receiveMs);
    // Copies the task into the queue. A task whose local path does not fit
    // its field is refused (false): a cut path would name another file.
    // Longer addresses are cut to the field, as the record holds them.
    virtual bool AddTask(const DownloadTask& task);
    // Removes the queued tasks with that address.
    virtual void RemoveTask(std::string_view address);
    // A delay after each chunk, and the chunk size (at most 32768).
    virtual void SetReadChunk(int delayMs, int chunkBytes);
    // Clears the stop request and starts a worker unless one is running.
    virtual void Start();
    // Asks the worker to stop and waits up to 1000 ms, then abandons it.
    virtual void Stop();
    virtual void ResetFlags();
    // Stops with a 3000 ms wait, then deletes the engine: only for engines
    // made with `new` (see MakeHttpDownloader).
    virtual void Destroy();
    virtual void SetSaveFolder(const std::filesystem::path& folder);
    virtual bool IsStopRequested() const;
    virtual bool IsManifestDone() const;
    virtual bool IsPackageDone() const;
    virtual bool IsFailed() const;
    virtual void SetTag(int tag);
    virtual int GetTag() const;
    virtual void SetCallbacks(CompletionCallback completion, int ignored, ProgressCallback progress, int userValue);
    virtual void SetUseCache(bool useCache);

    // Replaces the free-space query (tests).
    void SetFreeSpaceQuery(FreeSpaceQuery query);
    // The error text of the last failed task (CP936), empty when none failed.
    std::string LastErrorText() const;
    // How the last worker ended: kExitNormal, or kExitAbandoned when it did
    // not end in time and was left to finish on its own.
    int LastExitCode() const;
    // Waits until no worker is running; false when the time ran out.
    bool WaitUntilIdle(std::chrono::milliseconds timeout) const;

private:
    struct Shared;
    struct Settings;
    struct Run;
    class Worker;

    void StopWorker(std::chrono::milliseconds wait);

    std::shared_ptr<Shared> m_shared;
    std::unique_ptr<Settings> m_settings;
    std::shared_ptr<Run> m_run;
    std::thread m_thread;
    int m_tag = 0;
    int m_exitCode = kExitNormal;
};

struct HttpDownloaderDeleter {
    void operator()(HttpDownloader* engine) const { engine->Destroy(); }
};
using HttpDownloaderPtr = std::unique_ptr<HttpDownloader, HttpDownloaderDeleter>;
inline HttpDownloaderPtr MakeHttpDownloader() { return HttpDownloaderPtr(new HttpDownloader()); }

}  // namespace patchwell
