#include "tools/standin/FaultTable.h"

#include "tools/standin/TextUtil.h"

namespace standin {
namespace {

struct KindName {
    FaultKind kind;
    const char* name;
};

constexpr KindName kNames[] = {
    {FaultKind::None, "none"},         {FaultKind::Hang, "hang"},         {FaultKind::CutShort, "cut"},
    {FaultKind::MalformedXml, "malformed"}, {FaultKind::HtmlError200, "html200"}, {FaultKind::HtmlError404, "html404"},
    {FaultKind::EmptyBody, "empty"},   {FaultKind::Oversize, "oversize"}, {FaultKind::NoContentLength, "nolength"},
    {FaultKind::Drop, "drop"},         {FaultKind::BadSignature, "badsig"}, {FaultKind::NoSignature, "nosig"},
    {FaultKind::TamperedPackage, "tampered"}, {FaultKind::OlderVersion, "older"},
};

std::string ErrorPage(int status) {
    const std::string title = status == 404 ? "404 Not Found" : "Service Error";
    return ToGbk("<html><head><title>" + title + "</title></head><body><h1>" + title +
                 "</h1><p>服务器暂时无法处理您的请求，请稍后再试。</p></body></html>\r\n");
}

}  // namespace

const char* FaultKindName(FaultKind kind) {
    for (const auto& entry : kNames) {
        if (entry.kind == kind) return entry.name;
    }
    return "none";
}

std::optional<FaultKind> FaultKindFromName(const std::string& name) {
    for (const auto& entry : kNames) {
        if (name == entry.name) return entry.kind;
    }
    return std::nullopt;
}

void CFaultTable::Set(const std::string& path, const St_Fault& fault) {
    std::lock_guard lock(m_lock);
    m_faults.erase(path);
    if (fault.count != 0) m_faults[path].push_back(fault);
}

void CFaultTable::Add(const std::string& path, const St_Fault& fault) {
    std::lock_guard lock(m_lock);
    if (fault.count != 0) m_faults[path].push_back(fault);
}

void CFaultTable::Clear(const std::string& path) {
    std::lock_guard lock(m_lock);
    m_faults.erase(path);
}

void CFaultTable::ClearAll() {
    std::lock_guard lock(m_lock);
    m_faults.clear();
}

std::optional<St_Fault> CFaultTable::Take(const std::string& path) {
    std::lock_guard lock(m_lock);
    auto it = m_faults.find(path);
    if (it == m_faults.end() || it->second.empty()) return std::nullopt;
    std::deque<St_Fault>& queue = it->second;
    const St_Fault fault = queue.front();
    if (queue.front().count > 0 && --queue.front().count == 0) queue.pop_front();
    if (queue.empty()) m_faults.erase(it);
    return fault;
}

std::optional<St_Fault> CFaultTable::Peek(const std::string& path) {
    std::lock_guard lock(m_lock);
    auto it = m_faults.find(path);
    if (it == m_faults.end() || it->second.empty()) return std::nullopt;
    return it->second.front();
}

void CFaultTable::ApplyToContent(const St_Fault& fault, St_HttpReply& reply) {
    if (reply.status != 200 || !reply.body) return;
    if (fault.kind == FaultKind::TamperedPackage && reply.length > 0) {
        std::string bytes(reply.BodyView());
        bytes[bytes.size() / 2] = static_cast<char>(bytes[bytes.size() / 2] ^ 0x01);
        reply.SetBody(std::move(bytes), reply.contentType);
    } else if (fault.kind == FaultKind::OlderVersion) {
        std::string bytes(reply.BodyView());
        const size_t open = bytes.find("<main_ver>");
        const size_t close = bytes.find("</main_ver>");
        if (open == std::string::npos || close == std::string::npos || close < open) return;
        const size_t from = open + std::string_view("<main_ver>").size();
        bytes.replace(from, close - from, kOlderMainVersion);
        reply.SetBody(std::move(bytes), reply.contentType);
    }
}

void CFaultTable::Apply(const St_Fault& fault, St_HttpReply& reply) {
    reply.delayMs = std::max(0, fault.delayMs);
    switch (fault.kind) {
    case FaultKind::None: break;
    case FaultKind::Hang:
        reply.delivery = Delivery::Hang;
        reply.cutAt = fault.cutAt;
        break;
    case FaultKind::CutShort:
        reply.delivery = Delivery::CutShort;
        reply.cutAt = fault.cutAt > 0 ? fault.cutAt : reply.length / 2;
        break;
    case FaultKind::MalformedXml:
        reply.status = 200;
        reply.headers.clear();
        reply.SetBody(ToGbk("<?xml version=\"1.0\" encoding=\"GBK\"?>\r\n<Result>\r\n  <song>\r\n    <id>20001</id>\r\n"
                            "    <name>雾港晨钟</name>\r\n    <album_name>潮汐"),
                      "text/xml; charset=GBK");
        break;
    case FaultKind::HtmlError200:
    case FaultKind::HtmlError404: {
        const int status = fault.kind == FaultKind::HtmlError404 ? 404 : 200;
        reply.status = status;
        reply.headers.clear();
        reply.SetBody(ErrorPage(status), "text/html; charset=GBK");
        break;
    }
    case FaultKind::EmptyBody:
        reply.status = 200;
        reply.headers.clear();
        reply.SetBody(std::string(), reply.contentType);
        break;
    case FaultKind::Oversize: {
        // A comment too long for a 1 MiB buffer in front of the document.
        std::string body = "<?xml version=\"1.0\" encoding=\"GBK\"?>\r\n<!--";
        body.append(kOversizeBytes - body.size() - 3 - 20, 'x');
        body += "-->\r\n<Result></Result>\r\n";
        body.resize(kOversizeBytes, ' ');
        reply.status = 200;
        reply.headers.clear();
        reply.SetBody(std::move(body), "text/xml; charset=GBK");
        break;
    }
    case FaultKind::NoContentLength: reply.delivery = Delivery::NoContentLength; break;
    case FaultKind::Drop:
        reply.delivery = Delivery::Drop;
        reply.cutAt = fault.cutAt;
        break;
    case FaultKind::BadSignature:
        // Another first character keeps the text a signature's, of other bytes.
        if (reply.status == 200 && reply.length > 0) {
            std::string text(reply.BodyView());
            text[0] = text[0] == 'A' ? 'B' : 'A';
            reply.SetBody(std::move(text), reply.contentType);
        }
        break;
    case FaultKind::NoSignature:
        reply.status = 404;
        reply.headers.clear();
        reply.SetBody(ErrorPage(404), "text/html; charset=GBK");
        break;
    case FaultKind::TamperedPackage:
    case FaultKind::OlderVersion: break;  // ApplyToContent
    }
}

}  // namespace standin
