#pragma once

#include <string>

#include "sheet/ListingCheck.h"
#include "store/MergeBatch.h"

// What a merge may give beside or instead of the tags, and the check it may run on each row: one
// set of choices for the command line and the editor, so both write the same files and lines.
namespace quorvel {

// The --csv column holding each row's plain text; in folder output a ".txt" file.
inline constexpr const char* kMergeTextColumn = "説明テキスト";

enum class MergeTextChoice { TagsOnly, TagsAndText, TextOnly };

// Sets the tag output and the plain-text rendition of `options` for `choice`.
void ApplyMergeTextChoice(MergeOptions& options, MergeTextChoice choice);

// One line per finding of the check of a merged row: "N行目 caption: message「text」" (UTF-8).
// Empty for a row that was not made.
std::vector<std::string> MergeRowCheckLines(const MergeRowEvent& row, const CheckOptions& options);

}  // namespace quorvel
