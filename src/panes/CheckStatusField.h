#pragma once

#include <QLabel>

#include "sheet/ListingCheck.h"

class QMouseEvent;

// The status bar's field with the listing check's summary: "問題なし", or "注意 N 件" in a
// colour that stands out with the first findings as its tool tip, which names the marketplace
// checked for. A click asks for the list.
class TCheckStatusField : public QLabel {
    Q_OBJECT
  public:
    static constexpr int kToolTipFindings = 8;

    explicit TCheckStatusField(QWidget* parent = nullptr);

    void ShowResult(const quorvel::ListingCheckResult& result);

  signals:
    void clicked();

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};
