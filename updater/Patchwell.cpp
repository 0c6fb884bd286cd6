// The exported functions: a thin layer over the one update session of the
// process, created when the library is loaded and destroyed when it is
// unloaded. No exception leaves an export.

#include "updater/Patchwell.h"

#include "updater/PatchwellTrace.h"
#include "updater/UpdateSession.h"
#include "updater/ui/UiTrace.h"
#include "updater/ui/UpdatePrompt.h"

#include <QApplication>
#include <QThread>
#include <QWidget>

#include <exception>
#include <string>

namespace {

patchwell::UpdateSession* g_session = nullptr;

void TraceFailure(const char* operation, const char* what) {
    patchwell::TraceOut(std::string(operation) + " : " + what + "\n");
}

patchwell::SessionEnvironment Environment() {
    auto environment = patchwell::SessionEnvironment::ForThisProgram();
    environment.prompt = [](const patchwell::PromptRequest& request) {
        return patchwell::ShowUpdatePrompt(request.text, request.installType, request.projectCode,
                                           {request.caption, request.header}, request.previousResult);
    };
    environment.message = [](const std::string& text, const std::string& caption, bool errorIcon) {
        patchwell::ShowMessageBox(text, caption,
                                  errorIcon ? patchwell::MessageIcon::Error : patchwell::MessageIcon::None);
    };
    return environment;
}

// Runs `call` on the session; `fallback` when it threw. A session that
// could not be made at load is tried again at first use.
template <typename Call>
int Guarded(const char* operation, int fallback, Call&& call) {
    try {
        if (!g_session) g_session = new patchwell::UpdateSession(Environment());
        return call(*g_session);
    } catch (const std::exception& error) {
        TraceFailure(operation, error.what());
    } catch (const patchwell::UpdateError& error) {
        TraceFailure(operation, error.text.c_str());
    } catch (...) {
        TraceFailure(operation, "unknown error");
    }
    return fallback;
}

// A window of the library's still open when it goes away.
void CloseUpdateWindows() {
    auto* application = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!application || application->thread() != QThread::currentThread()) return;
    const QString title = QString::fromUtf8("在线升级");
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->windowTitle() == title) widget->close();
    }
}

__attribute__((constructor)) void PatchwellLoaded() {
    try {
        // The windows trace where the rest of the library does.
        patchwell::SetUiTraceSink([](std::string_view text) { patchwell::TraceOut(text); });
        g_session = new patchwell::UpdateSession(Environment());
    } catch (const std::exception& error) {
        TraceFailure("PatchwellLoaded", error.what());
    } catch (...) {
        TraceFailure("PatchwellLoaded", "unknown error");
    }
}

__attribute__((destructor)) void PatchwellUnloaded() {
    try {
        delete g_session;
        g_session = nullptr;
        CloseUpdateWindows();
    } catch (...) {
        TraceFailure("PatchwellUnloaded", "unknown error");
    }
}

}  // namespace

PATCHWELL_EXPORT int SetPrjCode(int projectCode) {
    return Guarded("SetPrjCode", 47, [&](patchwell::UpdateSession& session) { return session.SetPrjCode(projectCode); });
}

PATCHWELL_EXPORT int CheckUpdate(int* hostUpdateCode, const char* version, int projectCode) {
    return Guarded("CheckUpdate", 0, [&](patchwell::UpdateSession& session) {
        return session.CheckUpdate(hostUpdateCode, version, projectCode);
    });
}

PATCHWELL_EXPORT int SetupNewVersion() {
    return Guarded("SetupNewVersion", 0, [](patchwell::UpdateSession& session) { return session.SetupNewVersion(); });
}

PATCHWELL_EXPORT int DownloadSetupFile(int deleteFirst, int kind) {
    return Guarded("DownloadSetupFile", 0, [&](patchwell::UpdateSession& session) {
        return session.DownloadSetupFile(deleteFirst, kind);
    });
}

PATCHWELL_EXPORT int InstallFile(int launch) {
    return Guarded("InstallFile", 0, [&](patchwell::UpdateSession& session) { return session.InstallFile(launch); });
}

PATCHWELL_EXPORT int CompleteSetup(int ignored) {
    return Guarded("CompleteSetup", 0, [&](patchwell::UpdateSession& session) { return session.CompleteSetup(ignored); });
}

PATCHWELL_EXPORT int CheckNewSetup() {
    return Guarded("CheckNewSetup", 0, [](patchwell::UpdateSession& session) { return session.CheckNewSetup(); });
}

PATCHWELL_EXPORT void Release() {}
