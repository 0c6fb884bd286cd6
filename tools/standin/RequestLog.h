#pragma once
// What clients asked the stand-in: every request (control requests aside)
// and every play report. Thread-safe; tests wait on it with a time limit.

#include "tools/standin/HttpMessage.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

namespace standin {

struct St_LoggedRequest {
    std::string method;
    std::string target;     // path with query, as sent
    std::string path;
    std::string query;
    std::string version;    // "HTTP/1.0", "HTTP/1.1"
    std::string userAgent;
    std::string accept;
    std::string range;
    HeaderList headers;
};

struct St_PlayReport {
    std::string id;
    std::string encodedName;  // the "name" parameter as sent
    std::string name;         // decoded, UTF-8
    std::string target;
};

class CRequestLog {
public:
    void Add(const St_HttpRequest& request);
    void AddPlayReport(St_PlayReport report);
    void Clear();

    std::vector<St_LoggedRequest> Requests() const;
    std::vector<St_LoggedRequest> RequestsFor(const std::string& path) const;
    std::vector<St_PlayReport> PlayReports() const;

    // Wait until at least `count` requests (to `path`, or to any path when
    // it is empty) were logged; false on time-out.
    bool WaitForRequests(size_t count, std::chrono::milliseconds timeout, const std::string& path = {}) const;
    bool WaitForPlayReports(size_t count, std::chrono::milliseconds timeout) const;

private:
    size_t CountLocked(const std::string& path) const;

    mutable std::mutex m_lock;
    mutable std::condition_variable m_changed;
    std::vector<St_LoggedRequest> m_requests;
    std::vector<St_PlayReport> m_playReports;
};

}  // namespace standin
