#pragma once

#ifdef _WIN32

#include "platform/KeyStore.h"

namespace quorvel {

// The registry key SOFTWARE\Merrow\Quorvel, opened with full access under HKEY_LOCAL_MACHINE and
// else under HKEY_CURRENT_USER. Writes go to the registry at once; closing the handle closes the
// key.
class RegistryKeyStore : public KeyStore {
  public:
    static constexpr const char* kDefaultKeyPath = "SOFTWARE\\Merrow\\Quorvel";

    explicit RegistryKeyStore(std::string keyPath = kDefaultKeyPath);

    std::unique_ptr<KeyHandle> Open(bool create) override;

  private:
    std::string keyPath_;
};

}  // namespace quorvel

#endif
