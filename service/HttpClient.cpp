#include "service/HttpClient.h"

#include "common/Trace.h"
#include "platform/Network.h"

#include <QMimeDatabase>
#include <QString>

#include <curl/curl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fstream>

namespace {

constexpr const char* kAcceptHeader = "Accept: */*";
constexpr const char* kFormContentType = "Content-Type: application/x-www-form-urlencoded";
constexpr size_t kMaxExceptionText = 1024;
constexpr long kMaxRedirects = 10;

static_assert(GenericHTTPClient::kErrTimedOut == CURLE_OPERATION_TIMEDOUT);
static_assert(GenericHTTPClient::kErrClosed == CURLE_ABORTED_BY_CALLBACK);

void InitCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// atol: optional blanks, an optional sign, then the leading digits.
long ReadDecimal(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value > 100000000L) break;  // far beyond any port; stop before overflowing
        value = value * 10 + (text[i] - '0');
    }
    return negative ? -value : value;
}

// The request target as it goes on the wire: bytes that may not stand in a
// request line (blanks, control characters, "#" and bytes above 0x7F) are
// sent as "%XX"; everything else, "%" included, as it is.
std::string WireTarget(std::string_view path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(path.size());
    for (const char ch : path) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte <= 0x20 || byte >= 0x7F || byte == '#') {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        } else {
            out += ch;
        }
    }
    return out;
}

// Bytes moved so far in either direction, headers included.
curl_off_t BytesMoved(CURL* easy) {
    curl_off_t down = 0, up = 0;
    long headers = 0, request = 0;
    curl_easy_getinfo(easy, CURLINFO_SIZE_DOWNLOAD_T, &down);
    curl_easy_getinfo(easy, CURLINFO_SIZE_UPLOAD_T, &up);
    curl_easy_getinfo(easy, CURLINFO_HEADER_SIZE, &headers);
    curl_easy_getinfo(easy, CURLINFO_REQUEST_SIZE, &request);
    return down + up + headers + request;
}

// Drives a transfer until it ends, `abort` is raised (the waiting poll is
// woken for it) or no byte has moved for `stall`. The connection's own
// time-out is the transfer library's.
CURLcode RunTransfer(CURLM* multi, CURL* easy, const std::atomic<bool>& abort, std::chrono::milliseconds stall) {
    using Clock = std::chrono::steady_clock;
    constexpr std::chrono::milliseconds kLongestPoll{1000};
    curl_off_t moved = 0;
    Clock::time_point lastMove = Clock::now();
    for (;;) {
        if (abort.load()) return CURLE_ABORTED_BY_CALLBACK;
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK) return CURLE_FAILED_INIT;
        if (running == 0) {
            CURLcode result = CURLE_OK;
            int queued = 0;
            while (CURLMsg* message = curl_multi_info_read(multi, &queued))
                if (message->msg == CURLMSG_DONE) result = message->data.result;
            return result;
        }
        const Clock::time_point now = Clock::now();
        if (const curl_off_t nowMoved = BytesMoved(easy); nowMoved != moved) {
            moved = nowMoved;
            lastMove = now;
        }
        const auto quiet = std::chrono::duration_cast<std::chrono::milliseconds>(now - lastMove);
        if (quiet >= stall) return CURLE_OPERATION_TIMEDOUT;
        const auto wait = std::clamp(stall - quiet, std::chrono::milliseconds(1), kLongestPoll);
        curl_multi_poll(multi, nullptr, 0, static_cast<int>(wait.count()), nullptr);
    }
}

}  // namespace

// The three handles of an exchange: the session (a multi handle, so that
// another thread can wake a waiting transfer), the connection (the easy
// handle holding host, port and agent) and the request (its header list).
struct GenericHTTPClient::Handles {
    CURLM* session = nullptr;
    CURL* connection = nullptr;
    curl_slist* requestHeaders = nullptr;
    std::string requestUrl;
    std::string verb;

    ~Handles() {
        if (requestHeaders) curl_slist_free_all(requestHeaders);
        if (connection) curl_easy_cleanup(connection);
        if (session) curl_multi_cleanup(session);
    }
};

