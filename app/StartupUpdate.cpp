#include "app/StartupUpdate.h"

#include "albums/ServiceWorker.h"
#include "app/PatchwellBinding.h"
#include "common/Trace.h"
#include "platform/Shell.h"
#include "service/ServiceHosts.h"

#include <charconv>
#include <memory>

namespace {

// What the worker hands back; the start reads it only once the worker has
// ended within the bound.
struct St_CheckAnswer {
    int status = 0;
    UpdateCheckResult result;
};

}  // namespace

CStartupUpdate::CStartupUpdate()
    : CStartupUpdate([](UpdateCheckResult& result,
                        GenericHTTPClient& client) { return CCheckXml().CheckUpdate(result, client); },
                     CheckPatchwell) {}

CStartupUpdate::CStartupUpdate(Request request, UpdateLibrary library, std::chrono::milliseconds bound)
    : m_request(std::move(request)), m_library(std::move(library)), m_bound(bound) {}

CStartupUpdate::Outcome CStartupUpdate::Run() {
    auto answer = std::make_shared<St_CheckAnswer>();
    // Nobody listens for the worker's done message: the start waits for it.
    CServiceWorker worker(CMessageHandle{}, WM_PANEL_ALBUMDONE, "ThreadCheckUpdate");
    const bool started = worker.Start([request = m_request, answer](GenericHTTPClient& client) {
        answer->status = request(answer->result, client);
    }) != 0;
    if (!started) {
        Trace("CheckUpdate===No worker for the update check.");
        return Outcome::Failed;
    }
    if (!worker.WaitIdle(m_bound)) {
        // The exchange is closed and the worker abandoned with its answer.
        Trace("CheckUpdate===No answer within %d ms.", static_cast<int>(m_bound.count()));
        worker.Terminate(0);
        return Outcome::Failed;
    }
    if (answer->status != 1) return Outcome::Failed;

    Trace("===========Call CheckPatchwell====");
    if (answer->result.quit == "1") {
        tonvik::platform::OpenUrl(ServiceAddress(kUpdatingPath));
        return Outcome::Quit;
    }
    const int code = UpdateCodeOf(answer->result.updateCode);
    Trace("Update:%d %s", code, kVersion);
    if (m_library) m_library(code, kVersion, kPatchwellProjectCode);
    return Outcome::Checked;
}

int CStartupUpdate::UpdateCodeOf(const std::string& text) {
    const char* begin = text.data();
    const char* end = begin + text.size();
    while (begin != end && (*begin == ' ' || *begin == '\t' || *begin == '\r' || *begin == '\n')) ++begin;
    if (begin != end && *begin == '+') ++begin;
    int code = 0;
    const auto parsed = std::from_chars(begin, end, code);
    return parsed.ec == std::errc() ? code : 0;
}
