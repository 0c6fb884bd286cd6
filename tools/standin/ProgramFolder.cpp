#include "tools/standin/ProgramFolder.h"

#include <fstream>

namespace standin {

bool PrepareProgramFolder(const std::filesystem::path& folder, const std::string& host,
                          const std::filesystem::path& shipped) {
    std::ofstream settings(folder / "TonvikMusic.ini", std::ios::binary);
    settings << "[Hosts]\r\nService=" << host << "\r\nLogin=" << host << "\r\nComment=" << host
             << "\r\nLyricSearch=" << host << "\r\n";
    if (!settings.flush()) return false;
    std::error_code error;
    for (const char* shippedFolder : {"Skin", "Skin2", "html"}) {
        std::filesystem::create_directory_symlink(std::filesystem::absolute(shipped / shippedFolder, error),
                                                  folder / shippedFolder, error);
        if (error) return false;
    }
    return true;
}

}  // namespace standin