void GenericHTTPClient::FreeBuffer::operator()(char* buffer) const { std::free(buffer); }

GenericHTTPClient::GenericHTTPClient() {
    InitCurlOnce();
    // Zeroed from the start: after every exchange all bytes past the body
    // are zero, so the buffer always reads as one terminated text.
    m_pBody.reset(static_cast<char*>(std::calloc(kBodySize + 1, 1)));
    m_pHeader.reset(static_cast<char*>(std::calloc(kHeaderSize, 1)));
    if (!m_pBody || !m_pHeader) {
        Trace("Repose : %x header :%x", static_cast<unsigned>(reinterpret_cast<uintptr_t>(m_pBody.get())),
              static_cast<unsigned>(reinterpret_cast<uintptr_t>(m_pHeader.get())));
        return;
    }
    m_pBody[0] = '\0';
    m_pHeader[0] = '\0';
}

GenericHTTPClient::~GenericHTTPClient() {
    std::lock_guard lock(m_handleMutex);
    ReleaseHandlesLocked();
}

const char* GenericHTTPClient::GetBody() const { return m_pBody ? m_pBody.get() : ""; }
const char* GenericHTTPClient::GetHeaders() const { return m_pHeader ? m_pHeader.get() : ""; }

void GenericHTTPClient::AddPostArgument(std::string_view name, std::string_view value, int type) {
    St_PostArgument argument;
    argument.name = std::string(name.substr(0, kPostNameSize - 1));
    argument.value = std::string(value.substr(0, kPostValueSize - 1));
    argument.type = type;
    m_arguments.push_back(std::move(argument));
}

bool GenericHTTPClient::ParseURL(std::string_view url, std::string& scheme, std::string& host, long& port,
                                 std::string& path) {
    scheme.clear();
    host.clear();
    path.clear();
    port = 0;

    size_t hostStart = 0;
    std::string_view schemeText = "http";
    const size_t colon = url.find(':');
    if (colon != std::string_view::npos && colon + 1 < url.size() && url[colon + 1] == '/') {
        schemeText = url.substr(0, colon);
        hostStart = std::min(colon + 3, url.size());
    }
    size_t pathStart = url.find('/', hostStart);
    if (pathStart == std::string_view::npos) pathStart = url.size();

    std::string_view hostText = url.substr(hostStart, pathStart - hostStart);
    const size_t portColon = hostText.find(':');
    long portValue;
    if (portColon != std::string_view::npos) {
        portValue = ReadDecimal(hostText.substr(portColon + 1));
        hostText = hostText.substr(0, portColon);
    } else {
        portValue = schemeText == "https" ? 443 : 80;
    }
    const std::string_view pathText = url.substr(pathStart);
    if (schemeText.size() >= kUrlPartSize || hostText.size() >= kUrlPartSize || pathText.size() >= kUrlPartSize)
        return false;
    scheme = schemeText;
    host = hostText;
    path = pathText;
    port = portValue;
    return true;
}

int GenericHTTPClient::RequestOfURI(const std::string& url, int method, const std::string& agent) {
    std::string scheme, host, path;
    long port = 0;
    const bool parsed = ParseURL(url, scheme, host, port, path);
    m_strScheme = scheme;

    if (!parsed || !Connect(host, agent, port, nullptr, nullptr)) {
        Trace("Connect Failed.");
        return 0;
    }

    int sent = 0;
    try {
        if (method == kHttpPostForm)
            sent = RequestPostForm(path);
        else if (method == kHttpPostMultipart)
            sent = RequestPostMultipart(path);
        else
            sent = RequestGet(path);
    } catch (const std::exception& e) {
        const std::string message = std::string(e.what()).substr(0, kMaxExceptionText);
        Trace("RequestOfURI exception %s", message.c_str());
        sent = -1;  // the read decides
    }

    if (sent == 0) {
        Trace("ParseURL===URL:%s\r\n Protocol:%s\r\n Addr:%s\r\n URI:%s", url.c_str(), scheme.c_str(), host.c_str(),
              path.c_str());
        Trace("RequestOfURI Failed.");
        std::lock_guard lock(m_handleMutex);
        ReleaseHandlesLocked();
        return 0;
    }

    size_t count = 0;
    int result = 1;
    if (!m_pBody || !m_pHeader || !ReadResponse(m_pHeader.get(), kHeaderSize, m_pBody.get(), kBodySize, count)) {
        Trace("Response Failed.");
        result = 0;
    }
    std::lock_guard lock(m_handleMutex);
    ReleaseHandlesLocked();
    return result;
}

