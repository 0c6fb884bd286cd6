#include "tools/standin/RequestLog.h"

namespace standin {

void CRequestLog::Add(const St_HttpRequest& request) {
    St_LoggedRequest entry;
    entry.method = request.method;
    entry.target = request.target;
    entry.path = request.path;
    entry.query = request.query;
    entry.version = request.version;
    entry.userAgent = request.Header("User-Agent");
    entry.accept = request.Header("Accept");
    entry.range = request.Header("Range");
    entry.headers = request.headers;
    {
        std::lock_guard lock(m_lock);
        m_requests.push_back(std::move(entry));
    }
    m_changed.notify_all();
}

void CRequestLog::AddPlayReport(St_PlayReport report) {
    {
        std::lock_guard lock(m_lock);
        m_playReports.push_back(std::move(report));
    }
    m_changed.notify_all();
}

void CRequestLog::Clear() {
    std::lock_guard lock(m_lock);
    m_requests.clear();
    m_playReports.clear();
}

std::vector<St_LoggedRequest> CRequestLog::Requests() const {
    std::lock_guard lock(m_lock);
    return m_requests;
}

std::vector<St_LoggedRequest> CRequestLog::RequestsFor(const std::string& path) const {
    std::lock_guard lock(m_lock);
    std::vector<St_LoggedRequest> matching;
    for (const auto& entry : m_requests) {
        if (entry.path == path) matching.push_back(entry);
    }
    return matching;
}

std::vector<St_PlayReport> CRequestLog::PlayReports() const {
    std::lock_guard lock(m_lock);
    return m_playReports;
}

size_t CRequestLog::CountLocked(const std::string& path) const {
    if (path.empty()) return m_requests.size();
    size_t count = 0;
    for (const auto& entry : m_requests) count += entry.path == path ? 1 : 0;
    return count;
}

bool CRequestLog::WaitForRequests(size_t count, std::chrono::milliseconds timeout, const std::string& path) const {
    std::unique_lock lock(m_lock);
    return m_changed.wait_for(lock, timeout, [&] { return CountLocked(path) >= count; });
}

bool CRequestLog::WaitForPlayReports(size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_lock);
    return m_changed.wait_for(lock, timeout, [&] { return m_playReports.size() >= count; });
}

}  // namespace standin
