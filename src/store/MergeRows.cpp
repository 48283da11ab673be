#include "store/MergeRows.h"

#include <algorithm>
#include <cstdio>

#include "platform/HexDigits.h"
#include "platform/Sjis.h"
#include "sheet/CellCharacters.h"
#include "sheet/DescriptionSheet.h"

namespace quorvel::merge {
namespace {

constexpr std::string_view kFileNameColumn = "ファイル名";
// A cell's field past this many bytes can never fit the cell.
constexpr std::size_t kCellFieldLimit = 3 * kCellMaxInputBytes + 16;
// Columns written back keep what a spreadsheet cell may hold (32767 characters).
constexpr std::size_t kOtherFieldLimit = 3 * 32767 + 16;
constexpr std::size_t kHeadingFieldLimit = 256;
constexpr std::size_t kMaxFields = 16384;
constexpr std::size_t kRecordBudget = std::size_t{1} << 20;

std::string Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

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
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (!out.empty()) out += ' ';
        out += kUpperHexDigits[b >> 4];
        out += kUpperHexDigits[b & 0xF];
    }
    return out;
}

// Code page 932 bytes that every character decodes from and encodes back to: one pass each way
// for the whole field, and a walk character by character only to name the bad one.
std::string Cp932Problem(const std::string& field) {
    const auto back = sjis::FromUtf8(sjis::ToUtf8(field));
    if (back.ok() && back.bytes == field) return {};
    for (std::size_t i = 0; i < field.size();) {
        const bool wide = sjis::IsLeadByte(static_cast<unsigned char>(field[i]));
        const std::string_view one = std::string_view(field).substr(i, wide ? 2 : 1);
        const auto again = sjis::FromUtf8(sjis::ToUtf8(one));
        if (!again.ok() || again.bytes != one)
            return "Shift_JIS として読めないバイト " + HexBytes(one) + " があります";
        i += one.size();
    }
    return "Shift_JIS として読めないバイトがあります";
}

constexpr const char* kUtf8Problem = "UTF-8 として読めないバイトがあります";

// The field as code page 932 bytes, or why it has none.
struct Converted {
    std::string bytes;
    std::string problem;
};

// A cell's text takes the characters code page 932 cannot hold as references, as typing does; a
// file name must be spelt exactly, so it does not.
Converted ToSheetBytes(const std::string& field, CsvEncoding encoding, bool forCell) {
    if (encoding == CsvEncoding::Cp932) {
        std::string problem = Cp932Problem(field);
        if (!problem.empty()) return {{}, std::move(problem)};
        return {field, {}};
    }
    char32_t bad = 0;
    if (forCell) {
        auto cell = cellchars::FromUtf8(field);
        if (!cell.refused) return {std::move(cell.bytes), {}};
        bad = *cell.refused;
    } else {
        auto result = sjis::FromUtf8(field);
        if (result.ok()) return {std::move(result.bytes), {}};
        bad = result.badChar;
    }
    if (bad == U'\uFFFD' && !IsValidUtf8(field)) return {{}, kUtf8Problem};
    return {{},
            "Shift_JIS にない文字「" + Utf8Text(bad) + "」(" + CodePointText(bad) + ") があります"};
}

std::string DecodeProblem(const std::string& field, CsvEncoding encoding) {
    if (encoding == CsvEncoding::Cp932) return Cp932Problem(field);
    return IsValidUtf8(field) ? std::string() : kUtf8Problem;
}

std::string ToUserText(const std::string& field, CsvEncoding encoding) {
    return encoding == CsvEncoding::Utf8 ? field : sjis::ToUtf8(field);
}

// No byte of a multi-byte character in either encoding is below 20 or 7F.
std::size_t RemoveControls(std::string& field) {
    const auto isControl = [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return (b < 0x20 && b != '\r' && b != '\n' && b != '\t') || b == 0x7F;
    };
    const auto end = std::remove_if(field.begin(), field.end(), isControl);
    const auto removed = static_cast<std::size_t>(field.end() - end);
    field.erase(end, field.end());
    return removed;
}

std::string TooLong(const std::string& label, std::size_t length) {
    return label + ": " + std::to_string(length) + " バイトあり、" +
           std::to_string(kCellMaxInputBytes) + " バイトを超えています";
}

}  // namespace

std::string ColumnLetters(std::size_t index) {
    std::string letters;
    for (std::size_t n = index + 1; n > 0; n = (n - 1) / 26)
        letters.insert(letters.begin(), static_cast<char>('A' + (n - 1) % 26));
    return letters;
}

