#include "platform/KeyStore.h"

#ifdef _WIN32
#include "platform/RegistryKeyStore.h"
#else
#include "platform/FileKeyStore.h"
#endif

namespace quorvel {

std::unique_ptr<KeyStore> DefaultKeyStore() {
#ifdef _WIN32
    return std::make_unique<RegistryKeyStore>();
#else
    return std::make_unique<FileKeyStore>(FileKeyStore::DefaultSystemRoot(),
                                          FileKeyStore::DefaultUserRoot());
#endif
}

}  // namespace quorvel
