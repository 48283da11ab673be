#pragma once

#include <QObject>

#include "sheet/DescriptionSheet.h"

// The one change notification of the sheet. Every command that changes the sheet reports here
// what it changed, so whoever follows the sheet (the recovery copy, the listing check, the
// window title) listens to this object instead of to the panes that show it.
class TSheetDocument : public QObject {
    Q_OBJECT
  public:
    enum class Change { CellText, CellFormat, Include, TableStyle, WholeSheet };
    Q_ENUM(Change)

    explicit TSheetDocument(quorvel::TDescriptionSheet& sheet, QObject* parent = nullptr)
        : QObject(parent), sheet_(sheet) {}

    quorvel::TDescriptionSheet& Sheet() { return sheet_; }
    const quorvel::TDescriptionSheet& Sheet() const { return sheet_; }

    // The reports; `tag` names the cell (1000..1021).
    void CellTextChanged(int tag) { emit changed(Change::CellText, tag); }
    void CellFormatChanged(int tag) { emit changed(Change::CellFormat, tag); }
    void IncludeChanged(int tag) { emit changed(Change::Include, tag); }
    void TableStyleChanged() { emit changed(Change::TableStyle, 0); }
    // Reset, loaded or restored: everything may differ.
    void WholeSheetChanged() { emit changed(Change::WholeSheet, 0); }
    // Written to its file under `fileName`; the sheet itself is as it was.
    void Saved(const QString& fileName) { emit saved(fileName); }
    // Now known under `fileName` (empty: untitled).
    void FileNameChanged(const QString& fileName) { emit fileNameChanged(fileName); }

  signals:
    // `tag` is the cell for the cell changes and 0 for the table style and the whole sheet.
    void changed(TSheetDocument::Change what, int tag);
    void saved(const QString& fileName);
    void fileNameChanged(const QString& fileName);

  private:
    quorvel::TDescriptionSheet& sheet_;
};
