#include "tools/standin/HttpRequestParser.h"

#include "tools/standin/TextUtil.h"

#include <cstdlib>

namespace standin {
namespace {

bool ParseRequestLine(std::string_view line, St_HttpRequest& out) {
    const size_t first = line.find(' ');
    if (first == std::string_view::npos || first == 0) return false;
    const size_t last = line.rfind(' ');
    if (last == first) return false;
    out.method = std::string(line.substr(0, first));
    out.target = Trim(line.substr(first + 1, last - first - 1));
    out.version = std::string(line.substr(last + 1));
    if (out.target.empty() || out.version.rfind("HTTP/1.", 0) != 0) return false;
    for (char c : out.method) {
        if (c < 'A' || c > 'Z') return false;
    }
    // An absolute form ("http://host/path") is reduced to its path.
    if (out.target.rfind("http://", 0) == 0) {
        const size_t slash = out.target.find('/', 7);
        out.target = slash == std::string::npos ? "/" : out.target.substr(slash);
    }
    const size_t question = out.target.find('?');
    out.path = out.target.substr(0, question);
    out.query = question == std::string::npos ? std::string() : out.target.substr(question + 1);
    return !out.path.empty() && out.path[0] == '/';
}

}  // namespace

ParseResult CHttpRequestParser::Parse(std::string_view buffer, St_HttpRequest& out, size_t& consumed) {
    // Blank lines before a request are tolerated.
    size_t start = 0;
    while (start < buffer.size() && (buffer[start] == '\r' || buffer[start] == '\n')) ++start;
    size_t headEnd = buffer.find("\r\n\r\n", start);
    size_t separator = 4;
    const size_t bareEnd = buffer.find("\n\n", start);
    if (bareEnd != std::string_view::npos && (headEnd == std::string_view::npos || bareEnd < headEnd)) {
        headEnd = bareEnd;
        separator = 2;
    }
    if (headEnd == std::string_view::npos) {
        return buffer.size() - start > kMaxHead ? ParseResult::TooLarge : ParseResult::NeedMore;
    }
    if (headEnd - start > kMaxHead) return ParseResult::TooLarge;

    out = St_HttpRequest();
    const std::string_view head = buffer.substr(start, headEnd - start);
    bool firstLine = true;
    for (std::string line : Split(head, '\n')) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (firstLine) {
            if (!ParseRequestLine(line, out)) return ParseResult::Bad;
            firstLine = false;
            continue;
        }
        const size_t colon = line.find(':');
        if (colon == std::string::npos || colon == 0) return ParseResult::Bad;
        out.headers.emplace_back(line.substr(0, colon), Trim(std::string_view(line).substr(colon + 1)));
    }
    if (firstLine) return ParseResult::Bad;

    if (!out.Header("Transfer-Encoding").empty()) return ParseResult::Bad;
    size_t bodyLength = 0;
    const std::string lengthText = out.Header("Content-Length");
    if (!lengthText.empty()) {
        if (!IsDecimalId(lengthText)) return ParseResult::Bad;
        bodyLength = std::strtoull(lengthText.c_str(), nullptr, 10);
        if (bodyLength > kMaxBody) return ParseResult::TooLarge;
    }
    const size_t total = headEnd + separator + bodyLength;
    if (buffer.size() < total) return ParseResult::NeedMore;
    consumed = total;
    return ParseResult::Done;
}

}  // namespace standin
