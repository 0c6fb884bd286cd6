#include "platform/Paths.h"
#include "updater/Gbk.h"
#include "updater/HttpDownloader.h"

#include "tests/support/TempDir.h"
#include "tests/updater/LoopbackServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <future>
#include <mutex>

using namespace patchwell;
namespace fs = std::filesystem;
using Behaviour = LoopbackServer::Behaviour;
using namespace std::chrono_literals;

namespace {

constexpr auto kWait = 20s;
constexpr std::uint64_t kMegabyte = 1024 * 1024;

std::string Body(size_t size, char salt = 0) {
    std::string body(size, '\0');
    for (size_t i = 0; i < size; ++i) body[i] = static_cast<char>((i * 131 + i / 7 + salt) & 0xFF);
    return body;
}

class DownloaderTest : public testing::Test {
protected:
    // Queues one task for `path` on the server into the temporary folder,
    // runs the engine and waits for it.
    void Download(const std::string& path, const fs::path& local) {
        ASSERT_TRUE(engine.AddTask(DownloadTask::Make(server.Url(path), local.string())));
        engine.Start();
        ASSERT_TRUE(engine.WaitUntilIdle(kWait));
    }

    std::vector<std::string> RangesAsked() const {
        std::vector<std::string> ranges;
        for (const auto& request : server.Requests()) ranges.push_back(request.range);
        return ranges;
    }

    TempDir dir;
    LoopbackServer server;
    HttpDownloader engine;
};

}  // namespace

TEST_F(DownloaderTest, PackageIsWrittenThroughItsTemporaryFile) {
    const std::string body = Body(300 * 1024 + 17);
    server.Serve("/download/music/Setup.exe", body);
    Download("/download/music/Setup.exe", dir / "Setup.exe");

    EXPECT_EQ(TempDir::Read(dir / "Setup.exe"), body);
    EXPECT_FALSE(fs::exists(dir / "Setup.exe.qud"));
    EXPECT_TRUE(engine.IsPackageDone());
    EXPECT_FALSE(engine.IsManifestDone());
    EXPECT_FALSE(engine.IsFailed());
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0].userAgent, "MyAgent");
    EXPECT_EQ(server.Requests()[0].cacheControl, "no-cache");
    EXPECT_EQ(server.Requests()[0].range, "");

    engine.ResetFlags();
    EXPECT_FALSE(engine.IsPackageDone());
}

TEST_F(DownloaderTest, OnlyLowerCaseXmlIsAManifestTask) {
    server.Serve("/download/music/Update.xml", "<?xml version=\"1.0\"?><update/>");
    server.Serve("/download/music/Update.XML", "<?xml version=\"1.0\"?><update/>");
    Download("/download/music/Update.xml", dir / "Update.bk");
    EXPECT_TRUE(engine.IsManifestDone());
    EXPECT_FALSE(engine.IsPackageDone());
    EXPECT_TRUE(fs::exists(dir / "Update.bk"));

    engine.ResetFlags();
    Download("/download/music/Update.XML", dir / "Upper.bk");
    EXPECT_TRUE(engine.IsPackageDone());
    EXPECT_FALSE(engine.IsManifestDone());
}

TEST_F(DownloaderTest, FailuresSetTheFailedFlagWithTheirText) {
    server.Serve("/chunked.exe", Body(5000), Behaviour::NoContentLength);
    LoopbackServer gone;
    const std::string goneUrl = gone.Url("/Setup.exe");
    gone.Stop();

    struct Case {
        std::string address;
        std::string text;  // expected error text, empty: any
    };
    const Case cases[] = {
        {"http:///download/Update.xml", Gbk("发送的URL请求中主机名或路径为空")},
        {"http://127.0.0.1", Gbk("发送的URL请求中主机名或路径为空")},
        {goneUrl, "Error::InternetConnect"},
        {server.Url("/missing.exe"), ""},
        {server.Url("/chunked.exe"), ""},
    };
    for (const Case& c : cases) {
        engine.ResetFlags();
        ASSERT_TRUE(engine.AddTask(DownloadTask::Make(c.address, (dir / "Setup.exe").string())));
        engine.Start();
        ASSERT_TRUE(engine.WaitUntilIdle(kWait));
        EXPECT_TRUE(engine.IsFailed()) << c.address;
        EXPECT_FALSE(engine.IsPackageDone()) << c.address;
        if (!c.text.empty()) {
            EXPECT_EQ(engine.LastErrorText(), c.text) << c.address;
        }
        EXPECT_FALSE(fs::exists(dir / "Setup.exe")) << c.address;
        EXPECT_FALSE(fs::exists(dir / "Setup.exe.qud")) << c.address << ": nothing is written for a refused answer";
    }
}

