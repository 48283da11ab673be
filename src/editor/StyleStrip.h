#pragma once

#include <QScrollArea>

#include "sheet/DescriptionSheet.h"
#include "ui/AlignmentGroup.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QToolButton;
class TShape;

// The strip under the toolbars that edits the sheet's table-wide settings and sketches, in a
// miniature, where the table, its first cell's text and the footer link will sit on the page.
// It edits the style it was given in place and keeps no state of its own beyond what it shows.
// None of its commands marks the sheet modified: only cell text does.
class TStyleStrip : public QScrollArea {
    Q_OBJECT
  public:
    explicit TStyleStrip(quorvel::TTableStyle& style, QWidget* parent = nullptr);

    // Brings every control and the miniature in line with a style replaced as a whole (after a
    // reset or a load).
    void ShowWholeStyle();
    // Places the miniature's shapes from the current style.
    void UpdateStylePreview();

    void SpeedButtonTableAlignLeftClick();
    void SpeedButtonTableAlignCenterClick();
    void SpeedButtonTableAlignRightClick();
    void ComboBoxTableBorderWidthChange();
    void CheckBoxBorderSetClick();
    void SpeedButtonBorderColorClick();
    void ComboBoxSpacingChange();
    void SpeedButtonBannerLeftClick();
    void SpeedButtonBannerCenterClick();
    void SpeedButtonBannerRightClick();

    // The controls, by their names, for the window's tab order and for tests.
    QFrame* Panel1 = nullptr;
    TShape* ShapeTableParent = nullptr;
    TShape* ShapeTableBorderColor = nullptr;
    TShape* ShapeSpacing = nullptr;
    TShape* ShapeBanner = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QToolButton* SpeedButtonTableAlignLeft = nullptr;
    QToolButton* SpeedButtonTableAlignCenter = nullptr;
    QToolButton* SpeedButtonTableAlignRight = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QLabel* LabelBorderWidth = nullptr;
    QComboBox* ComboBoxTableBorderWidth = nullptr;
    QCheckBox* CheckBoxBorderSet = nullptr;
    QToolButton* SpeedButtonBorderColor = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    QLabel* LabelSpacing = nullptr;
    QComboBox* ComboBoxSpacing = nullptr;
    QGroupBox* GroupBox4 = nullptr;
    QToolButton* SpeedButtonBannerLeft = nullptr;
    QToolButton* SpeedButtonBannerCenter = nullptr;
    QToolButton* SpeedButtonBannerRight = nullptr;

  signals:
    // After any change of the style made through the strip.
    void styleChanged();

  private:
    void buildMiniature(QWidget* content);
    void buildGroups(QWidget* content);
    void setTableAlign(int code);
    void setBannerAlign(int code);
    void tableAlignClick(QToolButton* button);
    void bannerAlignClick(QToolButton* button);
    void changed();
    void applyOutlineColour();

    quorvel::TTableStyle& style_;
    ui::AlignmentGroup tableAlign_;
    ui::AlignmentGroup bannerAlign_;
    bool showingWhole_ = false;
};
