#pragma once
// Misbehaviour chosen per request path, for tests of the failure paths.
// Thread-safe.

#include "tools/standin/HttpMessage.h"

#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace standin {

enum class FaultKind {
    None,             // only the delay, if any
    Hang,             // hold the answer until released (or the stand-in stops); with `cutAt`,
                      // send the head and `cutAt` body bytes, then hold the rest (a stall)
    CutShort,         // announce the full length, send `cutAt` bytes (0: half), close
    MalformedXml,     // a GBK XML document that breaks off inside an element
    HtmlError200,     // an HTML error page with status 200
    HtmlError404,     // an HTML error page with status 404
    EmptyBody,        // status 200 with 0 bytes
    Oversize,         // more than 1 MiB (1 MiB + 64 KiB)
    NoContentLength,  // the answer without Content-Length, ended by closing
    Drop,             // close the connection without answering; with `cutAt`, send the
                      // head and `cutAt` body bytes, then reset the connection
};

struct St_Fault {
    FaultKind kind = FaultKind::None;
    int delayMs = 0;   // wait before answering (with any kind)
    size_t cutAt = 0;  // CutShort: body bytes sent; Hang, Drop: body bytes sent before
    int count = -1;    // requests it applies to; -1 until cleared
};

// A fault without designated initializers (which some compilers warn about
// when members are left out).
inline St_Fault MakeFault(FaultKind kind, int delayMs = 0, size_t cutAt = 0, int count = -1) {
    St_Fault fault;
    fault.kind = kind;
    fault.delayMs = delayMs;
    fault.cutAt = cutAt;
    fault.count = count;
    return fault;
}

// Names for the control request and the command line: "none", "hang",
// "cut", "malformed", "html200", "html404", "empty", "oversize",
// "nolength", "drop".
const char* FaultKindName(FaultKind kind);
std::optional<FaultKind> FaultKindFromName(const std::string& name);

class CFaultTable {
public:
    static constexpr size_t kOversizeBytes = 1024 * 1024 + 64 * 1024;

    // Replaces the faults of `path` with this one.
    void Set(const std::string& path, const St_Fault& fault);
    // Queues a fault behind those of `path`: it applies once theirs have
    // run out (a fault without a count never runs out).
    void Add(const std::string& path, const St_Fault& fault);
    void Clear(const std::string& path);
    void ClearAll();
    // The fault for one request to `path`, counting it down.
    std::optional<St_Fault> Take(const std::string& path);

    // Changes the reply the way the fault says.
    static void Apply(const St_Fault& fault, St_HttpReply& reply);

private:
    std::mutex m_lock;
    std::map<std::string, std::deque<St_Fault>> m_faults;
};

}  // namespace standin
