#pragma once
// A program folder for running the player's parts against a stand-in, as
// tools and tests do: "TonvikMusic.ini" whose service hosts all name the
// stand-in, and links to the shipped skins and offline pages.

#include <filesystem>
#include <string>

namespace standin {

// Prepares `folder` for a stand-in at `host` ("127.0.0.1:<port>"), linking
// "Skin", "Skin2" and "html" from `shipped` (the source tree's data folder
// or the build's program folder). False when a step failed.
bool PrepareProgramFolder(const std::filesystem::path& folder, const std::string& host,
                          const std::filesystem::path& shipped);

}  // namespace standin
