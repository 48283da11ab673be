#pragma once

#include <QObject>

#include <functional>

class QToolButton;
class QWidget;
class TCellEdit;
class TFormatToolbar;
class TRowsArea;
class TSheetDocument;

// The sheet's undo and redo as the seller meets them: the two file-toolbar buttons, whose hints
// name the step they would take, and Ctrl+Z, Ctrl+Y and Ctrl+Shift+Z anywhere in the window.
// After a step is taken back or done again, the cell it changed gets the focus, comes into view
// and shows its format in the format toolbar.
class TUndoCommands : public QObject {
    Q_OBJECT
  public:
    using CellBoxForTag = std::function<TCellEdit*(int tag)>;

    TUndoCommands(TSheetDocument& document, QToolButton* undoButton, QToolButton* redoButton,
                  CellBoxForTag cellBox, TRowsArea& rows, TFormatToolbar& formatToolbar,
                  QWidget& window);

    static QString UndoHint(const QString& step);
    static QString RedoHint(const QString& step);

  private:
    void showState();
    void showStep(int tag);

    TSheetDocument& document_;
    QToolButton* undoButton_;
    QToolButton* redoButton_;
    CellBoxForTag cellBox_;
    TRowsArea& rows_;
    TFormatToolbar& formatToolbar_;
};
