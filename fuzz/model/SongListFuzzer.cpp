// Loads arbitrary bytes as the play-list file, then saves and loads the
// list again, twice: the second round trip changes nothing.

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

    // Saving may lose what the file cannot carry (a line feed inside a field
    // of a file whose lines end with CR), never add songs; after one save the
    // list is what the file holds.
    list.SaveToFile();
    CSongList reread;
    reread.SetFilePath(ListFile());
    reread.LoadFromFile();
    const auto once = reread.Snapshot();
    Require(once.size() <= loaded.size());
    reread.SaveToFile();
    CSongList again;
    again.SetFilePath(ListFile());
    again.LoadFromFile();
    Require(again.Snapshot() == once);
    return 0;
}
