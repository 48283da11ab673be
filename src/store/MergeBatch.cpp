#include "store/MergeBatch.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>

#include "platform/FileIo.h"
#include "platform/FileNames.h"
#include "platform/Sjis.h"
#include "sheet/HtmlGenerator.h"
#include "sheet/ListingMerge.h"
#include "store/DataFile.h"

namespace quorvel {
namespace {

constexpr std::string_view kFileNameColumn = "ファイル名";

// ---- columns ------------------------------------------------------------------------------------

struct Column {
    std::string label;  // "C列「項目１」", for messages
    std::optional<int> tag;
    bool fileName = false;
    bool used() const { return tag || fileName; }
};

// "A", "B", … "Z", "AA": the letters a spreadsheet program shows above the column.
std::string ColumnLetters(std::size_t index) {
    std::string letters;
    for (std::size_t n = index + 1; n > 0; n = (n - 1) / 26)
        letters.insert(letters.begin(), static_cast<char>('A' + (n - 1) % 26));
    return letters;
}

std::string ToUserText(const std::string& field, CsvEncoding encoding) {
    return encoding == CsvEncoding::Utf8 ? field : sjis::ToUtf8(field);
}

std::string Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

std::vector<Column> ReadHeader(const CsvRow& header, CsvEncoding encoding,
                               std::vector<std::string>& ignored) {
    std::vector<Column> columns;
    bool fileNameTaken = false;
    std::vector<int> tagsTaken;
    for (std::size_t k = 0; k < header.size(); ++k) {
        const std::string name = Trimmed(ToUserText(header[k], encoding));
        Column column;
        column.label = ColumnLetters(k) + "列" + (name.empty() ? "" : "「" + name + "」");
        const auto tag = CellTagForCaption(name);
        // A name used twice fills its cell from the first of them only.
        if (tag && std::find(tagsTaken.begin(), tagsTaken.end(), *tag) == tagsTaken.end()) {
            column.tag = tag;
            tagsTaken.push_back(*tag);
        } else if (name == kFileNameColumn && !fileNameTaken) {
            column.fileName = true;
            fileNameTaken = true;
        } else {
            ignored.push_back(column.label);
        }
        columns.push_back(std::move(column));
    }
    return columns;
}

// ---- one row's texts ----------------------------------------------------------------------------

std::string Utf8Text(char32_t ch) {
    std::string out;
    sjis::AppendUtf8(out, ch);
    return out;
}

std::string CodePointText(char32_t ch) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(ch));
    return buffer;
}

std::string HexBytes(std::string_view bytes) {
    std::string out;
    for (const char b : bytes) {
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, "%s%02X", out.empty() ? "" : " ",
                      static_cast<unsigned char>(b));
        out += buffer;
    }
    return out;
}

// The field as code page 932 bytes, or why it has none (UTF-8 text for the user).
struct Converted {
    std::string bytes;
    std::string problem;
};

Converted ToSheetBytes(const std::string& field, CsvEncoding encoding) {
    if (encoding == CsvEncoding::Utf8) {
        auto result = sjis::FromUtf8(field);
        if (result.ok()) return {std::move(result.bytes), {}};
        if (result.badChar == U'\uFFFD' && !IsValidUtf8(field))
            return {{}, "UTF-8 として読めないバイトがあります"};
        return {{},
                "Shift_JIS にない文字「" + Utf8Text(result.badChar) + "」(" +
                    CodePointText(result.badChar) + ") があります"};
    }
    // Code page 932 input: every character must decode and encode back to the same bytes.
    std::size_t i = 0;
    while (i < field.size()) {
        const bool wide = sjis::IsLeadByte(static_cast<unsigned char>(field[i]));
        const std::string_view one = std::string_view(field).substr(i, wide ? 2 : 1);
        const auto back = sjis::FromUtf8(sjis::ToUtf8(one));
        if (!back.ok() || back.bytes != one)
            return {{}, "Shift_JIS として読めないバイト " + HexBytes(one) + " があります"};
        i += one.size();
    }
    return {field, {}};
}

