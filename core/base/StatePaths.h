// Where the program keeps its per-user files: the diagnostic logs in the state
// directory, data in the data directory. Both are private to the user.
#pragma once

#include <filesystem>

namespace pellar {

// $XDG_STATE_HOME/pellar/, else ~/.local/state/pellar/; created with mode 0700.
std::filesystem::path PerUserStateDir();
// $XDG_DATA_HOME/pellar/, else ~/.local/share/pellar/; created with mode 0700.
std::filesystem::path PerUserDataDir();

} // namespace pellar
