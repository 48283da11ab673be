#include "store/MergeChoices.h"

#include "sheet/HtmlGenerator.h"
#include "sheet/PlainText.h"

namespace quorvel {

void ApplyMergeTextChoice(MergeOptions& options, MergeTextChoice choice) {
    options.tags = choice != MergeTextChoice::TextOnly;
    if (choice != MergeTextChoice::TagsOnly)
        options.renditions.push_back({".txt", kMergeTextColumn, BuildPlainText, true});
}

std::vector<std::string> MergeRowCheckLines(const MergeRowEvent& row, const CheckOptions& options) {
    std::vector<std::string> lines;
    if (!row.sheet) return lines;
    const ListingCheckResult result = CheckListing(*row.sheet, BuildHtmlTags(*row.sheet), options);
    for (const CheckFinding& finding : result.findings)
        lines.push_back(std::to_string(row.row) + "行目 " + FindingLine(finding));
    return lines;
}

}  // namespace quorvel
