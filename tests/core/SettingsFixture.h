// The settings store's roots reached without the store, for the settings tests: the key file on
// POSIX systems, the registry on Windows.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "TestUtil.h"
#include "store/Settings.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/RegistryKeyStore.h"
#else
#include <filesystem>
#include <sstream>

#include "platform/FileKeyStore.h"
#endif

namespace settings_fixture {

using namespace quorvel;

// One root of the store, reached without the store.
class RawRoot {
  public:
    virtual ~RawRoot() = default;
    virtual bool Exists() const = 0;
    // The key with no values in it.
    virtual void Clear() = 0;
    // The names of the stored values, in stored order where the store keeps one.
    virtual std::vector<std::string> Names() const = 0;
    virtual std::optional<std::uint32_t> Dword(const std::string& name) const = 0;
    virtual void SetDword(const std::string& name, std::uint32_t value) = 0;
    // Simple texts only (no line breaks, backslashes or control characters).
    virtual void SetText(const std::string& name, const std::string& text) = 0;
    virtual void Remove(const std::string& name) = 0;
    // Everything the root holds, for comparing two states.
    virtual std::string Dump() const = 0;
    // A save cut short inside the value `name`: it and what was written after it are lost.
    virtual void CutAt(const std::string& name) = 0;
    // Damage that leaves nothing of the settings readable.
    virtual void Garble() = 0;
};

// Bytes that make no sense as settings.
inline std::string Garbage(std::size_t size) {
    std::string bytes;
    for (std::size_t i = 0; i < size; ++i) bytes += static_cast<char>((i * 131 + 7) % 256);
    return bytes;
}

#ifdef _WIN32

class RegistryRoot : public RawRoot {
  public:
    RegistryRoot(HKEY root, std::string path) : root_(root), path_(std::move(path)) {}
    ~RegistryRoot() override { RegDeleteTreeA(root_, path_.c_str()); }

    bool Exists() const override {
        HKEY key = Open(KEY_READ);
        if (key) RegCloseKey(key);
        return key != nullptr;
    }
    void Clear() override {
        RegDeleteTreeA(root_, path_.c_str());
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExA(root_, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &key, nullptr),
                  ERROR_SUCCESS);
        if (key) RegCloseKey(key);
    }
    std::vector<std::string> Names() const override {
        std::vector<std::string> names;
        HKEY key = Open(KEY_READ);
        if (!key) return names;
        for (DWORD index = 0;; ++index) {
            char name[256];
            DWORD length = sizeof name;
            if (RegEnumValueA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            names.emplace_back(name, length);
        }
        RegCloseKey(key);
        return names;
    }
    std::optional<std::uint32_t> Dword(const std::string& name) const override {
        HKEY key = Open(KEY_READ);
        if (!key) return std::nullopt;
        DWORD type = 0, value = 0, size = sizeof value;
        const bool read =
            RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                             &size) == ERROR_SUCCESS &&
            type == REG_DWORD;
        RegCloseKey(key);
        return read ? std::optional<std::uint32_t>(value) : std::nullopt;
    }
    void SetDword(const std::string& name, std::uint32_t value) override {
        const DWORD data = value;
        Set(name, REG_DWORD, &data, sizeof data);
    }
    void SetText(const std::string& name, const std::string& text) override {
        Set(name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
    }
    void Remove(const std::string& name) override {
        HKEY key = Open(KEY_SET_VALUE);
        ASSERT_NE(key, nullptr);
        RegDeleteValueA(key, name.c_str());
        RegCloseKey(key);
    }
    std::string Dump() const override {
        std::vector<std::string> entries;
        HKEY key = Open(KEY_READ);
        for (const std::string& name : Names()) {
            DWORD type = 0, size = 0;
            RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size);
            std::string data(size, '\0');
            RegQueryValueExA(key, name.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(data.data()), &size);
            entries.push_back(name + "=" + std::to_string(type) + ":" + data);
        }
        if (key) RegCloseKey(key);
        std::sort(entries.begin(), entries.end());  // a key's values have no order
        std::string dump;
        for (const std::string& entry : entries) dump += entry + "\n";
        return dump;
    }
    void CutAt(const std::string& name) override {
        bool lost = false;
        for (const char* value : kSettingsValueNames) {
            lost = lost || name == value;
            if (lost) Remove(value);
        }
    }
    void Garble() override {
        // Every value of the wrong type, and no marker.
        Clear();
        for (const char* value : kSettingsValueNames) {
            if (std::string(value) == "ParamExist") continue;
            const std::string bytes = Garbage(37);
            Set(value, REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size()));
        }
    }

  private:
    HKEY Open(REGSAM access) const {
        HKEY key = nullptr;
        return RegOpenKeyExA(root_, path_.c_str(), 0, access, &key) == ERROR_SUCCESS ? key
                                                                                     : nullptr;
    }
    void Set(const std::string& name, DWORD type, const void* data, DWORD size) {
        HKEY key = Open(KEY_SET_VALUE);
        ASSERT_NE(key, nullptr);
        EXPECT_EQ(RegSetValueExA(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }

    HKEY root_;
    std::string path_;
};

// The registry store on a key of this process's own under both roots.
struct Store {
    std::string path =
        "SOFTWARE\\Merrow\\QuorvelSettingsTest-" + std::to_string(GetCurrentProcessId());
    RegistryRoot system{HKEY_LOCAL_MACHINE, path};
    RegistryRoot user{HKEY_CURRENT_USER, path};
    RegistryKeyStore store{path};
    bool systemWritable = false;

    Store() {
        system.Clear();
        systemWritable = system.Exists();
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, path.c_str());
        RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
    }
    // Where a first save lands: the machine's root when this user may write it.
    RawRoot& home() { return systemWritable ? static_cast<RawRoot&>(system) : user; }
    static constexpr bool kKeepsOrder = false;
};

