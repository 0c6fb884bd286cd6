#include "tests/support/FakeOpener.h"

#include <QTest>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

// The NUL-separated pieces of a /proc file.
std::vector<std::string> ProcPieces(long pid, const char* file) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/" + file, std::ios::binary);
    const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> pieces;
    size_t start = 0;
    for (size_t end = all.find('\0'); end != std::string::npos; end = all.find('\0', start)) {
        pieces.push_back(all.substr(start, end - start));
        start = end + 1;
    }
    if (start < all.size()) pieces.push_back(all.substr(start));
    return pieces;
}

}  // namespace

FakeOpener::FakeOpener() : m_oldPath(qgetenv("PATH")) {
    const std::string folder = m_folder.Path().string();
    const auto script = m_folder.Write("xdg-open",
                                       "#!/bin/sh\n"
                                       "echo $$ > '" + folder + "/pid.tmp'\n"
                                       "mv '" + folder + "/pid.tmp' '" + folder + "/pid'\n"
                                       "i=0\n"
                                       "while [ ! -e '" + folder + "/release-'$$ ] && [ $i -lt 600 ]; do sleep 0.05; i=$((i+1)); done\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    qputenv("PATH", QByteArray::fromStdString(folder) + ':' + m_oldPath);
}

std::filesystem::path FakeOpener::Program() const { return m_folder / "xdg-open"; }

FakeOpener::~FakeOpener() {
    Release();
    qputenv("PATH", m_oldPath);
}

long FakeOpener::WaitForStart(std::chrono::milliseconds limit) {
    const auto file = m_folder / "pid";
    if (!QTest::qWaitFor([&] { return std::filesystem::exists(file); }, static_cast<int>(limit.count()))) return 0;
    m_pid = std::stol(TempDir::Read(file));
    std::filesystem::remove(file);
    return m_pid;
}

std::vector<std::string> FakeOpener::Arguments() const { return m_pid ? ProcPieces(m_pid, "cmdline") : std::vector<std::string>{}; }

std::map<std::string, std::string> FakeOpener::Environment() const {
    std::map<std::string, std::string> environment;
    if (!m_pid) return environment;
    for (const std::string& entry : ProcPieces(m_pid, "environ")) {
        const size_t equals = entry.find('=');
        if (equals != std::string::npos) environment[entry.substr(0, equals)] = entry.substr(equals + 1);
    }
    return environment;
}

void FakeOpener::Release() {
    if (m_pid) m_folder.Write("release-" + std::to_string(m_pid), "");
}
