// Loads arbitrary bytes as the play-list file, then saves and loads the
// list again: what was loaded must survive the round trip unchanged.

#include "model/SongList.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

const std::filesystem::path& ListFile() {
    static const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("fuzz_song_list." + std::to_string(getpid()) + ".xls");
    return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        std::ofstream out(ListFile(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    CSongList list;
    list.SetFilePath(ListFile());
    Require(list.LoadFromFile() == 1);
    const auto loaded = list.Snapshot();
    Require(loaded.size() <= static_cast<size_t>(CSongList::kCapacity));

    list.SaveToFile();
    CSongList reread;
    reread.SetFilePath(ListFile());
    reread.LoadFromFile();
    Require(reread.Snapshot() == loaded);
    return 0;
}
