#include "editor/CellEdit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QList>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>

#include "ui/Guarded.h"
#include "ui/SjisText.h"
#include "ui/WinColour.h"

namespace {

Qt::Alignment boxAlignment(int hAlign) {
    switch (hAlign) {
        case quorvel::kHAlignRight:
            return Qt::AlignRight | Qt::AlignAbsolute;
        case quorvel::kHAlignCenter:
            return Qt::AlignHCenter;
        default:
            return Qt::AlignLeft | Qt::AlignAbsolute;
    }
}

}  // namespace

TCellEdit::TCellEdit(quorvel::TSheetCell& cell, QWidget* parent) : QTextEdit(parent), cell_(cell) {
    setAcceptRichText(false);
    // Long lines scroll sideways with the caret; a horizontal bar would hide the second line of
    // a low row.
    setLineWrapMode(QTextEdit::NoWrap);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(true);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setProperty("Tag", cell.Tag);
    ui::connectGuarded(document(), &QTextDocument::contentsChange, this,
                       [this](int, int removed, int added) {
                           if (!settingText_ && (removed || added)) takeUserEdit();
                       });
    ShowCellText();
    ShowCellFormat();
}

void TCellEdit::ShowCellText() {
    settingText_ = true;
    setPlainText(ui::cellTextToBox(cell_.Text));
    settingText_ = false;
    ClearUndo();
}

void TCellEdit::ShowCellFormat() {
    const quorvel::TCellFormat& format = cell_.Format;
    QFont font = QApplication::font();
    font.setPointSize(format.FontSize);
    font.setBold(format.Bold);
    font.setItalic(format.Italic);
    font.setUnderline(format.Underline);
    setFont(font);
    QPalette colours = palette();
    colours.setColor(QPalette::Text, qColorFromWin(format.FontColor));
    colours.setColor(QPalette::Base, qColorFromWin(format.BackColor));
    setPalette(colours);
    QTextOption option = document()->defaultTextOption();
    if (option.alignment() == boxAlignment(format.HAlign)) return;
    option.setAlignment(boxAlignment(format.HAlign));
    document()->setDefaultTextOption(option);
    // Without wrapping, the box sizes its page to the viewport only once it has seen aligned
    // text, at its next layout; lay out now so a new alignment shows at once.
    setLineWrapColumnOrWidth(lineWrapColumnOrWidth());
}

int TCellEdit::RemainingBytes() const {
    const QTextCursor cursor = textCursor();
    const QString all = toPlainText();
    const int selected = ui::cellByteLength(cursor.selection().toPlainText());
    return quorvel::kCellMaxInputBytes - (ui::cellByteLength(all) - selected);
}

QString TCellEdit::admissible(const QString& text, int maxBytes) {
    QString result;
    int bytes = 0;
    for (char32_t ch : text.toUcs4()) {
        if (ch == U'\r') continue;  // CR LF and lone CR arrive as one line break each
        if (!ui::sjisCanHold(ch)) continue;
        const QString piece = QString::fromUcs4(&ch, 1);
        const int length = ui::cellByteLength(piece);
        if (bytes + length > maxBytes) break;
        bytes += length;
        result += piece;
    }
    return result;
}

bool TCellEdit::InsertLikePaste(const QString& text) {
    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalised.replace(QChar(u'\r'), QChar(u'\n'));
    const QString fitting = admissible(normalised, RemainingBytes());
    if (fitting.isEmpty() && !text.isEmpty()) return false;
    textCursor().insertText(fitting);
    ensureCursorVisible();
    return true;
}

void TCellEdit::UndoOnce() {
    undoing_ = true;
    if (lastWasUndo_ && document()->isRedoAvailable()) {
        redo();
        lastWasUndo_ = false;
    } else if (document()->isUndoAvailable()) {
        undo();
        lastWasUndo_ = true;
    }
    undoing_ = false;
}

void TCellEdit::ClearUndo() {
    document()->clearUndoRedoStacks();
    lastWasUndo_ = false;
}

bool TCellEdit::CanUndo() const {
    return document()->isUndoAvailable() || (lastWasUndo_ && document()->isRedoAvailable());
}

void TCellEdit::takeUserEdit() {
    if (!undoing_) lastWasUndo_ = false;
    cell_.Text = ui::boxTextToCell(toPlainText());
    cell_.Modified = true;
    emit cellEdited(this);
}

void TCellEdit::focusInEvent(QFocusEvent* event) {
    QTextEdit::focusInEvent(event);
    // Coming back from a dialog or a menu is not entering the cell anew.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        emit cellEntered(this);
}

void TCellEdit::focusOutEvent(QFocusEvent* event) {
    QTextEdit::focusOutEvent(event);
    // A modal dialog or the context menu leaves the cell focused within its window.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        emit cellLeft(this);
}

void TCellEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_A && (event->modifiers() & Qt::ControlModifier)) {
        selectAll();
        QTextEdit::keyPressEvent(event);
        return;
    }
    const bool lineBreak = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const QString typed = lineBreak ? QStringLiteral("\n") : event->text();
    const bool printable = !typed.isEmpty() && (lineBreak || typed.at(0).isPrint()) &&
                           !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (printable) {
        event->accept();
        const QString fitting = admissible(typed, RemainingBytes());
        if (fitting.size() == typed.size()) {
            QTextEdit::keyPressEvent(event);
        } else if (!fitting.isEmpty()) {
            textCursor().insertText(fitting);
        } else {
            QApplication::beep();
        }
        return;
    }
    QTextEdit::keyPressEvent(event);
}

void TCellEdit::inputMethodEvent(QInputMethodEvent* event) {
    if (event->commitString().isEmpty()) {
        QTextEdit::inputMethodEvent(event);
        return;
    }
    const QString fitting = admissible(event->commitString(), RemainingBytes());
    if (fitting == event->commitString()) {
        QTextEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent trimmed(event->preeditString(), event->attributes());
    trimmed.setCommitString(fitting, event->replacementStart(), event->replacementLength());
    QTextEdit::inputMethodEvent(&trimmed);
    if (fitting.size() < event->commitString().size()) QApplication::beep();
}

bool TCellEdit::canInsertFromMimeData(const QMimeData* source) const {
    return source->hasText();
}

void TCellEdit::insertFromMimeData(const QMimeData* source) {
    if (source->hasText()) InsertLikePaste(source->text());
}