struct PreparedRow {
    std::vector<ListingText> texts;
    std::optional<std::string> fileName;  // code page 932 bytes
    std::string fileNameLabel;            // "A列「ファイル名」: ", for messages
    std::string problem;                  // empty when the row can be produced
};

PreparedRow PrepareRow(const CsvRow& row, const std::vector<Column>& columns,
                       CsvEncoding encoding) {
    PreparedRow prepared;
    for (std::size_t k = columns.size(); k < row.size(); ++k) {
        if (!row[k].empty()) {
            prepared.problem = ColumnLetters(k) + "列: 見出しのない列に値があります";
            return prepared;
        }
    }
    for (std::size_t k = 0; k < columns.size(); ++k) {
        const Column& column = columns[k];
        if (!column.used()) continue;
        static const std::string kMissing;
        const std::string& field = k < row.size() ? row[k] : kMissing;
        Converted converted = ToSheetBytes(field, encoding);
        if (!converted.problem.empty()) {
            prepared.problem = column.label + ": " + converted.problem;
            return prepared;
        }
        if (column.fileName) {
            prepared.fileNameLabel = column.label + ": ";
            if (!converted.bytes.empty()) prepared.fileName = std::move(converted.bytes);
            continue;
        }
        std::string text = WithSheetLineBreaks(converted.bytes);
        if (text.size() > static_cast<std::size_t>(kCellMaxInputBytes)) {
            prepared.problem = column.label + ": " + std::to_string(text.size()) + " バイトあり、" +
                               std::to_string(kCellMaxInputBytes) + " バイトを超えています";
            return prepared;
        }
        prepared.texts.push_back({*column.tag, std::move(text)});
    }
    return prepared;
}

bool IsBlankRow(const CsvRow& row) {
    for (const std::string& field : row)
        if (!field.empty()) return false;
    return true;
}

std::string RowPrefix(std::size_t recordIndex) {
    return std::to_string(recordIndex + 1) + "行目 ";
}

// ---- reading and writing ------------------------------------------------------------------------

std::optional<FileError> ReadSpreadsheet(const std::string& path, const MergeOptions& options,
                                         CsvTable& table) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return CannotOpenError(path, kMergeCaption);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    if (in.bad()) return ReadError(kMergeCaption);
    table = ReadCsv(bytes, options.encoding);
    return std::nullopt;
}

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
    if (text.size() < suffix.size()) return false;
    text = text.substr(text.size() - suffix.size());
    for (std::size_t i = 0; i < suffix.size(); ++i) {
        const char a = text[i] >= 'A' && text[i] <= 'Z' ? text[i] - 'A' + 'a' : text[i];
        if (a != suffix[i]) return false;
    }
    return true;
}

std::string LowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = c - 'A' + 'a';
    return text;
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

struct OutputNames {
    std::string tags;  // code page 932 bytes
    std::string data;
};

OutputNames NamesFor(const std::optional<std::string>& fileName, std::size_t dataRow) {
    std::string stem;
    std::string tags;
    if (fileName) {
        const bool html = EndsWithNoCase(*fileName, ".html");
        if (html || EndsWithNoCase(*fileName, ".htm")) {
            stem = fileName->substr(0, fileName->size() - (html ? 5 : 4));
            tags = *fileName;
        } else {
            stem = *fileName;
            tags = stem + ".html";
        }
    } else {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%04zu", dataRow);
        stem = buffer;
        tags = stem + ".html";
    }
    return {tags, stem + ".qvl"};
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    const char last = folder.back();
    return last == '/' || last == '\\' ? folder + name : folder + "/" + name;
}

std::string ToTableEncoding(const std::string& sheetBytes, CsvEncoding encoding) {
    return encoding == CsvEncoding::Utf8 ? sjis::ToUtf8(sheetBytes) : sheetBytes;
}

