// Where the program keeps its per-user files: the diagnostic logs in the state
// directory, data in the data directory. Both are private to the user.
#pragma once

#include <filesystem>

namespace pellar {

// $XDG_STATE_HOME/pellar/, else ~/.local/state/pellar/; created with mode 0700.
std::filesystem::path PerUserStateDir();
// $XDG_DATA_HOME/pellar/, else ~/.local/share/pellar/; created with mode 0700.
std::filesystem::path PerUserDataDir();

// Creates dir and any missing parents; each one created here gets mode 0700.
// A directory that already exists is left as it is. False if dir is not
// there afterwards.
bool CreatePrivateDirs(const std::filesystem::path& dir);

// Takes group and other rights away from an existing file or directory of
// the program's own (0600 / 0700); true when it is private afterwards or
// does not exist.
bool NarrowToOwner(const std::filesystem::path& path);

} // namespace pellar