TEST_F(DownloaderTest, AHostThatStopsAnsweringFailsTheTaskWithoutAProxy) {
    // Left at 0, the limits are still finite.
    const ExchangeLimits defaults = LimitsOf(ExchangeSettings{});
    EXPECT_GT(defaults.connectMs, 0);
    EXPECT_GT(defaults.stallMs, 0);

    server.Serve("/Setup.exe", "", Behaviour::HangBeforeHead);
    server.Serve("/Patch.exe", Body(100000), Behaviour::HangAfter, 40000);
    engine.SetTimeouts(0, 0, 1000);
    for (const char* path : {"/Setup.exe", "/Patch.exe"}) {
        engine.ResetFlags();
        ASSERT_TRUE(engine.AddTask(DownloadTask::Make(server.Url(path), (dir / "Setup.exe").string())));
        engine.Start();
        // Well before the server lets the answer go on by itself.
        ASSERT_TRUE(engine.WaitUntilIdle(kWait)) << path;
        EXPECT_TRUE(engine.IsFailed()) << path;
        EXPECT_FALSE(engine.IsPackageDone()) << path;
    }
    EXPECT_EQ(engine.LastErrorText(), "Error:InternetReadFile") << "the head had come";
}

TEST_F(DownloaderTest, CompleteTemporaryFileIsTakenWithoutReadingTheBody) {
    const std::string body = Body(100000);
    // The server would stall after the head: only a download that does not
    // read the body can finish.
    server.Serve("/Setup.exe", body, Behaviour::HangAfter, 0);
    dir.Write("Setup.exe.qud", body);
    Download("/Setup.exe", dir / "Setup.exe");
    EXPECT_TRUE(engine.IsPackageDone());
    EXPECT_EQ(TempDir::Read(dir / "Setup.exe"), body);
    EXPECT_FALSE(fs::exists(dir / "Setup.exe.qud"));
}

TEST_F(DownloaderTest, PartialTemporaryFileIsResumedWithARange) {
    const std::string body = Body(200000);
    server.Serve("/Setup.exe", body);
    dir.Write("Setup.exe.qud", body.substr(0, 80000));
    Download("/Setup.exe", dir / "Setup.exe");
    EXPECT_TRUE(engine.IsPackageDone());
    EXPECT_EQ(TempDir::Read(dir / "Setup.exe"), body);
    EXPECT_EQ(RangesAsked(), (std::vector<std::string>{"", "bytes=80000-"}));
}

TEST_F(DownloaderTest, RefusedOrImpossibleResumeStartsAgainFromByteZero) {
    const std::string body = Body(150000);
    server.Serve("/Refuse.exe", body, Behaviour::RefuseRanges);
    server.Serve("/Setup.exe", body);
    // Bytes that are not the file's: they must all be replaced.
    dir.Write("Refuse.exe.qud", std::string(60000, 'X'));
    Download("/Refuse.exe", dir / "Refuse.exe");
    EXPECT_TRUE(engine.IsPackageDone());
    EXPECT_EQ(TempDir::Read(dir / "Refuse.exe"), body);
    EXPECT_EQ(RangesAsked(), (std::vector<std::string>{"", "bytes=60000-"}));

    // A temporary file longer than the announced file is not part of it.
    dir.Write("Setup.exe.qud", std::string(body.size() + 10, 'Y'));
    Download("/Setup.exe", dir / "Setup.exe");
    EXPECT_EQ(TempDir::Read(dir / "Setup.exe"), body);
}

