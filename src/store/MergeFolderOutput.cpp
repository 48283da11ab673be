#include <cstdio>

#include "platform/FileNames.h"
#include "platform/Sjis.h"
#include "sheet/HtmlGenerator.h"
#include "store/DataFile.h"
#include "store/MergeOutputs.h"

namespace quorvel::merge {
namespace {

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
    if (text.size() < suffix.size()) return false;
    text = text.substr(text.size() - suffix.size());
    for (std::size_t i = 0; i < suffix.size(); ++i) {
        const char a = text[i] >= 'A' && text[i] <= 'Z' ? text[i] - 'A' + 'a' : text[i];
        if (a != suffix[i]) return false;
    }
    return true;
}

// A name that would leave the output folder, or that no file system takes.
bool IsUnsafeFileName(std::string_view name) {
    if (name.find("..") != std::string_view::npos) return true;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (sjis::IsLeadByte(c)) {
            ++i;  // a trail byte may be 5C or 7C without being a separator
            continue;
        }
        if (c == '/' || c == '\\' || c == ':' || c < 0x20) return true;
    }
    return false;
}

// The names of a row's files in the order of `renditions`, the tags first when `tags` (code
// page 932 bytes): after "ファイル名", whose ".htm" or ".html" ending the tags keep, else "0001"
// for the first data row.
std::vector<std::string> NamesFor(const std::optional<std::string>& fileName, std::size_t dataRow,
                                  const std::vector<MergeRendition>& renditions, bool tags) {
    std::string stem;
    std::string tagsName;
    if (fileName) {
        const bool html = EndsWithNoCase(*fileName, ".html");
        if (html || EndsWithNoCase(*fileName, ".htm")) {
            stem = fileName->substr(0, fileName->size() - (html ? 5 : 4));
            tagsName = *fileName;
        } else {
            stem = *fileName;
            tagsName = stem + ".html";
        }
    } else {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%04zu", dataRow);
        stem = buffer;
        tagsName = stem + ".html";
    }
    std::vector<std::string> names;
    if (tags) names.push_back(tagsName);
    for (std::size_t i = names.size(); i < renditions.size(); ++i)
        names.push_back(stem + renditions[i].suffix);
    return names;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    const char last = folder.back();
    return last == '/' || last == '\\' ? folder + name : folder + "/" + name;
}

}  // namespace

std::string WriteFailedText(const std::string& path) {
    return "ファイル " + filenames::ToUtf8(path) +
           " に書き込めません (ストリームへの書き込みエラー)";
}

FolderOutput::FolderOutput(std::string folder, const MergeOptions& options)
    : folderPath_(std::move(folder)), tags_(options.tags) {
    if (tags_)
        renditions_.push_back(
            {".html", {}, [](const TDescriptionSheet& sheet) { return BuildHtmlTags(sheet); }});
    if (options.dataFiles)
        renditions_.push_back(
            {".qvl", {}, [](const TDescriptionSheet& sheet) { return BuildDataImage(sheet); }});
    for (const MergeRendition& rendition : options.renditions)
        if (!rendition.suffix.empty()) renditions_.push_back(rendition);
}

std::optional<FileError> FolderOutput::Open(const fileio::InputFile&) {
    if (folder_.Open(folderPath_)) return std::nullopt;
    return FileError{"フォルダ " + filenames::ToUtf8(folderPath_) + " は開けません", kMergeCaption};
}

std::optional<std::string> FolderOutput::Produce(const CsvRecord& record, const PreparedRow& row,
                                                 const TDescriptionSheet& sheet) {
    const std::string& label = row.fileNameLabel;
    if (row.fileName && IsUnsafeFileName(*row.fileName))
        return label + "ファイル名「" + sjis::ToUtf8(*row.fileName) +
               "」にはパス区切りや「..」を使えません";
    const std::vector<std::string> names = NamesFor(row.fileName, record.row, renditions_, tags_);
    for (const std::string& name : names) {
        if (const auto earlier = taken_.Find(name))
            return label + "ファイル名「" + sjis::ToUtf8(name) + "」は " +
                   std::to_string(*earlier + 1) + "行目と重なっています";
    }
    for (const std::string& name : names) taken_.Take(name, record.row);

    std::vector<std::string> systemNames;
    for (const std::string& name : names) {
        auto systemName = filenames::FromSjis(name);
        if (!systemName)
            return label + "ファイル名「" + sjis::ToUtf8(name) +
                   "」はこのシステムのファイル名にできません";
        systemNames.push_back(std::move(*systemName));
    }
    for (std::size_t i = 0; i < renditions_.size(); ++i) {
        const std::string path = JoinPath(folderPath_, systemNames[i]);
        switch (folder_.Replace(systemNames[i], renditions_[i].render(sheet))) {
            case fileio::EntryOutcome::Ok:
                break;
            case fileio::EntryOutcome::NotAFile:
                return "ファイル " + filenames::ToUtf8(path) +
                       " は通常のファイルではないため書き込みません";
            case fileio::EntryOutcome::CannotCreate:
                return CannotCreateError(path, kMergeCaption).message;
            case fileio::EntryOutcome::WriteFailed:
                // Most often a full disk: every later row would fail the same way.
                fatal = true;
                return WriteFailedText(path);
        }
    }
    return std::nullopt;
}

std::optional<FileError> FolderOutput::Finish(bool) {
    folder_.Sync();
    return std::nullopt;
}

}  // namespace quorvel::merge
