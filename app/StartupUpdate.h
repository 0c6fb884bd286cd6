#pragma once
// The update check at start, before any window exists: the service says
// whether this version must quit (then its "updating" page opens in the
// user's browser and the start ends) or hands an update code to the update
// library. The service is asked on a worker thread and the start waits for
// it at most kDefaultBound: a service that accepts the connection and never
// answers costs the start that long and no more, and counts as a failed
// check, as do a refused connection and an answer that cannot be read.
//
// What the frame calls, first thing in its creation:
//
//     if (CStartupUpdate().Run() == CStartupUpdate::Outcome::Quit) return false;  // the start ends
//
// Tests replace the request, the update library and the bound.

#include "service/ServiceXml.h"

#include <chrono>
#include <functional>

class GenericHTTPClient;

class CStartupUpdate {
public:
    enum class Outcome {
        Failed,   // no usable answer in time: the start goes on
        Checked,  // the answer's update code went to the update library
        Quit,     // the service wants this version gone: the start ends
    };

    // How long the start waits for the service's answer.
    static constexpr std::chrono::milliseconds kDefaultBound{4000};
    // The program version given to the update library.
    static constexpr const char* kVersion = "6.00.451";
    // The page shown in the user's browser when this version must quit.
    static constexpr const char* kUpdatingPath = "/songhall/intro/tonvik/updating.shtml";

    // Asks the service through `client` (which the start may close to end
    // the exchange); 1 with `result` filled on success.
    using Request = std::function<int(UpdateCheckResult& result, GenericHTTPClient& client)>;
    // The update library's check: update code, version text, project code.
    using UpdateLibrary = std::function<void(int updateCode, const char* version, int projectCode)>;

    CStartupUpdate();
    CStartupUpdate(Request request, UpdateLibrary library, std::chrono::milliseconds bound = kDefaultBound);

    // Runs the check; returns within the bound plus the short wait for a
    // cancelled exchange to end.
    Outcome Run();

    // The update code of an answer; 0 when it is no number.
    static int UpdateCodeOf(const std::string& text);

private:
    Request m_request;
    UpdateLibrary m_library;
    std::chrono::milliseconds m_bound;
};