// Walks the data rows: each one that can be produced is handed to `produce` with its merged sheet,
// which returns a problem text or nothing.
template <typename Produce>
void ForEachListing(const TDescriptionSheet& templateSheet, const CsvTable& table,
                    const MergeOptions& options, MergeResult& result, Produce produce) {
    if (table.rows.empty()) return;
    const std::vector<Column> columns =
        ReadHeader(table.rows.front(), table.encoding, result.ignoredColumns);
    for (std::size_t index = 1; index < table.rows.size(); ++index) {
        const CsvRow& row = table.rows[index];
        if (IsBlankRow(row)) continue;
        const PreparedRow prepared = PrepareRow(row, columns, table.encoding);
        std::optional<std::string> problem;
        if (!prepared.problem.empty()) {
            problem = prepared.problem;
        } else {
            const TDescriptionSheet sheet =
                MergeListing(templateSheet, prepared.texts, options.skipEmpty);
            problem = produce(index, row, prepared, sheet);
        }
        if (problem)
            result.rowErrors.push_back(RowPrefix(index) + *problem);
        else
            ++result.produced;
    }
}

}  // namespace

MergeResult MergeToFolder(const TDescriptionSheet& templateSheet, const std::string& csvPath,
                          const std::string& folder, const MergeOptions& options) {
    MergeResult result;
    CsvTable table;
    if ((result.error = ReadSpreadsheet(csvPath, options, table))) return result;
    // Names compare without case: most desktop file systems do.
    std::map<std::string, std::size_t> taken;
    ForEachListing(templateSheet, table, options, result,
                   [&](std::size_t index, const CsvRow&, const PreparedRow& prepared,
                       const TDescriptionSheet& sheet) -> std::optional<std::string> {
                       const std::string& label = prepared.fileNameLabel;
                       if (prepared.fileName && IsUnsafeFileName(*prepared.fileName))
                           return label + "ファイル名「" + sjis::ToUtf8(*prepared.fileName) +
                                  "」にはパス区切りや「..」を使えません";
                       const OutputNames names = NamesFor(prepared.fileName, index);
                       std::vector<std::string> wanted{names.tags};
                       if (options.dataFiles) wanted.push_back(names.data);
                       for (const std::string& name : wanted) {
                           const auto earlier = taken.find(LowerAscii(name));
                           if (earlier != taken.end())
                               return label + "ファイル名「" + sjis::ToUtf8(name) + "」は " +
                                      std::to_string(earlier->second + 1) + "行目と重なっています";
                       }
                       for (const std::string& name : wanted)
                           taken.emplace(LowerAscii(name), index);

                       std::vector<std::string> systemNames;
                       for (const std::string& name : wanted) {
                           auto systemName = filenames::FromSjis(name);
                           if (!systemName)
                               return label + "ファイル名「" + sjis::ToUtf8(name) +
                                      "」はこのシステムのファイル名にできません";
                           systemNames.push_back(JoinPath(folder, *systemName));
                       }
                       if (auto error = ReplaceFileOrError(systemNames[0], BuildHtmlTags(sheet),
                                                           kMergeCaption))
                           return error->message;
                       if (options.dataFiles) {
                           if (auto error = SaveDataFile(sheet, systemNames[1]))
                               return error->message;
                       }
                       return std::nullopt;
                   });
    return result;
}

MergeResult MergeToCsv(const TDescriptionSheet& templateSheet, const std::string& csvPath,
                       const std::string& csvOut, const MergeOptions& options) {
    MergeResult result;
    CsvTable table;
    if ((result.error = ReadSpreadsheet(csvPath, options, table))) return result;

    CsvTable out = table;
    out.rows.clear();
    if (!table.rows.empty()) {
        const std::size_t width = table.rows.front().size();
        CsvRow header = table.rows.front();
        header.push_back(ToTableEncoding(sjis::FromUtf8(kMergeHtmlColumn).bytes, table.encoding));
        out.rows.push_back(std::move(header));
        ForEachListing(
            templateSheet, table, options, result,
            [&](std::size_t, const CsvRow& row, const PreparedRow&,
                const TDescriptionSheet& sheet) -> std::optional<std::string> {
                CsvRow extended = row;
                extended.resize(width);  // only empty fields go beyond the header
                extended.push_back(ToTableEncoding(BuildHtmlTags(sheet), table.encoding));
                out.rows.push_back(std::move(extended));
                return std::nullopt;
            });
    }
    if (auto error = ReplaceFileOrError(csvOut, WriteCsv(out), kMergeCaption)) {
        result.error = error;
        result.produced = 0;
    }
    return result;
}

}  // namespace quorvel