TEST_F(DownloaderTest, DroppedTransferKeepsItsPartAndAFreshEngineResumesIt) {
    const std::string body = Body(400000);
    server.Serve("/Setup.exe", body, Behaviour::DropAfter, 150000);
    Download("/Setup.exe", dir / "Setup.exe");
    EXPECT_TRUE(engine.IsFailed());
    EXPECT_FALSE(engine.IsPackageDone());
    EXPECT_FALSE(fs::exists(dir / "Setup.exe"));
    const std::string part = TempDir::Read(dir / "Setup.exe.qud");
    ASSERT_GT(part.size(), 0u);
    ASSERT_LE(part.size(), 150000u);
    EXPECT_EQ(part, body.substr(0, part.size())) << "the temporary file holds a true prefix";

    // A later run (a new engine, as after a restart) goes on from there.
    server.Serve("/Setup.exe", body);
    HttpDownloader later;
    ASSERT_TRUE(later.AddTask(DownloadTask::Make(server.Url("/Setup.exe"), (dir / "Setup.exe").string())));
    later.Start();
    ASSERT_TRUE(later.WaitUntilIdle(kWait));
    EXPECT_TRUE(later.IsPackageDone());
    EXPECT_FALSE(later.IsFailed());
    EXPECT_EQ(TempDir::Read(dir / "Setup.exe"), body);
    EXPECT_EQ(RangesAsked().back(), "bytes=" + std::to_string(part.size()) + "-");
}

// Run by the test below in a process of its own: downloads the address in
// UPDATER_CHILD_URL to UPDATER_CHILD_FILE and passes only when it completed.
TEST(DownloaderChildProcess, DISABLED_DownloadOnce) {
    const char* url = std::getenv("UPDATER_CHILD_URL");
    const char* file = std::getenv("UPDATER_CHILD_FILE");
    ASSERT_TRUE(url && file);
    HttpDownloader engine;
    ASSERT_TRUE(engine.AddTask(DownloadTask::Make(url, file)));
    engine.Start();
    ASSERT_TRUE(engine.WaitUntilIdle(kWait));
    EXPECT_TRUE(engine.IsPackageDone());
    EXPECT_FALSE(engine.IsFailed());
}

TEST_F(DownloaderTest, InterruptedRunIsResumedByANewProcess) {
    const std::string body = Body(300000);
    server.Serve("/Setup.exe", body, Behaviour::DropAfter, 100000);
    const std::string command = "UPDATER_CHILD_URL='" + server.Url("/Setup.exe") + "' UPDATER_CHILD_FILE='" +
                                (dir / "Setup.exe").string() + "' '" + tonvik::platform::ProgramFilePath().string() +
                                "' --gtest_filter=DownloaderChildProcess.DISABLED_DownloadOnce"
                                " --gtest_also_run_disabled_tests > /dev/null 2>&1";
    EXPECT_NE(std::system(command.c_str()), 0) << "the first run is cut off";
    const auto part = fs::file_size(dir / "Setup.exe.qud");
    ASSERT_GT(part, 0u);
    EXPECT_FALSE(fs::exists(dir / "Setup.exe"));

    server.Serve("/Setup.exe", body);
    EXPECT_EQ(std::system(command.c_str()), 0) << "the second run finishes the file";
    EXPECT_EQ(TempDir::Read(dir / "Setup.exe"), body);
    EXPECT_FALSE(fs::exists(dir / "Setup.exe.qud"));
    EXPECT_EQ(RangesAsked().back(), "bytes=" + std::to_string(part) + "-");
}

TEST_F(DownloaderTest, FreeSpaceMustCoverTheFileAndFiftyMegabytes) {
    server.Serve("/Small.exe", Body(1000));
    server.Serve("/Big.exe", Body(20 * kMegabyte));
    Download("/Small.exe", dir / "Small.exe");
    ASSERT_TRUE(engine.IsPackageDone());

    std::mutex lock;
    std::vector<fs::path> asked;
    std::uint64_t freeBytes = 69 * kMegabyte + kMegabyte - 1;  // 69 whole megabytes
    engine.SetFreeSpaceQuery([&](const fs::path& folder) -> std::optional<std::uint64_t> {
        std::lock_guard guard(lock);
        asked.push_back(folder);
        return freeBytes;
    });
    Download("/Big.exe", dir / "sub" / "Big.exe");
    EXPECT_FALSE(fs::exists(dir / "sub")) << "nothing is written";
    Download("/Big.exe", dir / "Big.exe");
    EXPECT_FALSE(fs::exists(dir / "Big.exe"));
    EXPECT_FALSE(fs::exists(dir / "Big.exe.qud"));
    EXPECT_TRUE(engine.IsPackageDone()) << "no flag changes";
    EXPECT_FALSE(engine.IsFailed());
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0], dir.Path()) << "the nearest existing folder is asked";
    EXPECT_EQ(asked[1], dir.Path());

    freeBytes = 70 * kMegabyte;
    Download("/Big.exe", dir / "Big.exe");
    EXPECT_EQ(fs::file_size(dir / "Big.exe"), 20 * kMegabyte);

    engine.SetFreeSpaceQuery([](const fs::path&) { return std::optional<std::uint64_t>(); });
    Download("/Small.exe", dir / "Unknown.exe");
    EXPECT_FALSE(fs::exists(dir / "Unknown.exe")) << "an unknown free space is too little";
}

