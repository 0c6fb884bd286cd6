#include "tests/app/startup/StartupTestSupport.h"

#include "web/PageView.h"

#include <QCoreApplication>
#include <QThread>

#include <fstream>
#include <system_error>

namespace {

constexpr auto kPollStep = std::chrono::milliseconds(5);

void Link(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::error_code ec;
    std::filesystem::create_hard_link(from, to, ec);
    if (ec) std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
}

void SetVariable(const char* name, const std::filesystem::path& value) {
    qputenv(name, QByteArray::fromStdString(value.string()));
}

void RestoreVariable(const char* name, bool had, const QByteArray& value) {
    if (had) {
        qputenv(name, value);
    } else {
        qunsetenv(name);
    }
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(kPollStep.count());
    }
    return true;
}

bool WaitUntilBusy(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        QThread::msleep(1);
    }
    return true;
}

IsolatedRuntime::IsolatedRuntime()
    : m_oldRuntime(qgetenv("XDG_RUNTIME_DIR")),
      m_oldDataHome(qgetenv("XDG_DATA_HOME")),
      m_hadRuntime(qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")),
      m_hadDataHome(qEnvironmentVariableIsSet("XDG_DATA_HOME")) {
    std::filesystem::create_directories(Folder());
    std::filesystem::permissions(Folder(), std::filesystem::perms::owner_all);
    std::filesystem::create_directories(DataHome());
    SetVariable("XDG_RUNTIME_DIR", Folder());
    SetVariable("XDG_DATA_HOME", DataHome());
}

IsolatedRuntime::~IsolatedRuntime() {
    RestoreVariable("XDG_RUNTIME_DIR", m_hadRuntime, m_oldRuntime);
    RestoreVariable("XDG_DATA_HOME", m_hadDataHome, m_oldDataHome);
}

int IsolatedRuntime::FileCount() const {
    int count = 0;
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator(Folder(), ec); !ec && it != std::filesystem::directory_iterator();
         it.increment(ec)) {
        ++count;
    }
    return count;
}

PlayerFolder::PlayerFolder(const IsolatedRuntime& runtime) : m_environment(QProcessEnvironment::systemEnvironment()) {
    Link(TONVIK_PLAYER_PROGRAM, Program());
    // The web engine the program loads from beside itself.
    const std::filesystem::path engine = std::filesystem::path(TONVIK_PLAYER_PROGRAM).parent_path() / kWebEngineLibraryFile;
    if (std::filesystem::exists(engine)) Link(engine, m_folder / kWebEngineLibraryFile);
    m_folder.Write("TonvikMusic.ini", "[Trace]\r\nFile=trace.log\r\n");
    m_environment.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime.Folder().string()));
    m_environment.insert("XDG_DATA_HOME", QString::fromStdString(runtime.DataHome().string()));
    m_environment.insert("QT_QPA_PLATFORM", "offscreen");
    m_environment.insert("PATCHWELL_STANDIN_LOG", QString::fromStdString(LibraryLog().string()));
}

void PlayerFolder::SetOptions(const std::string& sections) const {
    m_folder.Write("TonvikMusic.ini", "[Trace]\r\nFile=trace.log\r\n" + sections);
}

std::string PlayerFolder::Trace() const { return TempDir::Read(m_folder / "trace.log"); }

int PlayerFolder::TraceCount(const std::string& part) const {
    const std::string text = Trace();
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
    return count;
}

void PlayerFolder::AddLibrary(const std::filesystem::path& library) const {
    std::filesystem::copy_file(library, m_folder / "libPatchwell.so", std::filesystem::copy_options::overwrite_existing);
}

void PlayerFolder::AddInstaller() const {
    const auto installer = m_folder.Write("Up_date.exe",
                                          "#!/bin/sh\n"
                                          "echo \"$*\" > \"$(dirname \"$0\")/installer-args.tmp\"\n"
                                          "mv \"$(dirname \"$0\")/installer-args.tmp\" \"$(dirname \"$0\")/installer-args.txt\"\n");
    std::filesystem::permissions(installer, std::filesystem::perms::owner_all);
}

std::unique_ptr<QProcess> PlayerFolder::StartPlayer(const QStringList& arguments) const {
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(m_environment);
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->start(QString::fromStdString(Program().string()), arguments);
    if (!process->waitForStarted(10000)) return nullptr;
    return process;
}

int PlayerFolder::RunCloseTool() const {
    QProcess tool;
    tool.setProcessEnvironment(m_environment);
    tool.setProcessChannelMode(QProcess::ForwardedChannels);
    tool.start(TONVIK_CLOSE_PROGRAM, {});
    if (!tool.waitForStarted(10000)) return -1;
    return WaitForExit(tool, 40s);
}

int WaitForExit(QProcess& process, std::chrono::milliseconds limit) {
    if (process.state() != QProcess::NotRunning && !process.waitForFinished(static_cast<int>(limit.count()))) {
        process.kill();
        process.waitForFinished(5000);
        return -1;
    }
    if (process.exitStatus() != QProcess::NormalExit) return -1;
    return process.exitCode();
}