#else

inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class KeyFileRoot : public RawRoot {
  public:
    explicit KeyFileRoot(std::string folder) : folder_(std::move(folder)) {}
    std::string file() const { return folder_ + "/Quorvel.conf"; }

    bool Exists() const override { return std::filesystem::exists(folder_); }
    void Clear() override {
        std::filesystem::create_directories(folder_);
        WriteWholeFile(file(), "");
    }
    std::vector<std::string> Names() const override {
        std::vector<std::string> names;
        for (const std::string& line : Lines(ReadWholeFile(file())))
            names.push_back(line.substr(0, line.find('=')));
        return names;
    }
    std::optional<std::uint32_t> Dword(const std::string& name) const override {
        std::optional<std::uint32_t> value;
        const std::string prefix = name + "=dword:";
        for (const std::string& line : Lines(ReadWholeFile(file())))
            if (line.starts_with(name + "="))
                value = line.starts_with(prefix)
                            ? std::optional<std::uint32_t>(std::stoul(line.substr(prefix.size())))
                            : std::nullopt;
        return value;
    }
    void SetDword(const std::string& name, std::uint32_t value) override {
        Replace(name, name + "=dword:" + std::to_string(value));
    }
    void SetText(const std::string& name, const std::string& text) override {
        Replace(name, name + "=sz:" + text);
    }
    void Remove(const std::string& name) override { Replace(name, {}); }
    std::string Dump() const override { return ReadWholeFile(file()); }
    void CutAt(const std::string& name) override {
        // Cut in the middle of the value's name.
        const std::string text = ReadWholeFile(file());
        const auto at = text.find("\n" + name + "=");
        ASSERT_NE(at, std::string::npos) << name;
        WriteWholeFile(file(), text.substr(0, at + 1 + name.size() / 2));
    }
    void Garble() override {
        std::filesystem::create_directories(folder_);
        WriteWholeFile(file(), Garbage(4096));
    }

  private:
    // Drops the value's lines (a cut-off last line is kept) and appends `line` when given.
    void Replace(const std::string& name, const std::string& line) {
        std::string text;
        for (const std::string& kept : Lines(ReadWholeFile(file())))
            if (!kept.starts_with(name + "=")) text += kept + "\n";
        if (!line.empty()) text += line + "\n";
        WriteWholeFile(file(), text);
    }

    std::string folder_;
};

// The key file store on two folders of the test's own; the system folder does not exist until a
// case makes it, so saves land in the user's.
struct Store {
    TempFolder temp;
    KeyFileRoot system{temp.file("etc/Merrow")};
    KeyFileRoot user{temp.file("config/Merrow")};
    FileKeyStore store{temp.file("etc/Merrow"), temp.file("config/Merrow")};
    bool systemWritable = true;

    RawRoot& home() { return user; }
    static constexpr bool kKeepsOrder = true;
};

#endif

// Every value different from its neighbours and from the defaults.
inline SettingsSnapshot DistinctSnapshot() {
    SettingsSnapshot s;
    s.Left = -50;
    s.Top = 31;
    s.Width = 640;
    s.Height = 700;
    s.Pv_Left = 1900;
    s.Pv_Top = -8;
    s.Pv_Width = 811;
    s.Pv_Height = 612;
    s.PanelLeftWidth = 233;
    s.SpeedButtonStayOnTop = true;
    s.SpeedButtonMultiple = false;
    s.SpeedButtonAll = true;
    s.EditAddress = Sj("http://例え.jp/商品?a=1\\b");
    s.EditSubject = Sj("ご質問\r\n２行目\\末尾") + "\t\x01";
    for (int row = 0; row < kSettingsRowCount; ++row) s.K_Height[row] = 46 + row * 20;
    s.KWk_Height = 99;
    return s;
}

}  // namespace settings_fixture
