#ifdef _WIN32

#include "platform/RegistryKeyStore.h"

#include <windows.h>

#include <utility>
#include <vector>

namespace quorvel {
namespace {

class RegistryKeyHandle : public KeyHandle {
  public:
    explicit RegistryKeyHandle(HKEY key) : key_(key) {}
    ~RegistryKeyHandle() override { RegCloseKey(key_); }

    bool Exists(const std::string& name) const override {
        return RegQueryValueExA(key_, name.c_str(), nullptr, nullptr, nullptr, nullptr) ==
               ERROR_SUCCESS;
    }

    std::optional<std::uint32_t> ReadDword(const std::string& name) const override {
        DWORD type = 0, value = 0, size = sizeof value;
        if (RegQueryValueExA(key_, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                             &size) != ERROR_SUCCESS ||
            type != REG_DWORD || size != sizeof value)
            return std::nullopt;
        return static_cast<std::uint32_t>(value);
    }

    std::optional<std::string> ReadString(const std::string& name) const override {
        // The value may change between asking its size and reading it.
        for (int attempt = 0; attempt < 3; ++attempt) {
            DWORD type = 0, size = 0;
            if (RegQueryValueExA(key_, name.c_str(), nullptr, &type, nullptr, &size) !=
                    ERROR_SUCCESS ||
                type != REG_SZ)
                return std::nullopt;
            std::vector<char> buffer(size + 1, '\0');
            DWORD got = size;
            LONG result = RegQueryValueExA(key_, name.c_str(), nullptr, &type,
                                           reinterpret_cast<BYTE*>(buffer.data()), &got);
            if (result == ERROR_MORE_DATA) continue;
            if (result != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
            // REG_SZ data need not end in NUL; the text ends at the first one.
            std::string text(buffer.data(), got);
            auto nul = text.find('\0');
            if (nul != std::string::npos) text.resize(nul);
            return text;
        }
        return std::nullopt;
    }

    void WriteDword(const std::string& name, std::uint32_t value) override {
        DWORD data = value;
        if (RegSetValueExA(key_, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                           sizeof data) != ERROR_SUCCESS)
            failed_ = true;
    }

    void WriteString(const std::string& name, const std::string& bytes) override {
        if (RegSetValueExA(key_, name.c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(bytes.c_str()),
                           static_cast<DWORD>(bytes.size() + 1)) != ERROR_SUCCESS)
            failed_ = true;
    }

    bool Commit() override { return !failed_; }

  private:
    HKEY key_;
    bool failed_ = false;
};

}  // namespace

RegistryKeyStore::RegistryKeyStore(std::string keyPath) : keyPath_(std::move(keyPath)) {}

std::unique_ptr<KeyHandle> RegistryKeyStore::Open(bool create) {
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        HKEY key = nullptr;
        LONG result =
            create ? RegCreateKeyExA(root, keyPath_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_ALL_ACCESS, nullptr, &key, nullptr)
                   : RegOpenKeyExA(root, keyPath_.c_str(), 0, KEY_ALL_ACCESS, &key);
        if (result == ERROR_SUCCESS) return std::make_unique<RegistryKeyHandle>(key);
    }
    return nullptr;
}

}  // namespace quorvel

#endif
