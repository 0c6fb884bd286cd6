#include "updater/HttpExchange.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <memory>
#include <mutex>
#include <string_view>

namespace patchwell {

namespace {

constexpr int kCancelPollMs = 50;

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' || text.back() == '\n')) {
        text.remove_suffix(1);
    }
    return text;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    return std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
}

std::optional<std::uint64_t> ReadUnsigned(std::string_view text) {
    text = Trim(text);
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data()) return std::nullopt;
    return value;
}

void InitCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct EasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct MultiDeleter {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

struct Transfer {
    ResponseSink* sink = nullptr;
    const std::atomic<bool>* cancel = nullptr;
    ResponseHeadParser parser;
    bool headDelivered = false;
    bool stoppedBySink = false;
};

size_t OnHeaderLine(char* data, size_t size, size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    const size_t bytes = size * count;
    if (transfer->headDelivered) return bytes;  // trailers
    if (transfer->parser.Feed(std::string_view(data, bytes))) {
        transfer->headDelivered = true;
        if (!transfer->sink->OnHead(transfer->parser.Head())) {
            transfer->stoppedBySink = true;
            return 0;
        }
    }
    return bytes;
}

size_t OnBodyData(char* data, size_t size, size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    const size_t bytes = size * count;
    if (transfer->cancel->load()) return 0;
    if (!transfer->sink->OnBody(data, bytes)) {
        transfer->stoppedBySink = true;
        return 0;
    }
    return bytes;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* transfer = static_cast<Transfer*>(user);
    return transfer->cancel->load() ? 1 : 0;
}

ExchangeResult FailureFor(CURLcode code, const Transfer& transfer, const std::atomic<bool>& cancel, bool connected) {
    if (transfer.stoppedBySink) return ExchangeResult::StoppedBySink;
    if (cancel.load() || code == CURLE_ABORTED_BY_CALLBACK) return ExchangeResult::Cancelled;
    if (transfer.headDelivered) return ExchangeResult::ReceiveFailed;
    switch (code) {
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL:
        return ExchangeResult::RequestFailed;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_CONNECT:
        return ExchangeResult::ConnectFailed;
    case CURLE_OPERATION_TIMEDOUT:
        return connected ? ExchangeResult::SendFailed : ExchangeResult::ConnectFailed;
    default:
        return ExchangeResult::SendFailed;
    }
}

}  // namespace

bool ResponseHeadParser::Feed(std::string_view line) {
    if (StartsWithNoCase(line, "HTTP/")) {
        m_head = ResponseHead{};
        m_hasLocation = false;
        const size_t space = line.find(' ');
        if (space != std::string_view::npos) {
            m_head.status = static_cast<long>(ReadUnsigned(line.substr(space + 1, 3)).value_or(0));
        }
        return false;
    }
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty()) {
        const bool redirected = m_head.status >= 300 && m_head.status < 400 && m_hasLocation;
        return m_head.status >= 200 && !redirected;
    }
    const size_t colon = trimmed.find(':');
    if (colon == std::string_view::npos) return false;
    const std::string_view name = Trim(trimmed.substr(0, colon));
    const std::string_view value = Trim(trimmed.substr(colon + 1));
    if (name.size() == 8 && StartsWithNoCase(name, "Location")) {
        m_hasLocation = !value.empty();
    } else if (name.size() == 14 && StartsWithNoCase(name, "Content-Length")) {
        m_head.contentLength = ReadUnsigned(value);
    } else if (name.size() == 13 && StartsWithNoCase(name, "Content-Range") && StartsWithNoCase(value, "bytes ")) {
        const std::string_view range = value.substr(6);
        const size_t dash = range.find('-');
        const size_t slash = range.find('/');
        if (dash != std::string_view::npos) m_head.rangeFirst = ReadUnsigned(range.substr(0, dash));
        if (slash != std::string_view::npos) m_head.rangeTotal = ReadUnsigned(range.substr(slash + 1));
    }
    return false;
}

