#pragma once

#include <QObject>

class QFontMetrics;
class QPoint;
class QSize;
class QString;
class TCellEdit;

// Gives the 22 cell boxes their tool tip: the cell's whole text, only while the mouse rests over
// the text area of a box whose text does not fit it. Installed on the application, it leaves
// every other widget's tool tip alone.
class TCellHint : public QObject {
    Q_OBJECT
  public:
    explicit TCellHint(QObject* parent = nullptr);

    // The cell box a widget belongs to (the box, its text area or its scroll bars), or none.
    static TCellEdit* CellOf(QObject* object);
    // Shows or hides the tool tip of a cell for the mouse at globalPos; true when shown.
    static bool ShowCellHint(TCellEdit* box, const QPoint& globalPos);
    // True when the box's text does not fit its text area. Measured in the application's
    // default font, not the box's own: only the decision depends on it.
    static bool CellHintOverflow(const TCellEdit* box);
    // The measure itself: the widest trimmed line against the width, the sum of the line
    // heights against the height.
    static bool TextOverflows(const QString& text, const QSize& client,
                              const QFontMetrics& metrics);
    // The tool tip's text for a cell text, shown literally even when it looks like markup.
    static QString HintText(const QString& text);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
