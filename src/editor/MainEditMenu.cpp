// The cells' shared edit menu and the link command.
#include <QAction>
#include <QMenu>
#include <QTextCursor>

#include "dialogs/Linkunit.h"
#include "editor/CellEdit.h"
#include "editor/Mainunit.h"
#include "ui/DialogSeam.h"
#include "ui/ErrorBox.h"

namespace {

struct MenuItemEntry {
    const char* name;
    const char* caption;  // empty: a separator
    void (TFormMain::*handler)();
};

}  // namespace

void TFormMain::buildPopupMenu() {
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    const MenuItemEntry items[] = {
        {"Link", "リンクタグの挿入(&L)", nullptr},
        {"N3", "", nullptr},
        {"Undo", "元に戻す(&U)", &TFormMain::UndoClick},
        {"N1", "", nullptr},
        {"Cut", "切り取り(&T)", &TFormMain::CutClick},
        {"Copy", "コピー(&C)", &TFormMain::CopyClick},
        {"Paste", "貼り付け(&P)", &TFormMain::PasteClick},
        {"Delete", "削除(&D)", &TFormMain::DeleteClick},
        {"N2", "", nullptr},
        {"SelectAll", "すべて選択(&A)", &TFormMain::SelectAllClick},
    };
    for (const MenuItemEntry& item : items) {
        QAction* action = *item.caption ? PopupMenu1->addAction(QString::fromUtf8(item.caption))
                                        : PopupMenu1->addSeparator();
        action->setObjectName(QString::fromUtf8(item.name));
        if (!*item.caption) continue;
        const auto handler = item.handler;
        connect(action, &QAction::triggered, this, [this, action, handler] {
            RunGuarded(this, [&] {
                if (handler)
                    (this->*handler)();
                else
                    LinkClick(action);
            });
        });
    }
}

void TFormMain::PopupMenu1Popup(TCellEdit* cell) {
    popupCell_ = cell;
    auto* undo = PopupMenu1->findChild<QAction*>(QStringLiteral("Undo"));
    undo->setEnabled(cell && cell->isVisible() && cell->CanUndo());
}

void TFormMain::UndoClick() {
    if (popupCell_) popupCell_->UndoOnce();
}

void TFormMain::CutClick() {
    if (popupCell_) popupCell_->cut();
}

void TFormMain::CopyClick() {
    if (popupCell_) popupCell_->copy();
}

void TFormMain::PasteClick() {
    if (popupCell_) popupCell_->paste();
}

void TFormMain::DeleteClick() {
    if (popupCell_) popupCell_->textCursor().removeSelectedText();
}

void TFormMain::SelectAllClick() {
    if (popupCell_) popupCell_->selectAll();
}

void TFormMain::LinkClick(QObject* sender) {
    const bool fromToolbar = sender && sender->objectName() == QStringLiteral("SpeedButtonLink");
    TCellEdit* target = fromToolbar ? FocusedCell() : popupCell_;
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
    target->InsertLikePaste(link_->BuildTag(visible));
    // The insertion is final: the box's undo does not take it back.
    target->ClearUndo();
}
