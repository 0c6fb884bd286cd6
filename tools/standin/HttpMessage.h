#pragma once
// The request and reply records of the stand-in's small HTTP server.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace standin {

using HeaderList = std::vector<std::pair<std::string, std::string>>;

struct St_HttpRequest {
    std::string method;   // "GET", "HEAD", ...
    std::string target;   // path with query, as sent
    std::string path;     // target up to the "?"
    std::string query;    // text after the "?", still encoded
    std::string version;  // "HTTP/1.0" or "HTTP/1.1"
    HeaderList headers;   // in the order received

    // The first header of that name (case-insensitive), or "".
    std::string Header(std::string_view name) const;
    bool WantsKeepAlive() const;
};

// How the reply goes out on the connection.
enum class Delivery {
    Normal,           // head with Content-Length, then the body
    Hang,             // held back until released (or the server stops); with `cutAt`, the head
                      // and `cutAt` body bytes go out first and only the rest is held back
    CutShort,         // full Content-Length announced, `cutAt` body bytes sent, then closed
    NoContentLength,  // no Content-Length; the end of the body is the end of the connection
    Drop,             // the connection is closed without a byte of answer; with `cutAt`, the
                      // head and `cutAt` body bytes go out first and the connection is reset
};

struct St_HttpReply {
    int status = 200;
    std::string contentType;
    HeaderList headers;  // extra headers
    // The body is shared so that large files are never copied per request;
    // the bytes sent are body[offset, offset + length).
    std::shared_ptr<const std::string> body;
    size_t offset = 0;
    size_t length = 0;

    Delivery delivery = Delivery::Normal;
    int delayMs = 0;    // wait this long before answering
    size_t cutAt = 0;   // CutShort: body bytes sent; Hang, Drop: body bytes sent first
    bool close = false; // close the connection after this reply
    bool headSent = false;  // the head (and the body before `offset`) went out already

    void SetBody(std::string bytes, std::string type);
    void SetSharedBody(std::shared_ptr<const std::string> bytes, std::string type);
    std::string_view BodyView() const;
};

const char* ReasonPhrase(int status);

}  // namespace standin