ExchangeLimits LimitsOf(const ExchangeSettings& settings) {
    ExchangeLimits limits;
    limits.connectMs =
        settings.connectTimeoutMs > 0 ? settings.connectTimeoutMs : ExchangeSettings::kDefaultConnectTimeoutMs;
    const int idleMs = std::max(settings.receiveTimeoutMs, settings.sendTimeoutMs);
    limits.stallMs = idleMs > 0 ? idleMs : ExchangeSettings::kDefaultStallLimitMs;
    return limits;
}

ExchangeResult PerformExchange(const ExchangeRequest& request, const ExchangeSettings& settings,
                               ResponseSink& sink, const std::atomic<bool>& cancel) {
    InitCurlOnce();
    std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
    std::unique_ptr<CURLM, MultiDeleter> multi(curl_multi_init());
    if (!easy || !multi) return ExchangeResult::SetupFailed;

    Transfer transfer;
    transfer.sink = &sink;
    transfer.cancel = &cancel;

    CURL* e = easy.get();
    if (curl_easy_setopt(e, CURLOPT_URL, request.url.c_str()) != CURLE_OK) return ExchangeResult::RequestFailed;
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(e, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(e, CURLOPT_USERAGENT, "MyAgent");
    curl_easy_setopt(e, CURLOPT_HTTPGET, 1L);
    // Redirections are followed, over plain HTTP only.
    curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(e, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http");
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_BUFFERSIZE, static_cast<long>(std::clamp(settings.chunkBytes, 1024, 32768)));
    curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &OnHeaderLine);
    curl_easy_setopt(e, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &OnBodyData);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(e, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(e, CURLOPT_XFERINFOFUNCTION, &OnProgress);
    curl_easy_setopt(e, CURLOPT_XFERINFODATA, &transfer);

    std::unique_ptr<curl_slist, ListDeleter> headers;
    auto addHeader = [&headers](const std::string& line) {
        curl_slist* list = curl_slist_append(headers.get(), line.c_str());
        if (list) {
            (void)headers.release();
            headers.reset(list);
        }
    };
    addHeader("Accept: */*");
    if (!settings.useCache) {
        addHeader("Cache-Control: no-cache");
        addHeader("Pragma: no-cache");
    }
    curl_easy_setopt(e, CURLOPT_HTTPHEADER, headers.get());
    std::string range;
    if (request.rangeFrom) {
        range = std::to_string(*request.rangeFrom) + "-";
        curl_easy_setopt(e, CURLOPT_RANGE, range.c_str());
    }

    std::string proxy;
    if (!settings.proxyHost.empty()) {
        proxy = settings.proxyHost + ":" + std::to_string(settings.proxyPort);
        curl_easy_setopt(e, CURLOPT_PROXY, proxy.c_str());
        curl_easy_setopt(e, CURLOPT_PROXYUSERNAME, settings.proxyUser.c_str());
        curl_easy_setopt(e, CURLOPT_PROXYPASSWORD, settings.proxyPassword.c_str());
    }
    const ExchangeLimits limits = LimitsOf(settings);
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits.connectMs));
    // Give up when nothing moved for that long, the answer's head included.
    curl_easy_setopt(e, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(e, CURLOPT_LOW_SPEED_TIME, static_cast<long>((limits.stallMs + 999) / 1000));

    if (curl_multi_add_handle(multi.get(), e) != CURLM_OK) return ExchangeResult::SetupFailed;
    int running = 1;
    CURLcode result = CURLE_OK;
    while (running > 0) {
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK) {
            result = CURLE_SEND_ERROR;
            break;
        }
        if (running == 0) break;
        if (cancel.load()) {
            result = CURLE_ABORTED_BY_CALLBACK;
            break;
        }
        curl_multi_poll(multi.get(), nullptr, 0, kCancelPollMs, nullptr);
    }
    if (running == 0) {
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(multi.get(), &left)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == e) result = message->data.result;
        }
    }
    curl_off_t connectTime = 0;
    curl_easy_getinfo(e, CURLINFO_CONNECT_TIME_T, &connectTime);
    curl_multi_remove_handle(multi.get(), e);
    if (result == CURLE_OK && transfer.headDelivered) return ExchangeResult::Completed;
    if (result == CURLE_OK) return ExchangeResult::SendFailed;
    return FailureFor(result, transfer, cancel, connectTime > 0);
}

}  // namespace patchwell
