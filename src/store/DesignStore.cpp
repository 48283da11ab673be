#include "store/DesignStore.h"

#include <algorithm>
#include <cstdlib>

#include "platform/FileNames.h"
#include "platform/FolderFiles.h"
#include "platform/PrivateFolder.h"
#include "platform/Sjis.h"
#ifndef _WIN32
#include "platform/FileKeyStore.h"
#endif

namespace quorvel {

namespace {

const char kSaveCaption[] = "デザイン保存";
const char kLoadCaption[] = "デザイン読み込み";
const char kRenameCaption[] = "デザイン名の変更";
const char kDeleteCaption[] = "デザイン削除";

bool endsWith(const std::string& text, std::string_view end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

// Names Windows keeps for devices, whatever follows a dot.
bool reservedOnWindows(const std::string& stem) {
    std::string base = stem.substr(0, stem.find('.'));
    for (char& c : base)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL"};
    for (const char* device : kDevices)
        if (base == device) return true;
    return base.size() == 4 && (base.starts_with("COM") || base.starts_with("LPT")) &&
           base[3] >= '1' && base[3] <= '9';
}

// The name as a file's stem that every system the program runs on takes: the characters file
// systems refuse become "_", and so do a leading dot (a hidden file) and trailing dots and spaces
// (Windows drops them, so two names would meet in one file).
std::string safeStem(const std::string& name) {
    std::string stem;
    for (unsigned char c : name) {
        const bool refused = c < 0x20 || c == 0x7F ||
                             std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos;
        stem += refused ? '_' : static_cast<char>(c);
    }
    if (stem.front() == '.') stem.front() = '_';
    if (stem.back() == '.' || stem.back() == ' ') stem.back() = '_';
    if (reservedOnWindows(stem)) stem.insert(0, "_");
    return stem;
}

// Whether two names in one folder are one file: Windows folds the case of ASCII letters.
bool sameFile(const std::string& a, const std::string& b) {
#ifdef _WIN32
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
#else
    return a == b;
#endif
}

std::size_t characters(const std::string& utf8) {
    std::size_t count = 0, pos = 0;
    while (pos < utf8.size()) {
        if (!sjis::NextUtf8(utf8, pos)) return std::string::npos;
        ++count;
    }
    return count;
}

// Only plain files are read: a link may lead anywhere, and a FIFO or device would hold the read
// or have effects of its own. Empty for a plain file.
std::string notAPlainFile(EntryKind kind) {
    switch (kind) {
        case EntryKind::Link:
            return "リンクです（リンク先は読み込みません）";
        case EntryKind::Folder:
            return "フォルダです";
        case EntryKind::Other:
            return "通常のファイルではありません";
        case EntryKind::Missing:
        case EntryKind::Regular:
            break;
    }
    return {};
}

DesignFileRead readDesignAt(const std::string& path) {
    const auto facts = RegularFileFacts(path);
    std::string bytes;
    if (!facts) return {std::nullopt, CannotOpenError(path, kLoadCaption).message};
    if (!facts->ownedByUser) return {std::nullopt, "他のユーザーのファイルです"};
    if (facts->size > kDesignFileMaxBytes) return {std::nullopt, "デザインファイルではありません"};
    if (fileio::ReadFilePrefix(path, facts->size, bytes) != fileio::ReadOutcome::Ok)
        return {std::nullopt, CannotOpenError(path, kLoadCaption).message};
    return ReadDesignFile(bytes);
}

}  // namespace

DesignStore::DesignStore(std::string folder)
    : folder_(folder.empty() ? DefaultFolder() : std::move(folder)) {}

std::string DesignStore::DefaultFolder() {
#ifdef _WIN32
    // Roaming, like the registry key under HKEY_CURRENT_USER the settings fall back to.
    const std::string appData = filenames::PathFromEnvironment(L"APPDATA");
    if (appData.empty()) return {};
    return appData + "\\Merrow\\Quorvel\\designs";
#else
    const std::string root = FileKeyStore::DefaultUserRoot();
    if (root.empty()) return {};
    return root + "/Quorvel/designs";
#endif
}

std::string DesignStore::pathOf(const std::string& fileName) const {
    return folder_ + PathSeparator() + fileName;
}

std::optional<FileError> DesignStore::ensureFolder(const char* caption) const {
    const PrivateFolderCheck check = MakePrivateFolder(folder_, kDesignFolderName);
    if (check.usable()) return std::nullopt;
    return FileError{check.problem, caption};
}

DesignStore::NameCheck DesignStore::CheckName(const std::string& typedUtf8) {
    NameCheck check;
    check.name = trimmed(typedUtf8);
    const std::size_t length = characters(check.name);
    if (check.name.empty()) {
        check.problem = "デザインの名前を入力してください";
    } else if (length == std::string::npos) {
        check.problem = "この名前は使えません";
    } else if (length > kDesignNameMaxChars) {
        check.problem =
            "デザインの名前は " + std::to_string(kDesignNameMaxChars) + " 文字までにしてください";
    } else {
        // The name must also be spelled in the system's file names.
        const auto sjisName = sjis::FromUtf8(safeStem(check.name) + kDesignExtension);
        const auto system = sjisName.ok() ? filenames::FromSjis(sjisName.bytes) : std::nullopt;
        if (system)
            check.fileName = *system;
        else
            check.problem = "この名前にはファイル名に使えない文字があります";
    }
    return check;
}

DesignStore::Listing DesignStore::List() const {
    Listing listing;
    // What others could have planted in a folder not ours alone is not read at all.
    const PrivateFolderCheck folder = CheckPrivateFolder(folder_, kDesignFolderName);
    if (!folder.usable()) {
        listing.folderProblem = folder.problem;
        return listing;
    }
    for (const std::string& fileName : FolderEntries(folder_)) {
        if (!endsWith(fileName, kDesignExtension)) continue;
        const std::string path = pathOf(fileName);
        const EntryKind kind = EntryKindAt(path);
        if (kind == EntryKind::Missing) continue;  // gone since the folder was read
        std::string problem = notAPlainFile(kind);
        if (problem.empty()) {
            DesignFileRead read = readDesignAt(path);
            if (read.contents) {
                listing.designs.push_back(
                    {std::move(read.contents->name), fileName, read.contents->design});
                continue;
            }
            problem = std::move(read.error);
        }
        listing.problems.push_back({fileName, std::move(problem)});
    }
    std::sort(listing.designs.begin(), listing.designs.end(),
              [](const Entry& a, const Entry& b) { return a.name < b.name; });
    std::sort(listing.problems.begin(), listing.problems.end(),
              [](const Problem& a, const Problem& b) { return a.fileName < b.fileName; });
    return listing;
}

bool DesignStore::Exists(const std::string& nameUtf8) const {
    const NameCheck check = CheckName(nameUtf8);
    return check.ok() && RegularFileFacts(pathOf(check.fileName)).has_value();
}

std::optional<FileError> DesignStore::Save(const std::string& nameUtf8, const Design& design) {
    const NameCheck check = CheckName(nameUtf8);
    if (!check.ok()) return FileError{check.problem, kSaveCaption};
    if (auto error = ensureFolder(kSaveCaption)) return error;
    return ReplaceFileOrError(pathOf(check.fileName), WriteDesignFile(check.name, design),
                              kSaveCaption);
}

std::optional<FileError> DesignStore::Rename(const std::string& fileName,
                                             const std::string& newNameUtf8) {
    const NameCheck check = CheckName(newNameUtf8);
    if (!check.ok()) return FileError{check.problem, kRenameCaption};
    const std::string from = pathOf(fileName);
    const DesignFileRead read = readDesignAt(from);
    if (!read.contents) return FileError{read.error, kRenameCaption};
    // The new file is written before the old one goes, so a failure loses nothing.
    if (auto error =
            ReplaceFileOrError(pathOf(check.fileName),
                               WriteDesignFile(check.name, read.contents->design), kRenameCaption))
        return error;
    if (!sameFile(check.fileName, fileName) && !DeleteFileAt(from))
        return FileError{"ファイル " + filenames::ToUtf8(from) + " を削除できません",
                         kRenameCaption};
    return std::nullopt;
}

std::optional<FileError> DesignStore::Delete(const std::string& fileName) {
    const std::string path = pathOf(fileName);
    if (DeleteFileAt(path)) return std::nullopt;
    return FileError{"ファイル " + filenames::ToUtf8(path) + " を削除できません", kDeleteCaption};
}

}  // namespace quorvel
