#pragma once

#include <QString>

#include <optional>

#include "sheet/DescriptionSheet.h"
#include "store/MergeBatch.h"

class QWidget;

// Bulk creation from the editor: the sheet being edited is the template, each row of a
// spreadsheet the user picks becomes one tag file in a folder the user picks. No widget of its
// own; every question, the progress window and the report go through the dialog seam.
namespace editor {

// Asks for the spreadsheet and the folder, merges, and reports. Nothing when the user cancelled
// either question; else the merge's result as reported.
std::optional<quorvel::MergeResult> RunMerge(const quorvel::TDescriptionSheet& templateSheet,
                                             QWidget* dialogParent);

// The report's text: the count, the output folder when given, that the merge was stopped with
// `notDone` rows left, the removed control characters, then the ignored columns and the failed
// rows when there are any.
QString MergeReport(const quorvel::MergeResult& result, const QString& folder = QString(),
                    long long notDone = 0);

}  // namespace editor
