#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sheet/Design.h"
#include "store/FileError.h"

// The seller's own designs: one file per design in a folder of the user's, beside the settings.
// The file's name comes from the design's name made safe for any file system; the name itself is
// kept inside the file, so what the seller typed comes back as typed.
namespace quorvel {

inline constexpr const char* kDesignExtension = ".qvd";
// Longer names would not fit a list nor, on some systems, a path.
inline constexpr std::size_t kDesignNameMaxChars = 60;
// What the folder is called in messages.
inline constexpr const char* kDesignFolderName = "デザイン用フォルダ";

class DesignStore {
  public:
    // An empty folder means DefaultFolder().
    explicit DesignStore(std::string folder = {});

    // "$XDG_CONFIG_HOME/Merrow/Quorvel/designs" (or "~/.config/Merrow/Quorvel/designs"); on
    // Windows "%APPDATA%\Merrow\Quorvel\designs". Empty when the user has no such place.
    static std::string DefaultFolder();
    const std::string& Folder() const { return folder_; }

    struct Entry {
        std::string name;      // UTF-8, as typed
        std::string fileName;  // the file's name in the folder (system bytes)
        Design design;
    };
    // An entry with the designs' extension that is left out (a damaged or foreign file, a link,
    // a folder, a device), with the reason.
    struct Problem {
        std::string fileName;
        std::string message;  // UTF-8
    };
    struct Listing {
        std::vector<Entry> designs;  // by name
        std::vector<Problem> problems;
        // Why nothing in the folder is read (another user's, a link...), naming the folder;
        // empty when it is used or simply not there yet.
        std::string folderProblem;
    };
    Listing List() const;

    // The trimmed name a design is stored under, or the reason it cannot be one (UTF-8).
    struct NameCheck {
        std::string name;
        std::string fileName;  // the file it goes to (system bytes)
        std::string problem;
        bool ok() const { return problem.empty(); }
    };
    static NameCheck CheckName(const std::string& typedUtf8);

    // True when saving under `name` would replace a file: the editor asks first.
    bool Exists(const std::string& nameUtf8) const;
    // Saves under `name`, replacing any design of the same file name.
    std::optional<FileError> Save(const std::string& nameUtf8, const Design& design);
    // Renames the design in `fileName` to `newName`, replacing any design of the new file name.
    std::optional<FileError> Rename(const std::string& fileName, const std::string& newNameUtf8);
    std::optional<FileError> Delete(const std::string& fileName);

  private:
    std::string pathOf(const std::string& fileName) const;
    std::optional<FileError> ensureFolder(const char* caption) const;

    std::string folder_;
};

}  // namespace quorvel
