#pragma once

#include <QScrollArea>

#include <functional>

#include "document/SheetDocument.h"
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
// Each control's change is a command on the sheet's document; the strip shows the style as the
// document reports it and keeps no state of its own beyond what it shows.
class TStyleStrip : public QScrollArea {
    Q_OBJECT
  public:
    explicit TStyleStrip(TSheetDocument& document, QWidget* parent = nullptr);

    // Brings every control and the miniature in line with the sheet's style.
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
    // After the strip showed a changed style.
    void styleChanged();

  private:
    void buildMiniature(QWidget* content);
    void buildGroups(QWidget* content);
    void showStyle(bool announce);
    void tableAlignClick(QToolButton* button);
    void bannerAlignClick(QToolButton* button);
    void set(TSheetDocument::StyleField field,
             const std::function<void(quorvel::TTableStyle&)>& edit);
    const quorvel::TTableStyle& style() const { return document_.Sheet().Style; }

    TSheetDocument& document_;
    ui::AlignmentGroup tableAlign_;
    ui::AlignmentGroup bannerAlign_;
};
