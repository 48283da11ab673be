#pragma once

#include <string>
#include <string_view>

// Per-user folders for what must outlive a run but is nobody else's business.
namespace quorvel {

// The user's state folder: $XDG_STATE_HOME when it is absolute, else ~/.local/state; on Windows
// %LOCALAPPDATA%. Empty when none can be found.
std::string UserStateFolder();

// The separator between folder and file names on this system.
char PathSeparator();

// What a private folder is like. It is usable when it exists and has no problem.
struct PrivateFolderCheck {
    bool exists = false;
    // Why the folder is refused (UTF-8, for the user), empty when it is not.
    std::string problem;
    bool usable() const { return exists && problem.empty(); }
};

// Checks the folder without creating it. It must be a real folder, not a link, owned by this
// user, and nobody else may write to it: what others could have planted there is not ours.
// Read access for others on such a folder is taken away. `folderName` is what the user knows the
// folder as ("復元用フォルダ"); the problem names it and the path.
PrivateFolderCheck CheckPrivateFolder(const std::string& path, std::string_view folderName);

#ifndef _WIN32
// The folder at `path` looked at without following a link, as one private to this user: `exists`
// is false when nothing is there, and `problem` the bare reason it cannot be used (a link, not a
// folder, another user's). Group and other access on a usable folder is taken away; with
// `refuseOthersWriting`, a folder others may write is refused instead.
PrivateFolderCheck InspectOwnFolder(const std::string& path, bool refuseOthersWriting);
#endif

// Creates `path` and any missing parents, private to this user (mode 700 where the system has
// modes), then checks it as above.
PrivateFolderCheck MakePrivateFolder(const std::string& path, std::string_view folderName);

}  // namespace quorvel
