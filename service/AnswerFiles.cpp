#include "service/AnswerFiles.h"

#include "common/WellKnownPaths.h"
#include "platform/AtomicFile.h"

#include <map>
#include <memory>

const char* SongAnswerFileName(int kind) {
    switch (kind) {
    case kAnswerPlaySong:
        return kPlaySongFile;
    case kAnswerAlbumSong:
        return kAlbumSongFile;
    default:
        return kRecmdSongFile;
    }
}

std::string AnswerFilePath(std::string_view fileName) { return g_strDataDir + std::string(fileName); }

int RemoveLeftAnswerTemporaries() {
    int removed = 0;
    for (const char* name : {kPlaySongFile, kAlbumSongFile, kRecmdSongFile, kRecommendFile, kLogonFile, kAlbumFile,
                             kCreateAlbumFile, kCheckUpdateFile})
        removed += tonvik::platform::RemoveLeftTemporaries(AnswerFilePath(name));
    return removed;
}

std::unique_lock<std::mutex> LockAnswerFile(const std::string& path) {
    static std::mutex registryMutex;
    static std::map<std::string, std::unique_ptr<std::mutex>> locks;
    std::mutex* fileMutex;
    {
        std::lock_guard lock(registryMutex);
        auto& slot = locks[path];
        if (!slot) slot = std::make_unique<std::mutex>();
        fileMutex = slot.get();
    }
    return std::unique_lock<std::mutex>(*fileMutex);
}
