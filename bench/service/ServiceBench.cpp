// The web service client's costs: one exchange of a 2 KB answer on loopback
// against a bare libcurl GET of the same address, and the parse of a
// 50-song song-information answer.

#include "common/Text.h"
#include "common/WellKnownPaths.h"
#include "model/SongList.h"
#include "service/HttpClient.h"
#include "service/ServiceXml.h"

#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <fstream>
#include <thread>

namespace {

// A loopback service answering every path with the same 2 KB document.
class BenchServer {
public:
    BenchServer() {
        m_body = "<?xml version=\"1.0\" encoding=\"GBK\"?><Result>" + std::string(2000, 'x') + "</Result>";
        m_body.resize(2048, ' ');
        m_server.Get("/hang", [this](const httplib::Request&, httplib::Response& response) {
            std::unique_lock lock(m_mutex);
            const int ticket = ++m_hanging;
            m_changed.notify_all();
            // Held until released (bounded, so the server can always stop).
            m_changed.wait_for(lock, std::chrono::seconds(5), [&] { return m_release || m_released >= ticket; });
            response.set_content("late", "text/plain");
        });
        m_server.Get(".*", [this](const httplib::Request&, httplib::Response& response) {
            response.set_content(m_body, "text/xml");
        });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
    }
    ~BenchServer() {
        {
            std::lock_guard lock(m_mutex);
            m_release = true;
        }
        m_changed.notify_all();
        m_server.stop();
        m_thread.join();
    }
    std::string HangUrl() const { return "http://127.0.0.1:" + std::to_string(m_port) + "/hang"; }
    // Waits (bounded) until `count` requests have reached the hanging path.
    bool WaitForHanging(int count) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(5), [&] { return m_hanging >= count; });
    }
    // Lets the oldest held request finish.
    void ReleaseOne() {
        {
            std::lock_guard lock(m_mutex);
            ++m_released;
        }
        m_changed.notify_all();
    }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(m_port) + "/songhall/port/tonvik/playlist.php?SONG_ID[]=1"; }

private:
    httplib::Server m_server;
    std::string m_body;
    int m_port = 0;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_hanging = 0;
    int m_released = 0;
    bool m_release = false;
};

BenchServer& Server() {
    static BenchServer server;
    return server;
}

size_t Collect(char* data, size_t size, size_t count, void* out) {
    static_cast<std::string*>(out)->append(data, size * count);
    return size * count;
}

void BM_BareCurlGet(benchmark::State& state) {
    const std::string url = Server().Url();
    std::string body;
    for (auto _ : state) {
        body.clear();
        CURL* easy = curl_easy_init();
        curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Collect);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, &body);
        curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
        if (curl_easy_perform(easy) != CURLE_OK) state.SkipWithError("bare GET failed");
        curl_easy_cleanup(easy);
        benchmark::DoNotOptimize(body.data());
    }
}
BENCHMARK(BM_BareCurlGet)->UseRealTime();

void BM_RequestOfURI(benchmark::State& state) {
    const std::string url = Server().Url();
    GenericHTTPClient client;
    for (auto _ : state) {
        if (!client.RequestOfURI(url, kHttpGet, kServiceAgent)) state.SkipWithError("RequestOfURI failed");
        benchmark::DoNotOptimize(client.GetBody());
    }
}
BENCHMARK(BM_RequestOfURI)->UseRealTime();

// From CloseHandles on the user-interface side to the end of the exchange
// on the lookup side, against a service that does not answer.
void BM_CloseHandlesEndsAHungExchange(benchmark::State& state) {
    BenchServer& server = Server();
    const std::string url = server.HangUrl();
    static int sent = 0;
    for (auto _ : state) {
        GenericHTTPClient client;  // a closed client stays closed
        int result = -1;
        std::thread lookup([&] { result = client.RequestOfURI(url, kHttpGet, kServiceAgent); });
        if (!server.WaitForHanging(++sent)) state.SkipWithError("the request never arrived");
        const auto start = std::chrono::steady_clock::now();
        client.CloseHandles();
        lookup.join();
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        server.ReleaseOne();
        if (result != 0) state.SkipWithError("the exchange did not fail");
    }
}
BENCHMARK(BM_CloseHandlesEndsAHungExchange)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(20);

// A 50-song answer as the service sends it.
std::string FiftySongAnswer() {
    std::string items;
    for (int n = 1; n <= 50; ++n) {
        const std::string id = std::to_string(100000 + n);
        items += "<song><id>" + id + "</id><name>晴天" + id + "</name><album_name>叶惠美</album_name>"
                 "<singer_name>周杰伦</singer_name><lyric>[ti:晴天]\n[00:01.00]故事的小黄花\n[00:05.00]从出生那年就飘着</lyric>"
                 "<findo_url>http://findo/" + id + "</findo_url><mp3_url>http://media/" + id + ".asx</mp3_url></song>";
    }
    return "<?xml version=\"1.0\" encoding=\"GBK\"?>" + Cp936("<Result>" + items + "</Result>");
}

void BM_ParseFiftySongs(benchmark::State& state) {
    const auto folder = std::filesystem::temp_directory_path() / "bench_service";
    std::filesystem::create_directories(folder);
    const auto file = folder / "playsong.xml";
    std::ofstream(file, std::ios::binary) << FiftySongAnswer();
    CSongList ids;
    for (int n = 1; n <= 50; ++n) {
        St_SongInfo song;
        song.id = std::to_string(100000 + n);
        ids.Add(song);
    }
    for (auto _ : state) {
        CSongList list(ids);
        CSongXml parser;
        parser.loadPlayUrl = 0;
        parser.SetXmlFile(file.string());
        if (parser.LoadSong(list) != 1) state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(list.GetCount());
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_ParseFiftySongs)->Unit(benchmark::kMicrosecond);

}  // namespace

