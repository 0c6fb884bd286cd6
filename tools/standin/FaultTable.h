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
    // The update host's faults, on the paths they name:
    BadSignature,     // a manifest's ".sig": a well-formed signature that does not match
    NoSignature,      // a manifest's ".sig": none published (404)
    TamperedPackage,  // a package: one byte changed, so it differs from its digests (length kept)
    OlderVersion,     // a manifest: an older main version, signed as served
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
// "nolength", "drop", "badsig", "nosig", "tampered", "older".
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
    // The fault of `path` without counting it (what a manifest's signature
    // is made over).
    std::optional<St_Fault> Peek(const std::string& path);

    // The main version an OlderVersion manifest carries.
    static constexpr const char* kOlderMainVersion = "0.90.0000";

    // Changes the content the way the fault says (before any byte range is
    // taken of it): OlderVersion and TamperedPackage.
    static void ApplyToContent(const St_Fault& fault, St_HttpReply& reply);
    // Changes the reply the way the fault says.
    static void Apply(const St_Fault& fault, St_HttpReply& reply);

private:
    std::mutex m_lock;
    std::map<std::string, std::deque<St_Fault>> m_faults;
};

}  // namespace standin
