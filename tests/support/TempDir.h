#pragma once
// A fresh folder for one test, removed with everything in it afterwards.

#include <filesystem>
#include <map>
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
    // Every file and folder under `folder`, by name relative to it, with its
    // bytes ("<folder>" for a folder): two equal snapshots are the same tree
    // byte for byte.
    static std::map<std::string, std::string> Snapshot(const std::filesystem::path& folder);

private:
    std::filesystem::path m_path;
};
