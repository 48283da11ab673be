#pragma once

#include <QObject>

#include <functional>
#include <optional>

class QStatusBar;
class QWidget;
class TCellEdit;
class TCheckStatusField;
class TFormPreview;
class TListingChecker;
class TRowsArea;
class TSheetDocument;

// The preview and tag-copy command and the listing check that goes with it: the check follows
// the sheet's document, shows its summary in the status bar and its findings on the preview's
// check tab, from which a double click goes back to the text in its cell.
class TPreviewCommand : public QObject {
    Q_OBJECT
  public:
    using CellBoxForTag = std::function<TCellEdit*(int tag)>;
    // The preview window, made when first asked for.
    using PreviewWindow = std::function<TFormPreview&()>;

    TPreviewCommand(TSheetDocument& document, PreviewWindow preview, QStatusBar& statusBar,
                    TRowsArea& rows, CellBoxForTag cellBox, QWidget* window);

    // Connects the check with the preview window once it is made.
    void Follow(TFormPreview& preview);

    // The preview shown (`showPreview`), or the tag text copied without it.
    void Run(bool showPreview);
    // The preview opened on its check tab.
    void ShowCheckList();
    // Puts the caret into the cell `tag`, selecting `length` bytes from byte `offset`.
    void GoToCellText(int tag, int offset, int length);

    TListingChecker* Checker() const { return checker_; }
    TCheckStatusField* CheckField() const { return checkField_; }

  private:
    TSheetDocument& document_;
    PreviewWindow preview_;
    QStatusBar& statusBar_;
    TRowsArea& rows_;
    CellBoxForTag cellBox_;
    QWidget* window_;
    TListingChecker* checker_ = nullptr;
    TCheckStatusField* checkField_ = nullptr;
    struct CellSpan {
        int tag, offset, length;
    };
    std::optional<CellSpan> goTo_;  // chosen in the preview, done once it has closed
};
