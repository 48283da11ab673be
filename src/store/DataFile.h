#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "sheet/DescriptionSheet.h"
#include "store/FileError.h"

// The ".qvl" data file: a fixed 23552-byte little-endian image of the whole sheet.
namespace quorvel {

constexpr std::size_t kDataFileSize = 23552;
constexpr std::size_t kDataHeaderSize = 56;
constexpr std::size_t kDataRecordSize = 1068;
constexpr std::size_t kDataTextFieldSize = 1027;
constexpr std::size_t kDataMaxTextBytes = 1023;

// The image of a sheet, exactly kDataFileSize bytes.
std::string BuildDataImage(const TDescriptionSheet& sheet);
// Applies an image read from a file; the sheet is untouched unless the magic matches.
std::optional<FileError> ApplyDataImage(TDescriptionSheet& sheet, std::string_view image);

// Writes the sheet. The old file is replaced only once the new image is safely on disk.
std::optional<FileError> SaveDataFile(const TDescriptionSheet& sheet, const std::string& fileName);
// Replaces the sheet with the file's contents; on failure the sheet is unchanged.
std::optional<FileError> LoadDataFile(TDescriptionSheet& sheet, const std::string& fileName);

}  // namespace quorvel
