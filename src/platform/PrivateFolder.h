#pragma once

#include <string>

// Per-user folders for what must outlive a run but is nobody else's business.
namespace quorvel {

// The user's state folder: $XDG_STATE_HOME when it is absolute, else ~/.local/state; on Windows
// %LOCALAPPDATA%. Empty when none can be found.
std::string UserStateFolder();

// The separator between folder and file names on this system.
char PathSeparator();

// Creates `path` and any missing parents, private to this user (mode 700 where the system has
// modes). An existing last folder must be a real folder of this user, not a link; any group or
// other access on it is taken away. False when the folder cannot be used.
bool MakePrivateFolder(const std::string& path);

}  // namespace quorvel
