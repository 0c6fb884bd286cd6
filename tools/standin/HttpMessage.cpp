#include "tools/standin/HttpMessage.h"

#include "tools/standin/TextUtil.h"

namespace standin {

std::string St_HttpRequest::Header(std::string_view name) const {
    for (const auto& [key, value] : headers) {
        if (EqualsNoCase(key, name)) return value;
    }
    return {};
}

bool St_HttpRequest::WantsKeepAlive() const {
    const std::string connection = Header("Connection");
    if (version == "HTTP/1.1") return !ContainsNoCase(connection, "close");
    return ContainsNoCase(connection, "keep-alive");
}

void St_HttpReply::SetBody(std::string bytes, std::string type) {
    SetSharedBody(std::make_shared<const std::string>(std::move(bytes)), std::move(type));
}

void St_HttpReply::SetSharedBody(std::shared_ptr<const std::string> bytes, std::string type) {
    body = std::move(bytes);
    offset = 0;
    length = body ? body->size() : 0;
    contentType = std::move(type);
}

std::string_view St_HttpReply::BodyView() const {
    if (!body) return {};
    return std::string_view(*body).substr(offset, length);
}

const char* ReasonPhrase(int status) {
    switch (status) {
    case 200: return "OK";
    case 206: return "Partial Content";
    case 302: return "Found";
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 413: return "Payload Too Large";
    case 416: return "Range Not Satisfiable";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 501: return "Not Implemented";
    default: return "Unknown";
    }
}

}  // namespace standin
