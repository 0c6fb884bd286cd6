#pragma once
// The kinds of file the program writes, each saved through the code the
// program saves it with, in generations whose whole content is known: what
// the kill test's child process saves in a loop, and what the test compares
// the file with after each kill.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

struct St_SavedFileKind {
    std::string name;
    // Saves generation `generation` of the file in `folder`.
    void (*save)(const std::filesystem::path& folder, long generation);
    // The file whose content is checked.
    std::filesystem::path (*target)(const std::filesystem::path& folder);
    // Every file a save of this kind replaces (whose temporaries count).
    std::vector<std::filesystem::path> (*written)(const std::filesystem::path& folder);
    // What the program does at its next start about temporaries left there.
    void (*start)(const std::filesystem::path& folder);
};

// The options file, the play list, a service answer file, the update
// library's local manifest (saved), its manifests copied one over the
// other, and a package joined from parts.
const std::vector<St_SavedFileKind>& SavedFileKinds();
const St_SavedFileKind* FindSavedFileKind(const std::string& name);

// The generation a file's content claims to be; nullopt when it claims none.
std::optional<long> ClaimedGeneration(const std::string& content);