TEST_F(DownloaderTest, TasksWithoutLocalPathGoToTheSaveFolderUnderASafeName) {
    const std::string body = Body(1234);
    server.Serve("/download/Setup.exe", body);
    engine.SetSaveFolder(dir.Path());
    Download("/download/Setup.exe", "");
    EXPECT_EQ(TempDir::Read(dir / "Setup.exe"), body);

    for (const char* path : {"/download/", "/download/.."}) {
        engine.ResetFlags();
        Download(path, "");
        EXPECT_TRUE(engine.IsFailed()) << path;
        EXPECT_EQ(engine.LastErrorText(), "Error:LocalFileName") << path;
    }
    EXPECT_FALSE(engine.AddTask(DownloadTask::Make(server.Url("/download/Setup.exe"), "/tmp/" + std::string(300, 'p'))))
        << "a local path that does not fit its field is refused, not cut";
}

TEST_F(DownloaderTest, RedirectionsAreFollowed) {
    const std::string body = Body(4321);
    server.Serve("/mirror/Setup.exe", body);
    server.Serve("/download/Setup.exe", "/mirror/Setup.exe", Behaviour::Redirect);
    Download("/download/Setup.exe", dir / "Setup.exe");
    EXPECT_TRUE(engine.IsPackageDone());
    EXPECT_EQ(TempDir::Read(dir / "Setup.exe"), body);
}

TEST_F(DownloaderTest, BaseAddressServesIncompleteAddresses) {
    const std::string body = Body(999);
    server.Serve("/download/music/Setup.exe", body);
    engine.SetBaseAddress(server.Url("/download/"));
    DownloadTask task = DownloadTask::Make("Setup.exe", (dir / "Setup.exe").string());
    task.prefix = "music/";
    task.completeAddress = false;
    ASSERT_TRUE(engine.AddTask(task));
    engine.Start();
    ASSERT_TRUE(engine.WaitUntilIdle(kWait));
    EXPECT_EQ(TempDir::Read(dir / "Setup.exe"), body);
}

TEST_F(DownloaderTest, CallbacksReportProgressAndCompletion) {
    const std::string body = Body(5 * 32768 + 5);
    server.Serve("/a/First.exe", body);
    server.Serve("/a/Second.exe", Body(10));
    std::vector<int> percents;
    std::promise<std::vector<std::pair<std::string, bool>>> finished;
    std::mutex lock;
    std::vector<std::pair<std::string, bool>> completions;
    engine.SetCallbacks(
        [&](const DownloadTask& task, int userValue, bool last) {
            std::lock_guard guard(lock);
            EXPECT_EQ(userValue, 77);
            completions.emplace_back(task.address, last);
            if (completions.size() == 2) finished.set_value(completions);
        },
        0,
        [&](const DownloadTask& task, int percent, int) {
            if (task.address == "First.exe") percents.push_back(percent);
        },
        77);
    engine.SetReadChunk(0, 100000);
    ASSERT_TRUE(engine.AddTask(DownloadTask::Make(server.Url("/a/First.exe"), (dir / "First.exe").string())));
    ASSERT_TRUE(engine.AddTask(DownloadTask::Make(server.Url("/a/Second.exe"), (dir / "Second.exe").string())));
    ASSERT_TRUE(engine.AddTask(DownloadTask::Make(server.Url("/a/Third.exe"), (dir / "Third.exe").string())));
    engine.RemoveTask(server.Url("/a/Third.exe"));
    engine.Start();
    ASSERT_TRUE(engine.WaitUntilIdle(kWait));
    auto done = finished.get_future();
    ASSERT_EQ(done.wait_for(kWait), std::future_status::ready);
    auto reported = done.get();
    std::sort(reported.begin(), reported.end());
    EXPECT_EQ(reported, (std::vector<std::pair<std::string, bool>>{{"First.exe", false}, {"Second.exe", true}}))
        << "the task carries its file name; the second was the last";
    ASSERT_GE(percents.size(), 7u) << "chunks are at most 32768 bytes";
    EXPECT_EQ(percents.front(), 0);
    EXPECT_EQ(percents.back(), 100);
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_FALSE(fs::exists(dir / "Third.exe"));
}

