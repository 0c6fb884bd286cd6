#pragma once
// Writing a file so that a crash, a kill or a full disk never leaves it half
// written: the new content goes to a temporary file beside it (the file's
// name, a dot and six random letters or digits), which is flushed to the
// disk and then renamed over it. Every file the program writes goes this
// way; at start, temporaries a killed save left behind are removed.

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>

namespace tonvik::platform {

// One atomic replacement of `target`, written piece by piece. Until Commit
// the old file is untouched; dropped uncommitted, the temporary goes too.
// A target that exists keeps its permissions; a new one gets the usual
// ones (0666 less the process's mask).
class CAtomicFileWriter {
public:
    explicit CAtomicFileWriter(const std::filesystem::path& target);
    ~CAtomicFileWriter();
    CAtomicFileWriter(const CAtomicFileWriter&) = delete;
    CAtomicFileWriter& operator=(const CAtomicFileWriter&) = delete;

    // False when no temporary could be made beside the target.
    bool IsOpen() const { return m_handle >= 0; }
    // Appends bytes; false (and every later call false) when they could
    // not all be written.
    bool Write(std::string_view bytes);
    // Flushes the temporary to the disk and renames it over the target.
    // False when anything failed: the old file is then as it was.
    bool Commit();

private:
    void Discard();

    std::filesystem::path m_target;
    std::filesystem::path m_temporary;
    int m_handle = -1;
    bool m_failed = false;
};

// Replaces the file at `path` with `content`. Returns false (and leaves any
// old file untouched) when the content could not be written completely.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view content);

// Replaces the file at `to` with a copy of `from` the same way.
bool CopyFileAtomically(const std::filesystem::path& from, const std::filesystem::path& to);

// How old a temporary must be before it counts as left behind: a younger
// one may belong to a save under way in another instance.
inline constexpr std::chrono::seconds kLeftTemporaryAge{60};

// Removes the temporaries left beside `file` by saves that never finished
// (regular files named like its temporaries, last written more than `age`
// ago). The number removed.
int RemoveLeftTemporaries(const std::filesystem::path& file, std::chrono::seconds age = kLeftTemporaryAge);

// Whether `name` is the name of one of `file`'s temporaries.
bool IsTemporaryNameOf(const std::filesystem::path& file, const std::string& name);

// Reads a whole file; false when it cannot be opened or read.
bool ReadWholeFile(const std::filesystem::path& path, std::string& content);

}  // namespace tonvik::platform
