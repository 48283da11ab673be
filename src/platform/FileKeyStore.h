#pragma once

#ifndef _WIN32

#include <string>
#include <string_view>

#include "platform/KeyStore.h"

namespace quorvel {

// The key as a text file, one value a line ("Left=dword:120", "EditAddress=sz:..."), texts kept
// readable as UTF-8 with escapes for anything that would not come back byte for byte. A handle
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

// The escaped file form of a code page 932 text and back. Decoding fails (nothing) on an unknown
// escape, invalid UTF-8 or a character code page 932 cannot hold.
std::string EncodeKeyFileText(std::string_view cp932);
std::optional<std::string> DecodeKeyFileText(std::string_view escaped);

}  // namespace quorvel

#endif
