#include "editor/UndoCommands.h"

#include <QKeySequence>
#include <QShortcut>
#include <QToolButton>
#include <QUndoStack>

#include <utility>

#include "document/SheetDocument.h"
#include "panes/CellEdit.h"
#include "panes/FormatToolbar.h"
#include "panes/RowsArea.h"
#include "ui/Controls.h"
#include "ui/Guarded.h"

namespace {

QString named(const QString& command, const QString& step) {
    return step.isEmpty() ? command : command + QStringLiteral(": ") + step;
}

}  // namespace

TUndoCommands::TUndoCommands(TSheetDocument& document, QToolButton* undoButton,
                             QToolButton* redoButton, CellBoxForTag cellBox, TRowsArea& rows,
                             TFormatToolbar& formatToolbar, QWidget& window)
    : QObject(&window),
      document_(document),
      undoButton_(undoButton),
      redoButton_(redoButton),
      cellBox_(std::move(cellBox)),
      rows_(rows),
      formatToolbar_(formatToolbar) {
    ui::connectGuarded(undoButton_, &QToolButton::clicked, &window, [this] { document_.Undo(); });
    ui::connectGuarded(redoButton_, &QToolButton::clicked, &window, [this] { document_.Redo(); });
    const struct {
        const char* keys;
        const char* name;
        bool undo;
    } keys[] = {{"Ctrl+Z", "ShortcutUndo", true},
                {"Ctrl+Y", "ShortcutRedo", false},
                {"Ctrl+Shift+Z", "ShortcutRedoShift", false}};
    for (const auto& key : keys) {
        auto* shortcut = new QShortcut(QKeySequence(QString::fromLatin1(key.keys)), &window);
        shortcut->setObjectName(QString::fromLatin1(key.name));
        shortcut->setContext(Qt::WindowShortcut);
        const bool undo = key.undo;
        ui::connectGuarded(shortcut, &QShortcut::activated, &window, [this, undo] {
            if (undo)
                document_.Undo();
            else
                document_.Redo();
        });
    }
    connect(document_.History(), &QUndoStack::indexChanged, this, &TUndoCommands::showState);
    connect(document_.History(), &QUndoStack::cleanChanged, this, &TUndoCommands::showState);
    connect(&document_, &TSheetDocument::stepReplayed, this,
            [this](TSheetDocument::Change, int tag) { showStep(tag); });
    showState();
}

QString TUndoCommands::UndoHint(const QString& step) {
    return named(QStringLiteral("元に戻す"), step);
}

QString TUndoCommands::RedoHint(const QString& step) {
    return named(QStringLiteral("やり直し"), step);
}

// A cleared history reports no index change of its own, so the state is read whole each time.
void TUndoCommands::showState() {
    const QUndoStack* history = document_.History();
    undoButton_->setEnabled(history->canUndo());
    redoButton_->setEnabled(history->canRedo());
    ui::applyHint(undoButton_, UndoHint(history->canUndo() ? history->undoText() : QString()));
    ui::applyHint(redoButton_, RedoHint(history->canRedo() ? history->redoText() : QString()));
}

void TUndoCommands::showStep(int tag) {
    TCellEdit* box = cellBox_ ? cellBox_(tag) : nullptr;
    if (!box) return;
    if (rows_.widget() && rows_.widget()->isAncestorOf(box)) rows_.ensureWidgetVisible(box);
    box->setFocus(Qt::OtherFocusReason);
    box->ensureCursorVisible();
    formatToolbar_.CellEntered(box);
}