void GenericHTTPClient::SetTimeLimits(std::chrono::milliseconds connect, std::chrono::milliseconds stall) {
    m_connectLimit = std::max(connect, std::chrono::milliseconds(1));
    m_stallLimit = std::max(stall, std::chrono::milliseconds(1));
}

int GenericHTTPClient::Connect(const std::string& host, const std::string& agent, long port, const char* user,
                               const char* password) {
    // A closed client opens nothing again. A close that comes after this
    // check still stops the exchange before its request goes out.
    if (m_bAbort.load()) {
        SetLastError(kErrClosed);
        Trace("Connect1 : last err:%d", static_cast<int>(GetLastError()));
        return 0;
    }
    auto handles = std::make_unique<Handles>();
    handles->session = curl_multi_init();
    if (!handles->session) {
        SetLastError(CURLE_FAILED_INIT);
        Trace("Connect1 : last err:%d", static_cast<int>(GetLastError()));
        return 0;
    }
    handles->connection = curl_easy_init();
    if (!handles->connection || host.empty() || port < 0 || port > 65535) {
        SetLastError(handles->connection ? CURLE_URL_MALFORMAT : CURLE_FAILED_INIT);
        handles.reset();
        Trace("Connect2 : last err:%d", static_cast<int>(GetLastError()));
        return 0;
    }
    if (port == 0) port = m_strScheme == "https" ? 443 : 80;  // the default port of the service
    CURL* easy = handles->connection;
    curl_easy_setopt(easy, CURLOPT_USERAGENT, agent.c_str());
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    if (user) curl_easy_setopt(easy, CURLOPT_USERNAME, user);
    if (password) curl_easy_setopt(easy, CURLOPT_PASSWORD, password);

    // Whether the machine may go on the network at all.
    const auto online = tonvik::platform::NetworkStateOverride();
    if (online.has_value() && !*online) {
        SetLastError(kErrNotConnected);
        handles.reset();
        Trace("Connect3 : last err:%d", static_cast<int>(GetLastError()));
        return 0;
    }

    const std::string scheme = m_strScheme == "https" ? "https" : "http";
    handles->requestUrl = scheme + "://" + host + ":" + std::to_string(port);
    std::lock_guard lock(m_handleMutex);
    ReleaseHandlesLocked();
    m_handles = std::move(handles);
    m_bRequestOpen = false;
    return 1;
}

int GenericHTTPClient::OpenRequest(const std::string& path, const char* verb, const std::vector<std::string>& headers) {
    std::lock_guard lock(m_handleMutex);
    if (!m_handles || !m_handles->connection || m_bAbort.load()) {
        SetLastError(CURLE_FAILED_INIT);
        return -1;
    }
    m_handles->verb = verb;
    m_handles->requestUrl += path.empty() || path.front() != '/' ? "/" + WireTarget(path) : WireTarget(path);
    m_bRequestOpen = true;
    for (const std::string& header : headers) {
        curl_slist* next = curl_slist_append(m_handles->requestHeaders, header.c_str());
        if (!next) {
            SetLastError(CURLE_OUT_OF_MEMORY);
            return -2;
        }
        m_handles->requestHeaders = next;
    }
    return 1;
}

int GenericHTTPClient::RequestGet(const std::string& path) {
    const int opened = OpenRequest(path, "GET", {kAcceptHeader});
    if (opened == -1) {
        Trace("RequestGet: _hHTTPRequestIs Null,ErrCode:%d", static_cast<int>(GetLastError()));
        return 0;
    }
    if (opened == -2) {
        Trace("RequestGet: HttpAddRequestHeaders failed,ErrCode:%d", static_cast<int>(GetLastError()));
        return 0;
    }
    if (!Send("GET", nullptr)) {
        Trace("RequestGet: HttpSendRequest failed,ErrCode:%d", static_cast<int>(GetLastError()));
        return 0;
    }
    return 1;
}

