#ifndef _WIN32

#include "platform/FileKeyStore.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <utility>
#include <vector>

#include "platform/FileIo.h"
#include "platform/Sjis.h"

namespace quorvel {
namespace {

// A settings file is a few hundred bytes; anything far larger is not ours to read whole.
constexpr std::size_t kMaxFileBytes = 1u << 20;

enum class ValueType { Dword, String };

struct Value {
    std::string name;
    ValueType type = ValueType::Dword;
    std::uint32_t dword = 0;
    std::string text;
};

constexpr char kHexDigits[] = "0123456789ABCDEF";

void AppendByteEscape(std::string& out, unsigned char byte) {
    out += "\\x";
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 0xF];
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The code point of UTF-8 text that holds exactly one character.
std::optional<char32_t> SingleCodePoint(std::string_view utf8) {
    if (utf8.empty()) return std::nullopt;
    auto lead = static_cast<unsigned char>(utf8[0]);
    std::size_t length = lead < 0x80    ? 1
                         : lead >= 0xF0 ? 4
                         : lead >= 0xE0 ? 3
                         : lead >= 0xC0 ? 2
                                        : 0;
    if (length == 0 || length != utf8.size()) return std::nullopt;
    char32_t cp = length == 1 ? lead : lead & (0x3F >> (length - 1));
    for (std::size_t i = 1; i < length; ++i) cp = (cp << 6) | (utf8[i] & 0x3F);
    return cp;
}

// A character worth showing as itself: printable and not one of the private or replacement code
// points, which would look like nothing in an editor.
bool Readable(char32_t cp) {
    if (cp < 0x20 || cp == 0x7F || (cp >= 0x80 && cp < 0xA0)) return false;
    if (cp >= 0xE000 && cp <= 0xF8FF) return false;
    return cp != 0xFFFD;
}

bool SameName(std::string_view a, std::string_view b) {
    // Value names, like the registry's, ignore ASCII case.
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

std::string EncodeName(std::string_view name) {
    std::string encoded = EncodeKeyFileText(name);
    std::string out;
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        char c = encoded[i];
        bool edge = i == 0 || i + 1 == encoded.size();
        // '=' ends the name; '#', ';' would start a comment and edge blanks would be trimmed.
        if (c == '=' || (i == 0 && (c == '#' || c == ';')) || (edge && c == ' '))
            AppendByteEscape(out, static_cast<unsigned char>(c));
        else
            out += c;
    }
    return out;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

Value* Find(std::vector<Value>& values, std::string_view name) {
    for (auto& value : values)
        if (SameName(value.name, name)) return &value;
    return nullptr;
}

std::optional<Value> ParseLine(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#' || line.front() == ';') return std::nullopt;
    auto equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    auto name = DecodeKeyFileText(Trim(line.substr(0, equals)));
    if (!name || name->empty()) return std::nullopt;
    Value value;
    value.name = std::move(*name);
    std::string_view data = line.substr(equals + 1);
    if (data.starts_with("dword:")) {
        data.remove_prefix(6);
        if (data.empty() || data.size() > 10) return std::nullopt;
        std::uint64_t number = 0;
        auto [end, error] = std::from_chars(data.data(), data.data() + data.size(), number);
        if (error != std::errc() || end != data.data() + data.size() || number > 0xFFFFFFFFu)
            return std::nullopt;
        value.type = ValueType::Dword;
        value.dword = static_cast<std::uint32_t>(number);
        return value;
    }
    if (data.starts_with("sz:")) {
        auto text = DecodeKeyFileText(data.substr(3));
        if (!text) return std::nullopt;
        value.type = ValueType::String;
        value.text = std::move(*text);
        return value;
    }
    return std::nullopt;
}

std::vector<Value> ParseFile(std::string_view content) {
    if (content.starts_with("\xEF\xBB\xBF")) content.remove_prefix(3);
    std::vector<Value> values;
    while (!content.empty()) {
        auto end = content.find('\n');
        std::string_view line = content.substr(0, end);
        content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
        auto value = ParseLine(line);
        if (!value) continue;
        // A name given twice keeps its first place and its last value.
        if (Value* existing = Find(values, value->name))
            *existing = std::move(*value);
        else
            values.push_back(std::move(*value));
    }
    return values;
}

std::string FormatFile(const std::vector<Value>& values) {
    std::string out;
    for (const auto& value : values) {
        out += EncodeName(value.name);
        if (value.type == ValueType::Dword)
            out += "=dword:" + std::to_string(value.dword);
        else
            out += "=sz:" + EncodeKeyFileText(value.text);
        out += '\n';
    }
    return out;
}

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
    FileKeyHandle(std::string folder, std::string fileName, mode_t mode, std::vector<Value> values)
        : folder_(std::move(folder)),
          fileName_(std::move(fileName)),
          mode_(mode),
          values_(std::move(values)) {}

    ~FileKeyHandle() override {
        if (dirty_) Commit();
    }

    bool Exists(const std::string& name) const override { return FindConst(name) != nullptr; }

    std::optional<std::uint32_t> ReadDword(const std::string& name) const override {
        const Value* value = FindConst(name);
        if (!value || value->type != ValueType::Dword) return std::nullopt;
        return value->dword;
    }

    std::optional<std::string> ReadString(const std::string& name) const override {
        const Value* value = FindConst(name);
        if (!value || value->type != ValueType::String) return std::nullopt;
        return value->text;
    }

    void WriteDword(const std::string& name, std::uint32_t number) override {
        Value value;
        value.name = name;
        value.type = ValueType::Dword;
        value.dword = number;
        Put(std::move(value));
    }

    void WriteString(const std::string& name, const std::string& bytes) override {
        Value value;
        value.name = name;
        value.type = ValueType::String;
        value.text = bytes;
        Put(std::move(value));
    }

    bool Commit() override {
        if (!dirty_) return true;
        // The old file stays whole until the new one is on disk.
        if (fileio::ReplaceFileContents(folder_ + "/" + fileName_, FormatFile(values_), mode_) !=
            fileio::WriteOutcome::Ok)
            return false;
        dirty_ = false;
        return true;
    }

  private:
    const Value* FindConst(std::string_view name) const {
        for (const auto& value : values_)
            if (SameName(value.name, name)) return &value;
        return nullptr;
    }

    // The file lists values in the order they were last written.
    void Put(Value value) {
        for (auto it = values_.begin(); it != values_.end(); ++it) {
            if (SameName(it->name, value.name)) {
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
    std::vector<Value> values_;
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

bool Absolute(const char* path) {
    return path && path[0] == '/';
}

}  // namespace

std::string EncodeKeyFileText(std::string_view cp932) {
    std::string out;
    std::size_t i = 0;
    while (i < cp932.size()) {
        auto byte = static_cast<unsigned char>(cp932[i]);
        std::size_t length = sjis::IsLeadByte(byte) && i + 1 < cp932.size() ? 2 : 1;
        std::string_view piece = cp932.substr(i, length);
        i += length;
        if (byte < 0x80) {
            switch (byte) {
                case '\\':
                    out += "\\\\";
                    break;
                case '\r':
                    out += "\\r";
                    break;
                case '\n':
                    out += "\\n";
                    break;
                case '\t':
                    out += "\\t";
                    break;
                default:
                    if (byte < 0x20 || byte == 0x7F)
                        AppendByteEscape(out, byte);
                    else
                        out += static_cast<char>(byte);
            }
            continue;
        }
        // A character goes in as UTF-8 only when it comes back as the same bytes; duplicates in
        // code page 932 and bytes without a character are kept as escapes.
        std::string utf8 = sjis::ToUtf8(piece);
        auto cp = SingleCodePoint(utf8);
        auto back = sjis::FromUtf8(utf8);
        if (cp && Readable(*cp) && back.ok() && back.bytes == piece) {
            out += utf8;
        } else {
            for (char c : piece) AppendByteEscape(out, static_cast<unsigned char>(c));
        }
    }
    return out;
}

std::optional<std::string> DecodeKeyFileText(std::string_view escaped) {
    std::string out;
    std::string run;
    auto flush = [&]() {
        if (run.empty()) return true;
        auto bytes = sjis::FromUtf8(run);
        if (!bytes.ok()) return false;
        out += bytes.bytes;
        run.clear();
        return true;
    };
    for (std::size_t i = 0; i < escaped.size(); ++i) {
        char c = escaped[i];
        if (c != '\\') {
            run += c;
            continue;
        }
        if (!flush() || i + 1 >= escaped.size()) return std::nullopt;
        switch (escaped[++i]) {
            case '\\':
                out += '\\';
                break;
            case 'r':
                out += '\r';
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'x': {
                if (i + 2 >= escaped.size()) return std::nullopt;
                int high = HexValue(escaped[i + 1]), low = HexValue(escaped[i + 2]);
                if (high < 0 || low < 0) return std::nullopt;
                out += static_cast<char>(high * 16 + low);
                i += 2;
                break;
            }
            default:
                return std::nullopt;
        }
    }
    if (!flush()) return std::nullopt;
    return out;
}

FileKeyStore::FileKeyStore(std::string systemRoot, std::string userRoot, std::string fileName)
    : systemRoot_(std::move(systemRoot)),
      userRoot_(std::move(userRoot)),
      fileName_(std::move(fileName)) {}

std::string FileKeyStore::DefaultSystemRoot() {
    return "/etc/xdg/Merrow";
}

std::string FileKeyStore::DefaultUserRoot() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (Absolute(config)) return std::string(config) + "/Merrow";
    const char* home = std::getenv("HOME");
    if (!Absolute(home)) {
        const passwd* entry = ::getpwuid(::getuid());
        home = entry ? entry->pw_dir : nullptr;
    }
    if (!Absolute(home)) return {};
    return std::string(home) + "/.config/Merrow";
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
    return std::make_unique<FileKeyHandle>(root, fileName_, mode, ParseFile(content));
}

}  // namespace quorvel

#endif
