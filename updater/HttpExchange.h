#pragma once
// One HTTP GET through libcurl, with the answer's head handed over before
// any of its body, the body handed over chunk by chunk, and cancellation
// from another thread through an atomic flag.

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

namespace patchwell {

struct ExchangeSettings {
    // The limits an exchange gets where its settings leave them at 0: no
    // host that stops answering keeps a download alive for good.
    static constexpr int kDefaultConnectTimeoutMs = 30000;
    static constexpr int kDefaultStallLimitMs = 60000;

    std::string proxyHost;  // empty: the system's configuration
    int proxyPort = 0;
    std::string proxyUser;
    std::string proxyPassword;
    int connectTimeoutMs = 0;  // 0: kDefaultConnectTimeoutMs
    // With or without a proxy, the exchange fails when no byte moved for the
    // longer of these two; both 0: kDefaultStallLimitMs.
    int sendTimeoutMs = 0;
    int receiveTimeoutMs = 0;
    int chunkBytes = 32768;  // the largest body chunk handed over at once
    bool useCache = false;   // false: ask every cache on the way to reload
};

struct ExchangeRequest {
    std::string url;                      // "http://host[:port]/path"
    std::optional<std::uint64_t> rangeFrom;  // ask for the body from this byte on
};

struct ResponseHead {
    long status = 0;
    std::optional<std::uint64_t> contentLength;
    // From "Content-Range: bytes first-last/total".
    std::optional<std::uint64_t> rangeFirst;
    std::optional<std::uint64_t> rangeTotal;
};

// Receives the answer. Returning false stops the exchange at once.
class ResponseSink {
public:
    virtual ~ResponseSink() = default;
    virtual bool OnHead(const ResponseHead& head) = 0;
    virtual bool OnBody(const char* data, size_t size) = 0;
};

enum class ExchangeResult {
    Completed,        // the whole answer was received
    StoppedBySink,    // the sink declined to go on
    Cancelled,        // the cancel flag was raised
    SetupFailed,      // no transfer handle could be made
    RequestFailed,    // the request could not be prepared (bad address)
    ConnectFailed,    // no connection to the host
    SendFailed,       // connected, but no answer head arrived
    ReceiveFailed,    // the body ended early or the connection broke
};

// The connect time-out and the stall limit an exchange runs with.
struct ExchangeLimits {
    int connectMs = 0;
    int stallMs = 0;
};
ExchangeLimits LimitsOf(const ExchangeSettings& settings);

// Runs the exchange on the calling thread. `cancel` is checked at least every
// 50 ms and on every progress step.
ExchangeResult PerformExchange(const ExchangeRequest& request, const ExchangeSettings& settings,
                               ResponseSink& sink, const std::atomic<bool>& cancel);

// Parses a raw header block line by line (exposed for tests).
class ResponseHeadParser {
public:
    // Feeds one header line (with or without its line end). Returns true when
    // the line ended a final head, which is then in Head(): not an interim
    // (1xx) answer, nor a redirection that names where to go.
    bool Feed(std::string_view line);
    const ResponseHead& Head() const { return m_head; }

private:
    ResponseHead m_head;
    bool m_hasLocation = false;
};

}  // namespace patchwell
