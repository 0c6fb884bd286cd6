#pragma once
// What a start of the program asks for. The player takes no command line
// but these few, each alone and exactly as written; any other arguments are
// ignored and the player starts as always.
//
//   --version      prints the version and ends
//   --help         prints these lines and ends
//   --close        asks the running player to close in order (as TonvikClose)
//   --play-pause   the running player's play/pause, as the media key does it
//   --next         the running player's next song
//
// The last two are the desktop entry's actions; without a running player
// they start it as a plain start would.

#include <string>
#include <vector>

enum class LaunchRequest { Start, Version, Help, Close, PlayPause, Next };

// The request of the arguments after the program's name.
LaunchRequest ParseLaunchRequest(const std::vector<std::string>& arguments);

// The lines --help prints.
std::string LaunchUsage();
