#ifndef _WIN32

#include "platform/FileKeyStore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <utility>
#include <vector>

#include "platform/FileIo.h"
#include "platform/TempDir.h"

namespace quorvel {
namespace {

// A settings file is a few hundred bytes; anything far larger is not ours to read whole.
constexpr std::size_t kMaxFileBytes = 1u << 20;

bool ReadFile(int fd, std::string& out) {
    char buffer[8192];
    while (out.size() < kMaxFileBytes) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (got == 0) return true;
        out.append(buffer, static_cast<std::size_t>(got));
    }
    // Cut off at the limit: the last line is incomplete.
    out.resize(out.rfind('\n') == std::string::npos ? 0 : out.rfind('\n') + 1);
    return true;
}

class FileKeyHandle : public KeyHandle {
  public:
    FileKeyHandle(std::string folder, std::string fileName, mode_t mode,
                  std::vector<KeyFileValue> values)
        : folder_(std::move(folder)),
          fileName_(std::move(fileName)),
          mode_(mode),
          values_(std::move(values)) {}

    ~FileKeyHandle() override {
        if (dirty_) Commit();
    }

    bool Exists(const std::string& name) const override { return FindConst(name) != nullptr; }

    std::optional<std::uint32_t> ReadDword(const std::string& name) const override {
        const KeyFileValue* value = FindConst(name);
        if (!value || value->type != KeyValueType::Dword) return std::nullopt;
        return value->dword;
    }

    std::optional<std::string> ReadString(const std::string& name) const override {
        const KeyFileValue* value = FindConst(name);
        if (!value || value->type != KeyValueType::String) return std::nullopt;
        return value->text;
    }

    void WriteDword(const std::string& name, std::uint32_t number) override {
        KeyFileValue value;
        value.name = name;
        value.type = KeyValueType::Dword;
        value.dword = number;
        Put(std::move(value));
    }

    void WriteString(const std::string& name, const std::string& bytes) override {
        KeyFileValue value;
        value.name = name;
        value.type = KeyValueType::String;
        value.text = bytes;
        Put(std::move(value));
    }

    bool Commit() override {
        if (!dirty_) return true;
        // The old file stays whole until the new one is on disk.
        if (fileio::ReplaceFileContents(folder_ + "/" + fileName_, FormatKeyFile(values_), mode_) !=
            fileio::WriteOutcome::Ok)
            return false;
        dirty_ = false;
        return true;
    }

  private:
    const KeyFileValue* FindConst(std::string_view name) const {
        for (const auto& value : values_)
            if (SameKeyName(value.name, name)) return &value;
        return nullptr;
    }

    // The file lists values in the order they were last written.
    void Put(KeyFileValue value) {
        for (auto it = values_.begin(); it != values_.end(); ++it) {
            if (SameKeyName(it->name, value.name)) {
                values_.erase(it);
                break;
            }
        }
        values_.push_back(std::move(value));
        dirty_ = true;
    }

    std::string folder_;
    std::string fileName_;
    mode_t mode_;
    std::vector<KeyFileValue> values_;
    bool dirty_ = false;
};

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool MakeUserFolder(const std::string& path) {
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
    return IsFolder(path);
}

}  // namespace

FileKeyStore::FileKeyStore(std::string systemRoot, std::string userRoot, std::string fileName)
    : systemRoot_(std::move(systemRoot)),
      userRoot_(std::move(userRoot)),
      fileName_(std::move(fileName)) {}

std::string FileKeyStore::DefaultSystemRoot() {
    return "/etc/xdg/Merrow";
}

std::string FileKeyStore::DefaultUserRoot() {
    const std::string config = AbsolutePathFromEnv("XDG_CONFIG_HOME");
    if (!config.empty()) return config + "/Merrow";
    const std::string home = UserHomeFolder();
    if (home.empty()) return {};
    return (home == "/" ? std::string() : home) + "/.config/Merrow";
}

std::unique_ptr<KeyHandle> FileKeyStore::Open(bool create) {
    if (!systemRoot_.empty())
        if (auto handle = OpenIn(systemRoot_, false, create)) return handle;
    if (!userRoot_.empty())
        if (auto handle = OpenIn(userRoot_, true, create)) return handle;
    return nullptr;
}

std::unique_ptr<KeyHandle> FileKeyStore::OpenIn(const std::string& root, bool mayCreateFolder,
                                                bool create) {
    if (!IsFolder(root) && !(mayCreateFolder && create && MakeUserFolder(root))) return nullptr;
    // The shared root counts only where this user may change the key; the own root is also read
    // when it happens to be read-only.
    if ((create || !mayCreateFolder) && ::access(root.c_str(), W_OK | X_OK) != 0) return nullptr;

    const std::string path = root + "/" + fileName_;
    mode_t mode = mayCreateFolder ? 0600 : 0644;
    std::string content;
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        struct stat info {};
        bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ReadFile(fd, content);
        ::close(fd);
        if (!ok) return nullptr;
        mode = info.st_mode & 0777;
    } else {
        if (errno != ENOENT || !create) return nullptr;
        // Create the empty key now, as the registry does: it proves the root takes it.
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd < 0 && errno != EEXIST) return nullptr;
        if (fd >= 0) ::close(fd);
    }
    return std::make_unique<FileKeyHandle>(root, fileName_, mode, ParseKeyFile(content));
}

}  // namespace quorvel
#endif
