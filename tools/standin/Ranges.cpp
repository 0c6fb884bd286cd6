#include "tools/standin/Ranges.h"

#include "tools/standin/TextUtil.h"

#include <cstdlib>

namespace standin {
namespace {

bool ParseNumber(const std::string& text, size_t& out) {
    if (!IsDecimalId(text)) return false;
    out = std::strtoull(text.c_str(), nullptr, 10);
    return true;
}

}  // namespace

void ApplyRange(const St_HttpRequest& request, St_HttpReply& reply) {
    if (reply.status != 200 || !reply.body) return;
    reply.headers.emplace_back("Accept-Ranges", "bytes");
    const std::string header = Trim(request.Header("Range"));
    if (header.rfind("bytes=", 0) != 0) return;
    const std::string rangeSet = Trim(std::string_view(header).substr(6));
    if (rangeSet.find(',') != std::string::npos) return;
    const size_t dash = rangeSet.find('-');
    if (dash == std::string::npos) return;
    const std::string firstText = Trim(std::string_view(rangeSet).substr(0, dash));
    const std::string lastText = Trim(std::string_view(rangeSet).substr(dash + 1));
    const size_t total = reply.length;
    size_t first = 0;
    size_t last = 0;
    if (firstText.empty()) {
        size_t suffix = 0;
        if (!ParseNumber(lastText, suffix) || suffix == 0) return;
        first = suffix >= total ? 0 : total - suffix;
        last = total == 0 ? 0 : total - 1;
    } else {
        if (!ParseNumber(firstText, first)) return;
        if (lastText.empty()) {
            last = total == 0 ? 0 : total - 1;
        } else if (!ParseNumber(lastText, last) || last < first) {
            return;
        }
        if (last >= total) last = total == 0 ? 0 : total - 1;
    }
    if (first >= total) {
        reply.status = 416;
        reply.headers.emplace_back("Content-Range", "bytes */" + std::to_string(total));
        reply.offset = 0;
        reply.length = 0;
        return;
    }
    reply.status = 206;
    reply.headers.emplace_back("Content-Range",
                               "bytes " + std::to_string(first) + "-" + std::to_string(last) + "/" + std::to_string(total));
    reply.offset += first;
    reply.length = last - first + 1;
}

}  // namespace standin
