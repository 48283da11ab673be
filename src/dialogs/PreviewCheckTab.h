#pragma once

#include <QWidget>

#include "sheet/ListingCheck.h"

class QComboBox;
class QLabel;
class QShowEvent;
class QSpinBox;
class QTableWidget;

// The preview's check tab: the listing check's findings, one row each (cell, kind, message,
// offending text), checked for the marketplace chosen above them. A double-click on a cell's row
// asks to go to that text.
class TPreviewCheckTab : public QWidget {
    Q_OBJECT
  public:
    explicit TPreviewCheckTab(QWidget* parent = nullptr);

    void ShowResult(const quorvel::ListingCheckResult& result);
    const quorvel::ListingCheckResult& Result() const { return result_; }
    // The box's range: a stored value outside it is taken as its nearest end.
    static constexpr int kMaxCharsLowest = 1000, kMaxCharsHighest = 10000000;
    static constexpr int ClampMaxChars(int chars) {
        return chars < kMaxCharsLowest    ? kMaxCharsLowest
               : chars > kMaxCharsHighest ? kMaxCharsHighest
                                          : chars;
    }
    void SetMaxChars(int chars);
    // Shows `market` as chosen without telling anyone.
    void SetMarket(quorvel::CheckMarket market);
    quorvel::CheckMarket Market() const;

    QComboBox* ComboBoxMarket = nullptr;
    QSpinBox* SpinMaxChars = nullptr;
    QLabel* LabelCheckSummary = nullptr;
    QTableWidget* GridCheck = nullptr;

  signals:
    void maxCharsChosen(int chars);
    // The seller chose the marketplace to check for.
    void marketChosen(quorvel::CheckMarket market);
    // A finding in a cell was chosen: `length` bytes from `offset` of the cell `tag`.
    void findingChosen(int tag, int offset, int length);
    // A finding about the whole page was chosen.
    void pageFindingChosen(quorvel::CheckKind kind);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void fill();
    void rowChosen(int row);

    quorvel::ListingCheckResult result_;
    bool stale_ = true;
};
