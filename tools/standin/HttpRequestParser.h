#pragma once
// Reads one HTTP/1.x request head (and skips a request body) from the bytes
// received so far on a connection.

#include "tools/standin/HttpMessage.h"

#include <string_view>

namespace standin {

enum class ParseResult {
    NeedMore,  // the head (or the announced body) is not complete yet
    Done,      // `out` holds the request; `consumed` bytes belong to it
    Bad,       // not an HTTP request: answer 400 and close
    TooLarge,  // head or body beyond the limits: answer 431 / 413 and close
};

class CHttpRequestParser {
public:
    static constexpr size_t kMaxHead = 64 * 1024;
    static constexpr size_t kMaxBody = 1024 * 1024;

    static ParseResult Parse(std::string_view buffer, St_HttpRequest& out, size_t& consumed);
};

}  // namespace standin