std::string RowPrefix(std::size_t record) {
    return std::to_string(record + 1) + "行目 ";
}

std::string ToTableEncoding(const std::string& sheetBytes, CsvEncoding encoding) {
    return encoding == CsvEncoding::Utf8 ? sjis::ToUtf8(sheetBytes) : sheetBytes;
}

CsvLimits HeadingLimits() {
    CsvLimits limits;
    limits.others = kHeadingFieldLimit;
    limits.record = kRecordBudget;
    limits.maxFields = kMaxFields;
    return limits;
}

CsvLimits DataLimits(const std::vector<Column>& columns, bool keepOthers) {
    CsvLimits limits;
    for (const Column& column : columns)
        limits.fields.push_back(column.used() ? kCellFieldLimit
                                              : (keepOthers ? kOtherFieldLimit : 0));
    // Past the heading only emptiness matters.
    limits.others = 0;
    limits.record = kRecordBudget;
    limits.maxFields = kMaxFields;
    return limits;
}

Heading ReadHeading(const CsvRecord& heading, CsvEncoding encoding) {
    Heading result;
    bool fileNameTaken = false;
    bool namesACell = false;
    std::vector<int> tagsTaken;
    for (std::size_t k = 0; k < heading.fields.size(); ++k) {
        std::string field = heading.fields[k];
        RemoveControls(field);
        if (std::string problem = DecodeProblem(field, encoding); !problem.empty()) {
            result.problem = ColumnLetters(k) + "列: " + problem;
            return result;
        }
        const std::string name = Trimmed(ToUserText(field, encoding));
        Column column;
        column.label = ColumnLetters(k) + "列" + (name.empty() ? "" : "「" + name + "」");
        const auto tag = CellTagForCaption(name);
        // A name used twice fills its cell from the first of them only.
        if (tag && std::find(tagsTaken.begin(), tagsTaken.end(), *tag) == tagsTaken.end()) {
            column.tag = tag;
            tagsTaken.push_back(*tag);
            namesACell = true;
        } else if (name == kFileNameColumn && !fileNameTaken) {
            column.fileName = true;
            fileNameTaken = true;
        } else {
            result.ignored.push_back(column.label);
        }
        result.columns.push_back(std::move(column));
    }
    if (!namesACell)
        result.problem = "見出しにセルの名前 (タイトル、項目１…、説明１…、枠外注記) がありません";
    return result;
}

PreparedRow PrepareRow(CsvRecord& record, const std::vector<Column>& columns, CsvEncoding encoding,
                       bool checkOthers) {
    PreparedRow prepared;
    for (std::size_t k = columns.size(); k < record.fields.size(); ++k) {
        if (record.lengths[k] > 0) {
            prepared.problem = ColumnLetters(k) + "列: 見出しのない列に値があります";
            return prepared;
        }
    }
    if (record.droppedBytes > 0) {
        prepared.problem = ColumnLetters(kMaxFields) + "列より後: 見出しのない列に値があります";
        return prepared;
    }
    // Lengths first: removing control characters changes them.
    for (std::size_t k = 0; k < columns.size() && k < record.fields.size(); ++k) {
        const Column& column = columns[k];
        if (!record.cut(k) || (!column.used() && !checkOthers)) continue;
        prepared.problem = column.used() ? TooLong(column.label, record.lengths[k])
                                         : column.label + ": " + std::to_string(record.lengths[k]) +
                                               " バイトあり、長すぎます";
        return prepared;
    }
    for (std::size_t k = 0; k < record.fields.size(); ++k)
        prepared.removedControls += RemoveControls(record.fields[k]);
    for (std::size_t k = 0; k < columns.size(); ++k) {
        const Column& column = columns[k];
        static const std::string kMissing;
        const std::string& field = k < record.fields.size() ? record.fields[k] : kMissing;
        if (!column.used()) {
            // Written back, so it must decode too.
            if (checkOthers) {
                if (std::string problem = DecodeProblem(field, encoding); !problem.empty()) {
                    prepared.problem = column.label + ": " + problem;
                    return prepared;
                }
            }
            continue;
        }
        Converted converted = ToSheetBytes(field, encoding, !column.fileName);
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
            prepared.problem = TooLong(column.label, text.size());
            return prepared;
        }
        prepared.texts.push_back({*column.tag, std::move(text)});
    }
    return prepared;
}

}  // namespace quorvel::merge
