#pragma once

#include <QObject>

class QMenu;
class QWidget;
class TCellEdit;
class TImageForm;
class TLinkForm;
class TSheetDocument;

// The cells' shared context menu: the edit commands on the cell it was opened on, the link and
// image entries, and the undo of the sheet's last step. The dialogs arrive after the main window
// is built.
class TEditMenu : public QObject {
    Q_OBJECT
  public:
    TEditMenu(TSheetDocument& document, QWidget* window);

    void SetLinkForm(TLinkForm* link) { link_ = link; }
    void SetImageForm(TImageForm* image) { image_ = image; }
    // Opens the menu on `cell`, at `globalPos`.
    void ShowFor(TCellEdit* cell, const QPoint& globalPos);

    // Before the menu shows: remembers the cell and enables Undo only when the sheet has a step.
    void PopupMenu1Popup(TCellEdit* cell);
    TCellEdit* PopupCell() const { return popupCell_; }
    void UndoClick();
    void CutClick();
    void CopyClick();
    void PasteClick();
    void DeleteClick();
    void SelectAllClick();
    // Asks for a link and puts its tag into `target`: around the selection when there is one,
    // else the address itself; one step of the sheet's history.
    void InsertLink(TCellEdit* target);
    // Asks for a picture and puts its tag into `target` in place of the selection (which then
    // stands in for an empty alternative text), whole or not at all; one step like a link.
    void InsertImage(TCellEdit* target);
    void ImageClick() { InsertImage(popupCell_); }

    QMenu* PopupMenu1 = nullptr;

  private:
    TSheetDocument& document_;
    TCellEdit* popupCell_ = nullptr;
    TLinkForm* link_ = nullptr;
    TImageForm* image_ = nullptr;
};
