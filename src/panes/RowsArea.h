#pragma once

#include <QList>
#include <QScrollArea>

#include <array>

#include "document/SheetDocument.h"
#include "panes/CellPanel.h"
#include "sheet/DescriptionSheet.h"

class QCheckBox;
class QFrame;
class QToolButton;
class QWheelEvent;
class TCellEdit;
class TColumnSplitter;

// The ten rows of the sheet in two columns (item names left, descriptions right) inside a
// vertically scrolling area. Both panels of a row always have the same height; the scroll range
// is the sum of the row heights.
//
// Wheel routing: a wheel event goes to the widget under the mouse. A cell uses it while its own
// lines can still scroll that way; otherwise (and over the label panels) it passes up to this
// area, which then moves by one step of 8 pixels per event.
class TRowsArea : public QScrollArea {
    Q_OBJECT
  public:
    static constexpr int kMinRowHeight = 45;
    static constexpr int kMaxRowHeight = 300;
    static constexpr int kRowHeightStep = 15;
    static constexpr int kMinColumnWidth = 100;
    static constexpr int kStartColumnWidth = 200;
    static constexpr int kSplitterWidth = 3;
    static constexpr int kWheelStep = 8;

    explicit TRowsArea(TSheetDocument& document, QWidget* parent = nullptr);

    // Row numbers are 1 to 10; other numbers are ignored (or give 0).
    int RowHeight(int row) const;
    // Held within 45 to 300, for both columns; then the scroll range follows.
    void SetRowHeight(int row, int height);
    // The width the user gave the item-name column (never below 100). While the area is too
    // narrow for it and a 100-pixel description column, the column is shown narrower.
    int LeftColumnWidth() const { return leftWidth_; }
    void SetLeftColumnWidth(int width);
    // The width the item-name column has on the screen now.
    int ShownLeftColumnWidth() const;

    // The content height: the sum of the ten row heights.
    int RowsScrollRange() const { return range_; }
    int ScrollPosition() const;
    void SetScrollPosition(int position);
    void ScrollToTop() { SetScrollPosition(0); }
    void UpdateRowsScrollRange();

    // The row cell of that Tag (1001 to 1020), or none.
    TCellEdit* Cell(int tag) const;
    QList<TCellEdit*> Cells() const;
    QList<QWidget*> FocusOrder() const;

    void ShowIncludeFlags();
    void ShowCells();

    // Serves both height buttons of a row: one step of 15 pixels in the way of the button's
    // Tag (+1 or -1).
    void SpeedButtonUNClick(int row, const QObject* button);
    void CheckBoxKouClick(int row);
    void CheckBoxSetClick(int row);
    // One wheel step up or down, held within 0 and the range less the visible height.
    void ScrollBox1MouseWheelUp();
    void ScrollBox1MouseWheelDown();

    // The controls by row (index 0 is row 1).
    QWidget* PanelLeft = nullptr;
    TColumnSplitter* Splitter2 = nullptr;
    QWidget* PanelRight = nullptr;
    std::array<QFrame*, quorvel::kRowCount> PanelKou{};
    std::array<QCheckBox*, quorvel::kRowCount> CheckBoxKou{};
    std::array<QToolButton*, quorvel::kRowCount> SpeedButtonU{};
    std::array<QToolButton*, quorvel::kRowCount> SpeedButtonD{};
    std::array<TCellEdit*, quorvel::kRowCount> MemoLeft{};
    std::array<QFrame*, quorvel::kRowCount> PanelSet{};
    std::array<QCheckBox*, quorvel::kRowCount> CheckBoxSet{};
    std::array<TCellEdit*, quorvel::kRowCount> MemoRight{};

  signals:
    void rowHeightChanged(int row, int height);
    void leftColumnWidthChanged(int width);

  protected:
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    friend class TColumnSplitter;

    void buildRow(int row);
    void layoutColumns();
    QWidget* rowPanelOf(QWidget* widget) const;
    // The splitter's drag: the column follows at once, held so both columns keep 100 pixels.
    void dragLeftColumnTo(int width);

    TSheetDocument& document_;
    QWidget* content_ = nullptr;
    std::array<TCellPanel, quorvel::kRowCount> itemPanels_{};
    std::array<TCellPanel, quorvel::kRowCount> descriptionPanels_{};
    std::array<int, quorvel::kRowCount> heights_{};
    int leftWidth_ = kStartColumnWidth;
    int range_ = 0;
};

// The blue bar between the columns; dragging it resizes the columns live.
class TColumnSplitter : public QWidget {
    Q_OBJECT
  public:
    TColumnSplitter(TRowsArea& area, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    TRowsArea& area_;
    int grabOffset_ = -1;
};