std::string GenericHTTPClient::BuildFormBody() const {
    std::string body;
    for (const St_PostArgument& argument : m_arguments) {
        if (!body.empty()) body += '&';
        body += argument.name;
        body += '=';
        body += argument.value;
    }
    if (body.size() > kFormBodySize - 1) body.resize(kFormBodySize - 1);
    return body;
}

int GenericHTTPClient::RequestPostForm(const std::string& path) {
    const std::string body = BuildFormBody();
    if (OpenRequest(path, "POST", {kAcceptHeader, kFormContentType}) != 1) return 0;
    return Send("POST", &body) ? 1 : 0;
}

std::string GenericHTTPClient::BuildMultipartBody() const {
    const std::string boundary = kBoundary;
    std::string body;
    for (const St_PostArgument& argument : m_arguments) {
        body += "--" + boundary + "\r\n";
        if (argument.type == kPostArgFile) {
            body += "Content-Disposition: form-data; name=\"" + argument.name + "\"; filename=\"" + argument.value +
                    "\"\r\nContent-Type: " + LookupContentType(argument.value) + "\r\n\r\n";
            std::ifstream file(argument.value, std::ios::binary);
            char block[2048];
            while (file) {
                file.read(block, sizeof block);
                const std::streamsize got = file.gcount();
                if (got <= 0) break;
                body.append(block, static_cast<size_t>(got));
            }
            body += "\r\n";
        } else {
            body += "Content-Disposition: form-data; name=\"" + argument.name + "\"\r\n\r\n" + argument.value + "\r\n";
        }
    }
    body += "--" + boundary + "--\r";
    return body;
}

int GenericHTTPClient::RequestPostMultipart(const std::string& path) {
    const std::string body = BuildMultipartBody();
    const std::vector<std::string> headers = {
        kAcceptHeader, std::string("Content-Type: multipart/form-data; boundary=") + kBoundary,
        "Content-Length: " + std::to_string(body.size())};
    if (OpenRequest(path, "POST", headers) != 1) return 0;
    return Send("POST", &body) ? 1 : 0;
}

size_t GenericHTTPClient::OnBody(char* data, size_t size, size_t count, void* self) {
    auto* client = static_cast<GenericHTTPClient*>(self);
    const size_t bytes = size * count;
    const size_t room = kBodySize - client->m_nBodyLength;
    const size_t take = std::min(bytes, room);
    std::memcpy(client->m_pBody.get() + client->m_nBodyLength, data, take);
    client->m_nBodyLength += take;
    if (take < bytes) {
        // The buffer is full: the rest of the answer is not kept.
        client->m_bBodyFull = true;
        return 0;
    }
    return bytes;
}

size_t GenericHTTPClient::OnHeader(char* data, size_t size, size_t count, void* self) {
    auto* client = static_cast<GenericHTTPClient*>(self);
    const size_t bytes = size * count;
    if (bytes >= 5 && std::memcmp(data, "HTTP/", 5) == 0) {
        // A new response (after an interim answer or a redirection): its
        // headers replace the earlier ones.
        client->m_nHeaderLength = 0;
        client->m_bGotStatus = true;
    }
    const size_t room = kHeaderSize - 1 - client->m_nHeaderLength;
    const size_t take = std::min(bytes, room);
    std::memcpy(client->m_pHeader.get() + client->m_nHeaderLength, data, take);
    client->m_nHeaderLength += take;
    return bytes;
}

