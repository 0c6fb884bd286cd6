// Figures for the service stand-in: how long it takes to start (data loaded,
// listening) and to serve a 50-song song-information answer on loopback.

#include "tools/standin/ServiceAnswers.h"
#include "tools/standin/StandIn.h"

#include <QHostAddress>
#include <QTcpSocket>

#include <benchmark/benchmark.h>

#include <string>

namespace {

std::string FiftySongQuery(const standin::CCatalogue& catalogue) {
    std::string target = "/songhall/port/tonvik/playlist.php?";
    const auto& songs = catalogue.Songs();
    for (size_t i = 0; i < 50; ++i) target += (i ? "&SONG_ID[]=" : "SONG_ID[]=") + songs[i % songs.size()].id;
    return target;
}

// One GET on a fresh connection, read to the end; the body size, or 0.
size_t FetchOnce(int port, const std::string& target) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
    if (!socket.waitForConnected(5000)) return 0;
    const std::string request = "GET " + target + " HTTP/1.0\r\nHost: 127.0.0.1\r\nUser-Agent: VADUVU(0.9/;p)\r\nAccept: */*\r\n\r\n";
    socket.write(request.data(), static_cast<qint64>(request.size()));
    QByteArray data;
    while (socket.waitForReadyRead(5000)) data += socket.readAll();
    data += socket.readAll();
    const qsizetype head = data.indexOf("\r\n\r\n");
    return head < 0 ? 0 : static_cast<size_t>(data.size() - head - 4);
}

void BM_StartAndStop(benchmark::State& state) {
    for (auto _ : state) {
        standin::CStandIn standIn;
        if (!standIn.Start()) {
            state.SkipWithError(standIn.Error().c_str());
            return;
        }
        benchmark::DoNotOptimize(standIn.Port());
        state.PauseTiming();
        standIn.Stop();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartAndStop)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FiftySongAnswerOnLoopback(benchmark::State& state) {
    standin::CStandIn standIn;
    if (!standIn.Start()) {
        state.SkipWithError(standIn.Error().c_str());
        return;
    }
    const std::string target = FiftySongQuery(standIn.Catalogue());
    size_t bytes = 0;
    for (auto _ : state) {
        bytes = FetchOnce(standIn.Port(), target);
        if (bytes == 0) {
            state.SkipWithError("no answer");
            return;
        }
    }
    state.counters["answer_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_FiftySongAnswerOnLoopback)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_FiftySongAnswerBuilt(benchmark::State& state) {
    standin::CCatalogue catalogue;
    std::string error;
    if (!catalogue.Load(standin::DefaultDataDir() / "catalogue.txt", error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    std::vector<std::string> ids;
    for (size_t i = 0; i < 50; ++i) ids.push_back(catalogue.Songs()[i % catalogue.Songs().size()].id);
    const standin::CServiceAnswers answers(catalogue);
    for (auto _ : state) benchmark::DoNotOptimize(answers.SongInfo(ids, "127.0.0.1:18080"));
}
BENCHMARK(BM_FiftySongAnswerBuilt)->Unit(benchmark::kMicrosecond);

}  // namespace

