#pragma once

#include <QColor>
#include <QWidget>

#include "sheet/DescriptionSheet.h"
#include "ui/WinColour.h"

// One filled rectangle of the table-style miniature. The outline, of the pen's width, lies inside
// the bounds; the fill covers what is left. Hatched brushes draw only their lines, so the widgets
// behind show through.
class TShape : public QWidget {
    Q_OBJECT
  public:
    TShape(QWidget* parent, const QString& objectName);

    int PenWidth() const { return penWidth_; }
    void SetPenWidth(int width);
    // False is the "clear" pen: no outline at all, whatever the width.
    bool PenVisible() const { return penVisible_; }
    void SetPenVisible(bool visible);
    quorvel::TColor PenColor() const { return penColour_; }
    void SetPenColor(quorvel::TColor colour);
    quorvel::TColor BrushColor() const { return brushColour_; }
    void SetBrushColor(quorvel::TColor colour);
    Qt::BrushStyle BrushStyle() const { return brushStyle_; }
    void SetBrushStyle(Qt::BrushStyle style);

    // The width the outline actually takes: 0 while the pen is clear.
    int OutlineWidth() const { return penVisible_ ? penWidth_ : 0; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    int penWidth_ = 1;
    bool penVisible_ = true;
    quorvel::TColor penColour_ = 0x00000000;
    quorvel::TColor brushColour_ = 0x00FFFFFF;
    Qt::BrushStyle brushStyle_ = Qt::SolidPattern;
};
