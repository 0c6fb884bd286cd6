#include "platform/Shell.h"

#include "platform/Paths.h"
#include "platform/PrivateFile.h"

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QStringList>
#include <QTimer>

#include <memory>
#include <mutex>
#include <system_error>

namespace tonvik::platform {
namespace {

std::mutex g_recorderMutex;
std::shared_ptr<const ShellRecorder> g_recorder;
std::mutex g_ownVariablesMutex;
QProcessEnvironment g_ownVariables;

std::shared_ptr<const ShellRecorder> Recorder() {
    std::lock_guard lock(g_recorderMutex);
    return g_recorder;
}

bool StartDetached(const QString& program, const QStringList& arguments, const QString& workingFolder = {}) {
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    if (!workingFolder.isEmpty()) process.setWorkingDirectory(workingFolder);
    process.setProcessEnvironment(ChildEnvironment());
    return process.startDetached();
}

// The desktop's own way to open an address or a file with the user's choice
// of program.
bool OpenWithDesktop(const QString& target) {
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) return false;
    return StartDetached(opener, {target});
}

void Remove(const std::filesystem::path& file) {
    std::error_code ec;
    std::filesystem::remove(file, ec);
}

void RemoveLater(const std::filesystem::path& file, std::chrono::milliseconds lifetime) {
    if (QCoreApplication::instance()) {
        QTimer::singleShot(lifetime, QCoreApplication::instance(), [file] { Remove(file); });
    } else {
        Remove(file);
    }
}

// `text` inside a double-quoted HTML attribute.
std::string HtmlAttribute(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '"': out += "&quot;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default: out += c;
        }
    }
    return out;
}

// `text` inside a double-quoted script string: anything but plain address
// characters is written as an escape.
std::string ScriptString(const std::string& text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9') ||
                           std::string_view(":/?&=%.+_~-#,;@!$*()").find(c) != std::string_view::npos;
        if (plain) {
            out += c;
        } else {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        }
    }
    return out;
}

}  // namespace

void SetShellRecorder(ShellRecorder recorder) {
    std::lock_guard lock(g_recorderMutex);
    g_recorder = recorder ? std::make_shared<const ShellRecorder>(std::move(recorder)) : nullptr;
}

QProcessEnvironment ChildEnvironment() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : kEngineOnlyVariables) environment.remove(QString::fromLatin1(name));
    std::lock_guard lock(g_ownVariablesMutex);
    for (const QString& name : g_ownVariables.keys()) {
        if (environment.contains(name) && environment.value(name) == g_ownVariables.value(name))
            environment.remove(name);
    }
    return environment;
}

void KeepFromChildren(const std::string& name) {
    const QString variable = QString::fromStdString(name);
    const QString value = QProcessEnvironment::systemEnvironment().value(variable);
    std::lock_guard lock(g_ownVariablesMutex);
    g_ownVariables.insert(variable, value);
}

bool StartProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                  const std::filesystem::path& workingFolder) {
    if (auto recorder = Recorder()) return (*recorder)({ShellRequest::Kind::Program, program.string(), arguments});
    QStringList list;
    for (const std::string& argument : arguments) list << QString::fromStdString(argument);
    return StartDetached(QString::fromStdString(program.string()), list, QString::fromStdString(workingFolder.string()));
}

bool OpenUrl(const std::string& url) {
    if (auto recorder = Recorder()) return (*recorder)({ShellRequest::Kind::Url, url, {}});
    return OpenWithDesktop(QString::fromStdString(url));
}

std::string LeadingPage(const std::string& url) {
    const std::string attribute = HtmlAttribute(url);
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">\n"
           "<meta name=\"referrer\" content=\"no-referrer\">\n"
           "<meta http-equiv=\"refresh\" content=\"0;url=" + attribute + "\">\n"
           "<script>location.replace(\"" + ScriptString(url) + "\");</script>\n"
           "<title>TonvikMusic</title></head>\n"
           "<body><a href=\"" + attribute + "\">TonvikMusic</a></body></html>\n";
}

bool OpenUrlPrivately(const std::string& url, std::chrono::milliseconds lifetime) {
    if (auto recorder = Recorder()) return (*recorder)({ShellRequest::Kind::PrivateUrl, url, {}});
    const std::filesystem::path folder = RuntimeFolder();
    if (folder.empty()) return false;
    const std::filesystem::path page = WritePrivateFile(folder, "tonvik-page-", ".html", LeadingPage(url));
    if (page.empty()) return false;
    if (!OpenWithDesktop(QString::fromStdString(page.string()))) {
        Remove(page);
        return false;
    }
    RemoveLater(page, lifetime);
    return true;
}

}  // namespace tonvik::platform
