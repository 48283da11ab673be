#include "store/RecoveryStore.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <random>
#include <set>

#include "platform/FileIo.h"
#include "platform/FolderFiles.h"
#include "platform/PrivateFolder.h"
#include "store/DataFile.h"

namespace quorvel {
namespace {

constexpr std::string_view kFolderName = "復元用フォルダ";

// Header: magic, format version, path length, CRC-32 of everything after the header. Copies are
// written atomically, so a bad copy means outside damage; the checks make it show.
constexpr char kMagic[16] = "QuorvelRecovery";  // 15 letters and the NUL
constexpr std::uint32_t kVersion = 1;
constexpr std::size_t kHeaderSize = 28;
constexpr std::size_t kMaxPathBytes = 65536;
constexpr unsigned kPrivateFileMode = 0600;

constexpr char kCopyExtension[] = ".qvr";
constexpr char kLockExtension[] = ".lock";
constexpr char kDamagedExtension[] = ".damaged";

// A killed write of copy `id` leaves a temporary with this prefix beside it.
std::string TemporaryPrefix(const std::string& id) {
    return "." + id + kCopyExtension + ".";
}

std::uint32_t Crc32(std::string_view bytes) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> entries{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            entries[n] = c;
        }
        return entries;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char byte : bytes)
        crc = table[(crc ^ static_cast<unsigned char>(byte)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

void AppendU32(std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::uint32_t ReadU32(std::string_view bytes, std::size_t offset) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[offset + i]))
                 << (8 * i);
    return value;
}

// A name no other process picks: 64 random bits, mixed with the clock in case the system's
// random source is weak.
std::string NewCopyId() {
    std::random_device device;
    std::uint64_t bits = (static_cast<std::uint64_t>(device()) << 32) ^ device();
    bits ^= static_cast<std::uint64_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count());
    static const char digits[] = "0123456789abcdef";
    std::string id(16, '0');
    for (char& digit : id) {
        digit = digits[bits & 0xF];
        bits >>= 4;
    }
    return id;
}