bool GenericHTTPClient::Send(const std::string& verb, const std::string* body) {
    CURLM* multi = nullptr;
    CURL* easy = nullptr;
    {
        std::lock_guard lock(m_handleMutex);
        if (!m_handles || !m_bRequestOpen || m_bAbort.load() || !m_pBody || !m_pHeader) {
            SetLastError(kErrClosed);
            return false;
        }
        multi = m_handles->session;
        easy = m_handles->connection;
        m_bTransferring = true;
    }

    // A new answer replaces the old one. Everything after a body is zero,
    // so clearing the old body clears the whole buffer.
    std::memset(m_pBody.get(), 0, std::min(m_nBodyLength + 1, kBodySize + 1));
    m_nBodyLength = 0;
    m_nHeaderLength = 0;
    m_pHeader[0] = '\0';
    m_bBodyFull = false;
    m_bGotStatus = false;
    m_bTimedOut = false;

    curl_easy_setopt(easy, CURLOPT_URL, m_handles->requestUrl.c_str());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(easy, CURLOPT_PATH_AS_IS, 1L);
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(m_connectLimit.count()));
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, m_handles->requestHeaders);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &GenericHTTPClient::OnBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &GenericHTTPClient::OnHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    if (verb == "POST" && body) {
        curl_easy_setopt(easy, CURLOPT_POST, 1L);
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body->size()));
        curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body->data());
    } else {
        curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    }

    curl_multi_add_handle(multi, easy);
    CURLcode result = RunTransfer(multi, easy, m_bAbort, m_stallLimit);
    curl_multi_remove_handle(multi, easy);
    m_bTimedOut = result == CURLE_OPERATION_TIMEDOUT;
    if (result == CURLE_WRITE_ERROR && m_bBodyFull) result = CURLE_OK;  // cut at the buffer's end

    m_pBody[m_nBodyLength] = '\0';
    m_pHeader[m_nHeaderLength] = '\0';

    std::lock_guard lock(m_handleMutex);
    m_bTransferring = false;
    if (result != CURLE_OK) SetLastError(static_cast<uint32_t>(result));
    if (m_bAbort.load()) {
        // Closed from another thread while the transfer ran.
        SetLastError(kErrClosed);
        ReleaseHandlesLocked();
        return false;
    }
    return m_bGotStatus;
}

int GenericHTTPClient::ReadResponse(char* headers, size_t headerSize, char* body, size_t bodySize, size_t& count) {
    count = 0;
    {
        std::lock_guard lock(m_handleMutex);
        if (!m_handles || !m_bRequestOpen || m_bAbort.load()) {
            SetLastError(kErrClosed);
            return 0;
        }
    }
    if (!body || bodySize == 0 || !headers || headerSize == 0) return 0;
    count = std::min(m_nBodyLength, bodySize);
    if (body != m_pBody.get()) {
        std::memcpy(body, m_pBody.get(), count);
        body[std::min(count, bodySize - 1)] = '\0';
    }
    if (headers != m_pHeader.get()) {
        const size_t headerBytes = std::min(m_nHeaderLength, headerSize - 1);
        std::memcpy(headers, m_pHeader.get(), headerBytes);
        headers[headerBytes] = '\0';
    }
    if (!m_bGotStatus) return 0;
    if (m_bTimedOut) {
        // The answer stalled part way: what came is not the answer.
        SetLastError(kErrTimedOut);
        return 0;
    }
    return count > 0 ? 1 : 0;
}

int GenericHTTPClient::CloseHandles() {
    std::lock_guard lock(m_handleMutex);
    m_bAbort.store(true);
    m_bRequestOpen = false;
    if (!m_handles) return 1;
    if (m_bTransferring) {
        // The transfer's thread frees them when it wakes.
        if (m_handles->session) curl_multi_wakeup(m_handles->session);
        return 1;
    }
    ReleaseHandlesLocked();
    return 1;
}

void GenericHTTPClient::ReleaseHandlesLocked() {
    if (m_bTransferring) return;
    m_handles.reset();
    m_bRequestOpen = false;
}

std::string GenericHTTPClient::LookupContentType(std::string_view path) {
    static const std::string kDefault = "application/octet-stream";
    const size_t dot = path.rfind('.');
    if (dot == std::string_view::npos) return kDefault;
    const std::string extension(path.substr(dot));
    if (extension.size() < 2 || extension.find('/') != std::string::npos) return kDefault;
    static const QMimeDatabase database;
    const auto types = database.mimeTypesForFileName(QString::fromUtf8("file" + extension));
    if (types.isEmpty()) return kDefault;
    const std::string name = types.front().name().toStdString();
    return name.size() < 2048 ? name : kDefault;
}