TEST_F(DownloaderTest, StopCancelsAHungExchangeInTime) {
    server.Serve("/Setup.exe", "", Behaviour::HangBeforeHead);
    ASSERT_TRUE(engine.AddTask(DownloadTask::Make(server.Url("/Setup.exe"), (dir / "Setup.exe").string())));
    ASSERT_TRUE(engine.AddTask(DownloadTask::Make(server.Url("/Other.exe"), (dir / "Other.exe").string())));
    engine.Start();
    ASSERT_TRUE(server.WaitForStall(20000));
    engine.Stop();
    EXPECT_TRUE(engine.IsStopRequested());
    EXPECT_EQ(engine.LastExitCode(), HttpDownloader::kExitNormal) << "the cancelled exchange ended the worker";
    EXPECT_TRUE(engine.WaitUntilIdle(0ms));
    EXPECT_EQ(server.Requests().size(), 1u) << "the queue was emptied, the second task never ran";

    // The engine works again afterwards.
    server.Serve("/Other.exe", Body(10));
    Download("/Other.exe", dir / "Other.exe");
    EXPECT_FALSE(engine.IsStopRequested());
    EXPECT_TRUE(engine.IsPackageDone());
}

TEST_F(DownloaderTest, AWorkerThatDoesNotEndIsAbandonedAndNeverTouchesTheEngineAgain) {
    server.Serve("/Setup.exe", Body(200000));
    // The worker is held inside the progress callback, where no cancellation
    // reaches it; the token tells when the worker has let go of everything.
    std::promise<void> entered, release, workerGone;
    struct Token {
        explicit Token(std::promise<void>* g) : gone(g) {}
        Token(const Token&) = delete;
        Token& operator=(const Token&) = delete;
        ~Token() { gone->set_value(); }
        std::promise<void>* gone;
    };
    auto token = std::make_shared<Token>(&workerGone);
    auto releaseFuture = release.get_future().share();
    bool first = true;
    engine.SetCallbacks({}, 0,
                        [token, releaseFuture, &entered, &first](const DownloadTask&, int, int) {
                            if (!first) return;
                            first = false;
                            entered.set_value();
                            releaseFuture.wait_for(kWait);
                        },
                        0);
    token.reset();
    ASSERT_TRUE(engine.AddTask(DownloadTask::Make(server.Url("/Setup.exe"), (dir / "Setup.exe").string())));
    engine.Start();
    ASSERT_EQ(entered.get_future().wait_for(kWait), std::future_status::ready);

    const auto before = std::chrono::steady_clock::now();
    engine.Stop();
    const auto waited = std::chrono::steady_clock::now() - before;
    EXPECT_EQ(engine.LastExitCode(), HttpDownloader::kExitAbandoned);
    EXPECT_GE(waited, 900ms);
    EXPECT_LT(waited, 5s);
    engine.SetCallbacks({}, 0, {}, 0);

    release.set_value();
    ASSERT_EQ(workerGone.get_future().wait_for(kWait), std::future_status::ready);
    EXPECT_FALSE(engine.IsFailed()) << "the abandoned worker's failure is not reported";
    EXPECT_FALSE(engine.IsPackageDone());
    EXPECT_FALSE(fs::exists(dir / "Setup.exe"));

    Download("/Setup.exe", dir / "Setup.exe");
    EXPECT_TRUE(engine.IsPackageDone());
    EXPECT_EQ(engine.LastExitCode(), HttpDownloader::kExitNormal);
}

TEST_F(DownloaderTest, DestroyStopsAHungDownloadAndDeletesTheEngine) {
    server.Serve("/Setup.exe", Body(100000), Behaviour::HangAfter, 40000);
    HttpDownloaderPtr owned = MakeHttpDownloader();
    ASSERT_TRUE(owned->AddTask(DownloadTask::Make(server.Url("/Setup.exe"), (dir / "Setup.exe").string())));
    owned->Start();
    ASSERT_TRUE(server.WaitForStall(20000));
    const auto before = std::chrono::steady_clock::now();
    owned.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 4s);
    EXPECT_FALSE(fs::exists(dir / "Setup.exe"));
    const std::string part = TempDir::Read(dir / "Setup.exe.qud");
    EXPECT_LE(part.size(), 40000u) << "the temporary file keeps what arrived, ready for a resume";
}
