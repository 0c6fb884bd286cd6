#include "platform/Shell.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStringList>
#include <QUrl>

#include <memory>
#include <mutex>

namespace tonvik::platform {
namespace {

std::mutex g_recorderMutex;
std::shared_ptr<const ShellRecorder> g_recorder;

std::shared_ptr<const ShellRecorder> Recorder() {
    std::lock_guard lock(g_recorderMutex);
    return g_recorder;
}

}  // namespace

void SetShellRecorder(ShellRecorder recorder) {
    std::lock_guard lock(g_recorderMutex);
    g_recorder = recorder ? std::make_shared<const ShellRecorder>(std::move(recorder)) : nullptr;
}

bool StartProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                  const std::filesystem::path& workingFolder) {
    if (auto recorder = Recorder()) return (*recorder)({ShellRequest::Kind::Program, program.string(), arguments});
    QStringList list;
    for (const std::string& argument : arguments) list << QString::fromStdString(argument);
    return QProcess::startDetached(QString::fromStdString(program.string()), list,
                                   QString::fromStdString(workingFolder.string()));
}

bool OpenUrl(const std::string& url) {
    if (auto recorder = Recorder()) return (*recorder)({ShellRequest::Kind::Url, url, {}});
    return QDesktopServices::openUrl(QUrl::fromEncoded(QByteArray::fromStdString(url)));
}

}  // namespace tonvik::platform
