#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

// The program's configuration key, "\SOFTWARE\Merrow\Quorvel". On Windows it is the registry key
// under HKEY_LOCAL_MACHINE, else HKEY_CURRENT_USER; elsewhere a small file under a system folder,
// else the user's configuration folder. Both stores try their two roots in that order and only use
// a root where the key may be written, so a user without rights to the shared root ends up in
// their own.
namespace quorvel {

// An open key. Values are named; a value read with another type than the one asked for reads as
// absent. Texts are byte strings (code page 932).
class KeyHandle {
  public:
    virtual ~KeyHandle() = default;

    // True when a value of that name exists, whatever its type.
    virtual bool Exists(const std::string& name) const = 0;
    virtual std::optional<std::uint32_t> ReadDword(const std::string& name) const = 0;
    virtual std::optional<std::string> ReadString(const std::string& name) const = 0;
    virtual void WriteDword(const std::string& name, std::uint32_t value) = 0;
    virtual void WriteString(const std::string& name, const std::string& bytes) = 0;

    // Stores the writes made so far; true when every one of them is stored. Destroying a handle
    // commits what is still pending, so calling this is only needed to learn the outcome.
    virtual bool Commit() = 0;
};

class KeyStore {
  public:
    virtual ~KeyStore() = default;

    // Opens the key under the first root that allows it. Without `create` only an existing key is
    // opened; with it the key is created where it is missing. Null when no root will do.
    virtual std::unique_ptr<KeyHandle> Open(bool create) = 0;
};

// The platform's store with its usual roots.
std::unique_ptr<KeyStore> DefaultKeyStore();

}  // namespace quorvel
