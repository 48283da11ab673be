#include "store/DataFile.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/FileIo.h"

namespace quorvel {
namespace {

constexpr char kMagic[16] = "QuorvelDataFile";  // 15 letters and the NUL

constexpr char kSaveCaption[] = "データ保存";
constexpr char kLoadCaption[] = "データ読み込み";

FileError Damaged() {
    return {"ファイルが壊れているか、異常なデータファイルです", kLoadCaption};
}

void PutU32(std::string& image, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) image[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}
void PutI32(std::string& image, std::size_t offset, int value) {
    PutU32(image, offset, static_cast<std::uint32_t>(value));
}
std::uint32_t GetU32(std::string_view image, std::size_t offset) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(image[offset + i]))
                 << (8 * i);
    return value;
}
int GetI32(std::string_view image, std::size_t offset) {
    return static_cast<int>(GetU32(image, offset));
}
unsigned char GetByte(std::string_view image, std::size_t offset) {
    return static_cast<unsigned char>(image[offset]);
}

int ClampDigit(int value) {
    return std::clamp(value, 0, 9);
}

std::size_t RecordOffset(int index) {
    return kDataHeaderSize + kDataRecordSize * index;
}

}  // namespace

std::string BuildDataImage(const TDescriptionSheet& sheet) {
    std::string image(kDataFileSize, '\0');
    std::memcpy(image.data(), kMagic, sizeof kMagic);
    const TTableStyle& style = sheet.Style;
    PutI32(image, 20, style.TableAlign);
    PutI32(image, 44, style.BannerAlign);
    PutI32(image, 24, style.BorderWidth);
    image[28] = style.BorderColorSet ? 1 : 0;
    PutU32(image, 32, style.BorderColor);
    PutI32(image, 36, style.CellPadding);
    for (int index = 0; index < kCellCount; ++index) {
        const TSheetCell& cell = sheet.CellAt(index);
        const std::size_t at = RecordOffset(index);
        image[at] = sheet.IncludedByTag(cell.Tag) ? 1 : 0;
        const std::size_t length = std::min(cell.Text.size(), kDataMaxTextBytes);
        std::memcpy(image.data() + at + 1, cell.Text.data(), length);  // the NUL follows
        const TCellFormat& format = cell.Format;
        PutU32(image, at + 1028, format.FontColor);
        PutI32(image, at + 1032, format.FontSize);
        image[at + 1036] = static_cast<char>((format.Bold ? 1 : 0) | (format.Italic ? 2 : 0) |
                                             (format.Underline ? 4 : 0));
        PutU32(image, at + 1040, format.BackColor);
        image[at + 1044] = static_cast<char>(format.HAlign);
        PutI32(image, at + 1048,
               format.VAlign == kVAlignCenter   ? 1
               : format.VAlign == kVAlignBottom ? 2
                                                : 0);
    }
    return image;
}

std::optional<FileError> ApplyDataImage(TDescriptionSheet& sheet, std::string_view image) {
    if (image.size() < kDataFileSize) return ReadError(kLoadCaption);
    if (std::memcmp(image.data(), kMagic, sizeof kMagic) != 0) return Damaged();

    TTableStyle& style = sheet.Style;
    const int tableAlign = GetI32(image, 20);
    if (tableAlign >= kAlignLeft && tableAlign <= kAlignRight) style.TableAlign = tableAlign;
    const int bannerAlign = GetI32(image, 44);
    if (bannerAlign >= kAlignLeft && bannerAlign <= kAlignRight) style.BannerAlign = bannerAlign;
    // The panel's lists only offer 0 to 9: other widths and paddings go to the nearer end.
    style.BorderWidth = ClampDigit(GetI32(image, 24));
    style.BorderColor = GetU32(image, 32);
    style.BorderColorSet = GetByte(image, 28) != 0;
    style.CellPadding = ClampDigit(GetI32(image, 36));

    for (int index = 0; index < kCellCount; ++index) {
        TSheetCell& cell = sheet.CellAt(index);
        const std::size_t at = RecordOffset(index);
        sheet.IncludedByTag(cell.Tag) = GetByte(image, at) != 0;
        // A field without a NUL is taken whole; nothing beyond it is read.
        const std::string_view field = image.substr(at + 1, kDataTextFieldSize);
        cell.Text.assign(field.substr(0, std::min(field.find('\0'), field.size())));
        cell.Modified = false;
        TCellFormat& format = cell.Format;
        format.FontColor = GetU32(image, at + 1028);
        format.FontSize = GetI32(image, at + 1032);
        const unsigned char styleBits = GetByte(image, at + 1036);
        format.Bold = styleBits & 1;
        format.Italic = styleBits & 2;
        format.Underline = styleBits & 4;
        format.BackColor = GetU32(image, at + 1040);
        const int hAlign = GetByte(image, at + 1044);
        format.HAlign = hAlign <= kHAlignCenter ? hAlign : kHAlignLeft;
        const int vAlign = GetI32(image, at + 1048);
        format.VAlign = vAlign == 1 ? kVAlignCenter : vAlign == 2 ? kVAlignBottom : kVAlignTop;
        if (format.FontSize < 7 || format.FontSize > 18) format.FontSize = 9;
        if (format.FontColor == 0 && format.BackColor == 0) format.BackColor = 0x00FFFFFF;
    }
    return std::nullopt;
}

std::optional<FileError> SaveDataFile(const TDescriptionSheet& sheet, const std::string& fileName) {
    return ReplaceFileOrError(fileName, BuildDataImage(sheet), kSaveCaption);
}

std::optional<FileError> LoadDataFile(TDescriptionSheet& sheet, const std::string& fileName) {
    std::string image;
    switch (fileio::ReadFilePrefix(fileName, kDataFileSize, image)) {
        case fileio::ReadOutcome::Ok:
            break;
        case fileio::ReadOutcome::CannotOpen:
            return CannotOpenError(fileName, kLoadCaption);
        case fileio::ReadOutcome::ReadFailed:
            return ReadError(kLoadCaption);
    }
    // Build the new sheet aside so a bad image leaves the caller's sheet as it was.
    TDescriptionSheet loaded = sheet;
    if (auto error = ApplyDataImage(loaded, image)) return error;
    sheet = std::move(loaded);
    return std::nullopt;
}

}  // namespace quorvel
