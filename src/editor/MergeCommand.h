#pragma once

#include <QString>

#include <optional>
#include <string>
#include <vector>

#include "sheet/DescriptionSheet.h"
#include "sheet/ListingCheck.h"
#include "store/MergeBatch.h"
#include "store/MergeChoices.h"

class QWidget;

// Bulk creation from the editor: the sheet being edited is the template, each row of a
// spreadsheet the user picks becomes one tag file in a folder the user picks. No widget of its
// own; every question, the progress window and the report go through the dialog seam.
namespace editor {

// What each row gives beside or instead of its tags, and whether each row is checked, for which
// marketplace, in the report.
struct MergeChoices {
    quorvel::MergeTextChoice text = quorvel::MergeTextChoice::TagsOnly;
    bool check = false;
    quorvel::CheckMarket market = quorvel::CheckMarket::Generic;
};

// The toolbar command: asks for the choices first (the last ones again, with the marketplace the
// listing check follows now), then runs RunMerge with them. Nothing when the user cancelled.
std::optional<quorvel::MergeResult> MergeWithChoices(
    const quorvel::TDescriptionSheet& templateSheet, quorvel::CheckMarket market,
    QWidget* dialogParent);

// Asks for the spreadsheet and the folder, merges, and reports. Nothing when the user cancelled
// either question; else the merge's result as reported.
std::optional<quorvel::MergeResult> RunMerge(const quorvel::TDescriptionSheet& templateSheet,
                                             QWidget* dialogParent,
                                             const MergeChoices& choices = {});

// The report's text: the count, the output folder when given, that the merge was stopped with
// `notDone` rows left, the removed control characters, then the ignored columns and the failed
// rows when there are any.
QString MergeReport(const quorvel::MergeResult& result, const QString& folder = QString(),
                    long long notDone = 0);

// The check's part of the report: the marketplace and the count, then the first findings (lines
// "N行目 cell: message"); `findings` counts them all.
QString MergeCheckReport(quorvel::CheckMarket market, const std::vector<std::string>& lines,
                         std::size_t findings);

}  // namespace editor