// Only names this store makes are ever touched in the folder.
bool IsCopyId(std::string_view id) {
    return id.size() == 16 && std::all_of(id.begin(), id.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

std::optional<std::string> IdFromName(const std::string& name) {
    for (const std::string_view extension : {kCopyExtension, kLockExtension}) {
        if (name.size() > extension.size() &&
            name.compare(name.size() - extension.size(), extension.size(), extension) == 0) {
            std::string id = name.substr(0, name.size() - extension.size());
            if (IsCopyId(id)) return id;
        }
    }
    return std::nullopt;
}

}  // namespace

std::string EncodeRecoveryCopy(const TDescriptionSheet& sheet, const std::string& fileName) {
    std::string payload = fileName + BuildDataImage(sheet);
    std::string bytes(kMagic, sizeof kMagic);
    AppendU32(bytes, kVersion);
    AppendU32(bytes, static_cast<std::uint32_t>(fileName.size()));
    AppendU32(bytes, Crc32(payload));
    bytes += payload;
    return bytes;
}

std::optional<RecoveredSheet> DecodeRecoveryCopy(std::string_view bytes) {
    if (bytes.size() < kHeaderSize) return std::nullopt;
    if (std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) return std::nullopt;
    if (ReadU32(bytes, 16) != kVersion) return std::nullopt;
    const std::size_t pathLength = ReadU32(bytes, 20);
    if (pathLength > kMaxPathBytes || bytes.size() != kHeaderSize + pathLength + kDataFileSize)
        return std::nullopt;
    const std::string_view payload = bytes.substr(kHeaderSize);
    if (Crc32(payload) != ReadU32(bytes, 24)) return std::nullopt;
    const std::string_view path = payload.substr(0, pathLength);
    if (path.find('\0') != std::string_view::npos) return std::nullopt;

    RecoveredSheet recovered;
    if (ApplyDataImage(recovered.sheet, payload.substr(pathLength))) return std::nullopt;
    recovered.fileName.assign(path);
    for (int index = 0; index < kCellCount; ++index) {
        TSheetCell& cell = recovered.sheet.CellAt(index);
        cell.Modified = !cell.Text.empty();
    }
    return recovered;
}

RecoveryStore::RecoveryStore(std::string folder)
    : folder_(folder.empty() ? DefaultFolder() : std::move(folder)) {}

RecoveryStore::~RecoveryStore() = default;

std::string RecoveryStore::DefaultFolder() {
    const std::string state = UserStateFolder();
    if (state.empty()) return {};
    const char separator = PathSeparator();
    return state + separator + "Merrow" + separator + "Quorvel" + separator + "recovery";
}

std::string RecoveryStore::PathOf(const std::string& id, const char* extension) const {
    return folder_ + PathSeparator() + id + extension;
}

bool RecoveryStore::Write(const TDescriptionSheet& sheet, const std::string& fileName) {
    if (folder_.empty() || fileName.size() > kMaxPathBytes) return false;
    if (!lock_.Held()) {
        const PrivateFolderCheck check = MakePrivateFolder(folder_, kFolderName);
        folderProblem_ = check.problem;
        if (!check.usable()) return false;
        // The lock comes first: a copy is never on disk without its owner's lock.
        for (int attempt = 0; attempt < 3 && !lock_.Held(); ++attempt) {
            const std::string id = NewCopyId();
            if (RegularFileFacts(PathOf(id, kCopyExtension))) continue;
            if (lock_.TryLock(PathOf(id, kLockExtension))) id_ = id;
        }
        if (!lock_.Held()) return false;
    }
    return fileio::ReplaceFileContents(PathOf(id_, kCopyExtension),
                                       EncodeRecoveryCopy(sheet, fileName), kPrivateFileMode,
                                       TemporaryPrefix(id_)) == fileio::WriteOutcome::Ok;
}

void RecoveryStore::Remove() {
    if (!lock_.Held()) return;
    DeleteFiles(id_, lock_);
    id_.clear();
}

void RecoveryStore::DeleteFiles(const std::string& id, FileLock& lock) {
    DeleteFileAt(PathOf(id, kCopyExtension));
    // A write cut short by a crash can leave its hidden temporary file beside the copy.
    const std::string leftover = TemporaryPrefix(id);
    for (const std::string& name : FolderEntries(folder_)) {
        if (name.compare(0, leftover.size(), leftover) != 0) continue;
        const std::string path = folder_ + PathSeparator() + name;
        const std::optional<FileFacts> facts = RegularFileFacts(path);
        if (facts && facts->ownedByUser) DeleteFileAt(path);
    }
    // The lock file goes last, while still held, so the copy is never seen unowned.
    lock.ReleaseAndRemove();
}

std::vector<RecoveryCopy> RecoveryStore::ListOrphans() {
    std::vector<RecoveryCopy> orphans;
    if (folder_.empty()) return orphans;
    // What another user could have put there is neither offered nor deleted.
    const PrivateFolderCheck check = CheckPrivateFolder(folder_, kFolderName);
    folderProblem_ = check.problem;
    if (!check.usable()) return orphans;
    std::set<std::string> ids;
    for (const std::string& name : FolderEntries(folder_))
        if (auto id = IdFromName(name)) ids.insert(*id);
    for (const std::string& id : ids) {
        if (lock_.Held() && id == id_) continue;
        const std::optional<FileFacts> lockFacts = RegularFileFacts(PathOf(id, kLockExtension));
        const std::optional<FileFacts> copyFacts = RegularFileFacts(PathOf(id, kCopyExtension));
        if ((lockFacts && !lockFacts->ownedByUser) || (copyFacts && !copyFacts->ownedByUser))
            continue;
        RecoveryCopy copy;
        // A lock that cannot be had belongs to a live process (or to a listing elsewhere).
        if (!copy.lock_.TryLock(PathOf(id, kLockExtension))) continue;
        copy.id_ = id;
        copy.file_ = PathOf(id, kCopyExtension);
        const std::optional<FileFacts> facts = RegularFileFacts(copy.file_);
        if (!facts) {
            // Its process died before writing anything: only the marker is left.
            DeleteFiles(id, copy.lock_);
            continue;
        }
        if (!facts->ownedByUser) continue;
        copy.lastWritten_ = facts->lastWritten;
        copy.writtenAt_ = facts->writtenAt;
        orphans.push_back(std::move(copy));
    }
    std::sort(orphans.begin(), orphans.end(), [](const RecoveryCopy& a, const RecoveryCopy& b) {
        if (a.lastWritten_ != b.lastWritten_) return a.lastWritten_ > b.lastWritten_;
        return a.id_ < b.id_;
    });
    return orphans;
}

std::optional<RecoveredSheet> RecoveryStore::Read(const RecoveryCopy& copy) const {
    const std::optional<FileFacts> facts = RegularFileFacts(copy.file_);
    if (!facts || facts->size < kHeaderSize ||
        facts->size > kHeaderSize + kMaxPathBytes + kDataFileSize)
        return std::nullopt;
    std::string bytes;
    if (fileio::ReadFilePrefix(copy.file_, static_cast<std::size_t>(facts->size), bytes) !=
        fileio::ReadOutcome::Ok)
        return std::nullopt;
    return DecodeRecoveryCopy(bytes);
}

void RecoveryStore::Delete(RecoveryCopy&& copy) {
    if (!copy.lock_.Held()) return;
    DeleteFiles(copy.id_, copy.lock_);
}

std::string RecoveryStore::MoveAside(RecoveryCopy&& copy) {
    if (!copy.lock_.Held()) return {};
    // Each damaged copy is renamed once; the renamed file no longer looks like a copy.
    std::string aside;
    for (int attempt = 0; attempt < 10 && aside.empty(); ++attempt) {
        std::string candidate = copy.file_ + kDamagedExtension;
        if (attempt > 0) candidate += std::to_string(attempt);
        if (RenameFileAt(copy.file_, candidate)) aside = std::move(candidate);
    }
    if (aside.empty()) return {};
    DeleteFiles(copy.id_, copy.lock_);
    return aside;
}

void RecoveryStore::Adopt(RecoveryCopy&& copy) {
    if (!copy.lock_.Held()) return;
    Remove();
    id_ = std::move(copy.id_);
    lock_ = std::move(copy.lock_);
}

}  // namespace quorvel
