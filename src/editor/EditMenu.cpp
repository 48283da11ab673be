#include "editor/EditMenu.h"

#include <QAction>
#include <QMenu>
#include <QTextCursor>
#include <QUndoStack>

#include <algorithm>

#include "dialogs/Imageunit.h"
#include "dialogs/Linkunit.h"
#include "document/SheetDocument.h"
#include "panes/CellEdit.h"
#include "ui/DialogSeam.h"
#include "ui/Guarded.h"
#include "ui/SjisText.h"

namespace {

struct MenuItemEntry {
    const char* name;
    const char* caption;  // empty: a separator
    void (TEditMenu::*handler)();
};

}  // namespace

TEditMenu::TEditMenu(TSheetDocument& document, QWidget* window)
    : QObject(window), document_(document) {
    PopupMenu1 = new QMenu(window);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    const MenuItemEntry items[] = {
        {"Link", "リンクタグの挿入(&L)", nullptr},
        {"Image", "画像タグの挿入(&G)", &TEditMenu::ImageClick},
        {"N3", "", nullptr},
        {"Undo", "元に戻す(&U)", &TEditMenu::UndoClick},
        {"N1", "", nullptr},
        {"Cut", "切り取り(&T)", &TEditMenu::CutClick},
        {"Copy", "コピー(&C)", &TEditMenu::CopyClick},
        {"Paste", "貼り付け(&P)", &TEditMenu::PasteClick},
        {"Delete", "削除(&D)", &TEditMenu::DeleteClick},
        {"N2", "", nullptr},
        {"SelectAll", "すべて選択(&A)", &TEditMenu::SelectAllClick},
    };
    for (const MenuItemEntry& item : items) {
        QAction* action = *item.caption ? PopupMenu1->addAction(QString::fromUtf8(item.caption))
                                        : PopupMenu1->addSeparator();
        action->setObjectName(QString::fromUtf8(item.name));
        if (!*item.caption) continue;
        const auto handler = item.handler;
        ui::connectGuarded(action, &QAction::triggered, window, [this, handler] {
            if (handler)
                (this->*handler)();
            else
                InsertLink(popupCell_);
        });
    }
}

void TEditMenu::ShowFor(TCellEdit* cell, const QPoint& globalPos) {
    PopupMenu1Popup(cell);
    PopupMenu1->exec(globalPos);
}

void TEditMenu::PopupMenu1Popup(TCellEdit* cell) {
    popupCell_ = cell;
    auto* undo = PopupMenu1->findChild<QAction*>(QStringLiteral("Undo"));
    undo->setEnabled(document_.History()->canUndo());
}

void TEditMenu::UndoClick() {
    document_.Undo();
}

void TEditMenu::CutClick() {
    if (popupCell_)
        popupCell_->EditAs(TSheetDocument::TextKind::Cut, [this] { popupCell_->cut(); });
}

void TEditMenu::CopyClick() {
    if (popupCell_) popupCell_->copy();
}

void TEditMenu::PasteClick() {
    if (popupCell_) popupCell_->paste();
}

void TEditMenu::DeleteClick() {
    if (popupCell_)
        popupCell_->EditAs(TSheetDocument::TextKind::Delete,
                           [this] { popupCell_->textCursor().removeSelectedText(); });
}

void TEditMenu::SelectAllClick() {
    if (popupCell_) popupCell_->selectAll();
}

void TEditMenu::InsertLink(TCellEdit* target) {
    if (!target || !link_) return;
    QString selected = target->textCursor().selectedText();
    selected.replace(QChar::ParagraphSeparator, QChar(u'\n'));
    const bool applyMode = !selected.isEmpty();
    if (applyMode)
        link_->SetApplyCaption(selected);
    else
        link_->SetInsertCaption();
    if (dialogs().execModal(*link_) != QDialog::Accepted) return;
    const QString visible = applyMode ? selected : link_->AddressText();
    const QString tag = link_->BuildTag(visible);
    // Cut at the cell's limit, the tag would leave its address open and swallow the rest of the
    // page: it goes in whole or not at all.
    const int bytes = ui::cellByteLength(tag);
    const int room = target->RemainingBytes();
    if (bytes > room) {
        showWarning(target->window(),
                    QStringLiteral("リンクタグ（%1 バイト）がセルの残り（%2 バイト）に入りません。")
                        .arg(bytes)
                        .arg(std::max(room, 0)),
                    QStringLiteral("リンク挿入"));
        return;
    }
    target->EditAs(TSheetDocument::TextKind::Link, [&] { target->InsertLikePaste(tag); });
}

void TEditMenu::InsertImage(TCellEdit* target) {
    if (!target || !image_) return;
    QString selected = target->textCursor().selectedText();
    selected.replace(QChar::ParagraphSeparator, QChar(u'\n'));
    image_->Prepare(selected, target->RemainingBytes());
    if (dialogs().execModal(*image_) != QDialog::Accepted) return;
    target->EditAs(TSheetDocument::TextKind::Picture,
                   [&] { target->InsertLikePaste(image_->Tag()); });
}
