#pragma once
// A fresh folder for one test, removed with everything in it afterwards.

#include <filesystem>
#include <string>
#include <string_view>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::filesystem::path operator/(std::string_view name) const { return m_path / std::string(name); }

    // Writes bytes to a file in the folder and returns its path.
    std::filesystem::path Write(std::string_view name, std::string_view bytes) const;
    // Reads a file back; empty when it is missing.
    static std::string Read(const std::filesystem::path& path);

private:
    std::filesystem::path m_path;
};
