#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileLock.h"
#include "sheet/DescriptionSheet.h"

// Recovery copies of unsaved work. While a sheet has unsaved changes the editor keeps a copy of it
// (its data-file image and the path of its file) in a private per-user folder; a copy whose process
// is gone is offered at the next start. Each running store holds a lock on its own copy, so
// several instances never take each other's copy for a crashed one. Nothing here writes to the
// user's own data files.
namespace quorvel {

// A copy left by a process that is gone. While this object lives it holds the copy's lock, so no
// other instance offers the same copy meanwhile; dropping it leaves the copy for a later start.
class RecoveryCopy {
  public:
    RecoveryCopy(RecoveryCopy&&) noexcept = default;
    RecoveryCopy& operator=(RecoveryCopy&&) noexcept = default;

    // The copy's own file in the recovery folder (not the user's file).
    const std::string& File() const { return file_; }
    // Orders copies by their last write: a larger value is later.
    std::int64_t LastWritten() const { return lastWritten_; }
    // The last write as seconds since 1970-01-01 00:00 UTC.
    std::int64_t WrittenAt() const { return writtenAt_; }

  private:
    friend class RecoveryStore;
    RecoveryCopy() = default;

    std::string id_;
    std::string file_;
    std::int64_t lastWritten_ = 0;
    std::int64_t writtenAt_ = 0;
    FileLock lock_;
};

// What a copy holds.
struct RecoveredSheet {
    // Every cell whose text differs from the empty sheet is marked modified: it is unsaved work.
    TDescriptionSheet sheet;
    // Full path of the file the sheet belonged to; empty for an untitled sheet.
    std::string fileName;
};

class RecoveryStore {
  public:
    // `folder` empty means DefaultFolder(). It is created (private to the user) on first use. A
    // folder that is a link, belongs to another user or that others may write is never used.
    explicit RecoveryStore(std::string folder = {});
    // Releases the lock but keeps the copy: only Remove() says the work is safe.
    ~RecoveryStore();
    RecoveryStore(const RecoveryStore&) = delete;
    RecoveryStore& operator=(const RecoveryStore&) = delete;

    // $XDG_STATE_HOME/Merrow/Quorvel/recovery (else ~/.local/state/...); on Windows
    // %LOCALAPPDATA%\Merrow\Quorvel\recovery. Empty when the system names no such folder.
    static std::string DefaultFolder();
    const std::string& Folder() const { return folder_; }
    // Why the folder was refused at the last listing or write (UTF-8, for the user); empty when
    // it was usable or did not exist yet.
    const std::string& FolderProblem() const { return folderProblem_; }

    // Replaces this process's copy with the sheet and the path of its file (empty when
    // untitled), atomically. The first write creates and locks the copy. False when the copy
    // could not be written; an earlier copy is then still whole.
    bool Write(const TDescriptionSheet& sheet, const std::string& fileName);
    // True while this process has a copy (written or adopted).
    bool HasCopy() const { return lock_.Held(); }
    // Deletes this process's copy and drops its lock; the next Write starts a new copy.
    void Remove();

    // The copies whose process is gone, newest first by the time they were last written. Each
    // one comes locked (see RecoveryCopy). Copies held by live processes, copies of other users
    // and anything in a refused folder are not listed.
    std::vector<RecoveryCopy> ListOrphans();
    // The sheet and file name a copy holds; nothing when the copy is damaged or unreadable, in
    // which case it is only fit for MoveAside().
    std::optional<RecoveredSheet> Read(const RecoveryCopy& copy) const;
    // Deletes a copy that was offered and declined, with whatever a killed write of it left.
    void Delete(RecoveryCopy&& copy);
    // Renames a copy that cannot be read out of the way, so it is never offered again but the
    // user can still look at it. Returns its new path, empty when it could not be moved.
    std::string MoveAside(RecoveryCopy&& copy);
    // Makes the copy this process's own: it stays locked and later writes replace it. A copy
    // this process had before is removed, since the adopted sheet takes its place.
    void Adopt(RecoveryCopy&& copy);

  private:
    std::string PathOf(const std::string& id, const char* extension) const;
    void DeleteFiles(const std::string& id, FileLock& lock);

    std::string folder_;
    std::string folderProblem_;
    std::string id_;  // of this process's copy, while lock_ is held
    FileLock lock_;
};

// The file form of a copy and back (exposed for tests and the fuzzer).
std::string EncodeRecoveryCopy(const TDescriptionSheet& sheet, const std::string& fileName);
std::optional<RecoveredSheet> DecodeRecoveryCopy(std::string_view bytes);

}  // namespace quorvel
