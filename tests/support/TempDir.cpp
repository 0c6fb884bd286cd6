#include "tests/support/TempDir.h"

#include <QTemporaryDir>

#include <fstream>
#include <iterator>
#include <stdexcept>

TempDir::TempDir() {
    QTemporaryDir dir;
    if (!dir.isValid()) throw std::runtime_error("cannot create a temporary folder");
    dir.setAutoRemove(false);
    m_path = dir.path().toStdString();
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

std::filesystem::path TempDir::Write(std::string_view name, std::string_view bytes) const {
    const auto path = m_path / std::string(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::string TempDir::Read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::map<std::string, std::string> TempDir::Snapshot(const std::filesystem::path& folder) {
    std::map<std::string, std::string> entries;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        const std::string name = std::filesystem::relative(entry.path(), folder).string();
        entries[name] = entry.is_directory() ? std::string("<folder>") : Read(entry.path());
    }
    return entries;
}
