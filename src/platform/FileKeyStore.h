#pragma once

#ifndef _WIN32

#include <string>
#include <string_view>

#include "platform/KeyFileCodec.h"
#include "platform/KeyStore.h"

namespace quorvel {

// The key as a text file (its lines are written and read by KeyFileCodec). A handle
// reads the whole file when opened and writes it back atomically (temporary file in the same
// folder, flushed, then renamed over) when committed or destroyed, so a crash mid-save leaves the
// previous file. A damaged file is read line by line; lines that make no sense are dropped and
// disappear at the next save.
class FileKeyStore : public KeyStore {
  public:
    static constexpr const char* kDefaultFileName = "Quorvel.conf";

    // `systemRoot` is used only where that folder exists and may be written; `userRoot` is
    // created when needed. Either may be empty to leave it out.
    FileKeyStore(std::string systemRoot, std::string userRoot,
                 std::string fileName = kDefaultFileName);

    // "/etc/xdg/Merrow" and "$XDG_CONFIG_HOME/Merrow" (or "~/.config/Merrow").
    static std::string DefaultSystemRoot();
    static std::string DefaultUserRoot();

    std::unique_ptr<KeyHandle> Open(bool create) override;

  private:
    std::unique_ptr<KeyHandle> OpenIn(const std::string& root, bool mayCreateFolder, bool create);

    std::string systemRoot_;
    std::string userRoot_;
    std::string fileName_;
};

}  // namespace quorvel

#endif
