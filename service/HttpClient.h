#pragma once
// One HTTP exchange at a time: split the address, open the transfer, send a
// GET or one of two kinds of POST, read the whole answer body into a buffer
// of the client's own, capture the raw response headers, close everything
// again. No connection is kept between exchanges.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

// The agent text every service request is sent with.
inline constexpr const char* kServiceAgent = "VADUVU(0.9/;p)";

// Exchange kinds of RequestOfURI; any other value is a GET.
enum HttpMethod { kHttpGet = 1, kHttpPostForm = 2, kHttpPostMultipart = 3 };

// Kinds of post argument.
enum PostArgumentType { kPostArgText = 1, kPostArgFile = 2 };

struct St_PostArgument {
    std::string name;   // form field name, at most 255 bytes
    std::string value;  // the text, or the path of the file; at most 2047 bytes
    int type = kPostArgText;
};

class GenericHTTPClient {
public:
    static constexpr size_t kBodySize = 1048576;      // the longest answer body kept
    static constexpr size_t kHeaderSize = 100000;     // header buffer, terminator included
    static constexpr size_t kUrlPartSize = 2048;      // scheme, host and path, terminator included
    static constexpr size_t kPostNameSize = 256;      // terminator included
    static constexpr size_t kPostValueSize = 2048;    // terminator included
    static constexpr size_t kFormBodySize = 2048;     // terminator included
    static constexpr const char* kBoundary = "--MULTI-PARTS-FORM-DATA-BOUNDARY";
    // Last-error value of a connection refused by the network state.
    static constexpr uint32_t kErrNotConnected = 12029;
    // Last-error value of an exchange that ran out of time.
    static constexpr uint32_t kErrTimedOut = 28;
    // Last-error value of an exchange ended or refused by CloseHandles.
    static constexpr uint32_t kErrClosed = 42;
    // How long opening the connection (name look-up included) may take, and
    // how long an exchange may go on without a byte moving either way. Either
    // ends the exchange as a failure.
    static constexpr std::chrono::milliseconds kConnectTimeout{10000};
    static constexpr std::chrono::milliseconds kStallLimit{30000};

    GenericHTTPClient();
    virtual ~GenericHTTPClient();
    GenericHTTPClient(const GenericHTTPClient&) = delete;
    GenericHTTPClient& operator=(const GenericHTTPClient&) = delete;

    // One complete exchange; 1 on success, 0 on failure. Always ends with
    // every handle closed.
    int RequestOfURI(const std::string& url, int method, const std::string& agent);

    // Other limits than kConnectTimeout and kStallLimit for this client's
    // later exchanges. Not while an exchange runs.
    void SetTimeLimits(std::chrono::milliseconds connect, std::chrono::milliseconds stall);

    // Splits an address. False when a part does not fit its 2047 bytes
    // (the parts are then left empty).
    static bool ParseURL(std::string_view url, std::string& scheme, std::string& host, long& port,
                         std::string& path);

    // The internal steps of an exchange, in order. User and password are
    // always null in this program.
    int Connect(const std::string& host, const std::string& agent, long port, const char* user = nullptr,
                const char* password = nullptr);
    int RequestGet(const std::string& path);
    int RequestPostForm(const std::string& path);
    int RequestPostMultipart(const std::string& path);
    // Delivers the answer of the request just sent into the given buffers
    // (the body zero-terminated within bodySize + 1 bytes, the headers within
    // headerSize bytes); 1 when at least one body byte came.
    int ReadResponse(char* headers, size_t headerSize, char* body, size_t bodySize, size_t& count);

    // Closes the client for good: the exchange under way fails at once, and
    // every later exchange fails without a byte being sent, however the
    // close falls among them (before the first, between two). May be called
    // from any thread; new work takes a new client. Always 1.
    int CloseHandles();

    // The body of the last exchange, zero-terminated; valid until the next
    // exchange or destruction. Never null: a client whose buffers could not
    // be allocated gives an empty text.
    const char* GetBody() const;
    size_t GetBodyLength() const { return m_nBodyLength; }
    // The raw response headers of the last exchange, zero-terminated.
    const char* GetHeaders() const;

    // The MIME type of a file, by its extension; "application/octet-stream"
    // when unknown.
    static std::string LookupContentType(std::string_view path);

    // Adds a form argument (cut to the field limits).
    void AddPostArgument(std::string_view name, std::string_view value, int type);
    const std::vector<St_PostArgument>& PostArguments() const { return m_arguments; }

    uint32_t GetLastError() const { return m_dwLastError.load(); }

    // The POST bodies as they are sent.
    std::string BuildFormBody() const;
    std::string BuildMultipartBody() const;

private:
    struct Handles;
    int OpenRequest(const std::string& path, const char* verb, const std::vector<std::string>& headers);
    // Runs the transfer; true when a response (status line) arrived in time.
    bool Send(const std::string& verb, const std::string* body);
    void ReleaseHandlesLocked();
    void SetLastError(uint32_t error) { m_dwLastError.store(error); }

    static size_t OnBody(char* data, size_t size, size_t count, void* self);
    static size_t OnHeader(char* data, size_t size, size_t count, void* self);

    std::vector<St_PostArgument> m_arguments;
    struct FreeBuffer {
        void operator()(char* buffer) const;
    };
    std::unique_ptr<char[], FreeBuffer> m_pBody;    // kBodySize + 1 bytes, zeroed
    std::unique_ptr<char[], FreeBuffer> m_pHeader;  // kHeaderSize bytes, zeroed
    size_t m_nBodyLength = 0;
    size_t m_nHeaderLength = 0;
    bool m_bBodyFull = false;
    bool m_bGotStatus = false;

    // Exchange state. The handles are touched by the exchange's thread and
    // by CloseHandles from any thread, always under m_handleMutex; while a
    // transfer runs they are only flagged for closing and freed when it ends.
    std::mutex m_handleMutex;
    std::unique_ptr<Handles> m_handles;
    bool m_bTransferring = false;
    bool m_bRequestOpen = false;
    std::atomic<bool> m_bAbort{false};  // set by CloseHandles, never cleared

    std::string m_strScheme;
    std::atomic<uint32_t> m_dwLastError{0};
    std::chrono::milliseconds m_connectLimit = kConnectTimeout;
    std::chrono::milliseconds m_stallLimit = kStallLimit;
    bool m_bTimedOut = false;  // the last transfer ran out of time
};
