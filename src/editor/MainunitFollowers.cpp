// The main window's part that follows the sheet: the one change notification every command
// reports to, and the listing check with its status-bar field and the preview's check tab.
#include <QCheckBox>
#include <QStatusBar>
#include <QTextCursor>
#include <QToolButton>

#include <algorithm>
#include <string_view>

#include "dialogs/Preview.h"
#include "editor/CellEdit.h"
#include "editor/CheckStatusField.h"
#include "editor/DocumentController.h"
#include "editor/FormatToolbar.h"
#include "editor/ListingChecker.h"
#include "editor/Mainunit.h"
#include "editor/RowsArea.h"
#include "editor/SheetDocument.h"
#include "editor/StyleStrip.h"
#include "ui/Guarded.h"
#include "ui/SjisText.h"

// Every command that changes the sheet reports here, so followers need no pane.
void TFormMain::reportSheetChanges() {
    sheetDocument_ = new TSheetDocument(sheet_, this);
    TSheetDocument* changes = sheetDocument_;
    for (TCellEdit* cell : cells_)
        connect(cell, &TCellEdit::cellEdited, changes,
                [changes](TCellEdit* edited) { changes->CellTextChanged(edited->Tag()); });
    connect(formatToolbar_, &TFormatToolbar::cellFormatChanged, changes,
            &TSheetDocument::CellFormatChanged);
    connect(styleStrip_, &TStyleStrip::styleChanged, changes, &TSheetDocument::TableStyleChanged);
    for (QCheckBox* include : centralWidget()->findChildren<QCheckBox*>()) {
        const int tag = include->property("Tag").toInt();
        if (!quorvel::IsCellTag(tag)) continue;
        connect(include, &QCheckBox::clicked, changes,
                [changes, tag] { changes->IncludeChanged(tag); });
    }
    connect(document_, &TDocumentController::sheetReplaced, changes,
            &TSheetDocument::WholeSheetChanged);
    connect(document_, &TDocumentController::saved, changes,
            [this] { sheetDocument_->Saved(document_->CurrentFileName()); });
    connect(document_, &TDocumentController::titleChanged, changes,
            [this] { sheetDocument_->FileNameChanged(document_->CurrentFileName()); });
    connect(changes, &TSheetDocument::fileNameChanged, this,
            [this] { setWindowTitle(document_->Title()); });
}

void TFormMain::followListingCheck() {
    checker_ = new TListingChecker(*sheetDocument_, this);
    checkField_ = new TCheckStatusField(StatusBar1);
    StatusBar1->addPermanentWidget(checkField_);
    connect(checker_, &TListingChecker::checked, checkField_, &TCheckStatusField::ShowResult);
    connect(checker_, &TListingChecker::checked, preview_, &TFormPreview::ShowCheck);
    ui::connectGuarded(checkField_, &TCheckStatusField::clicked, this, [this] { ShowCheckList(); });
    connect(preview_, &TFormPreview::findingChosen, this, [this](int tag, int offset, int length) {
        goTo_ = CellSpan{tag, offset, length};
    });
    connect(preview_, &TFormPreview::phoneWidthChosen, checker_, &TListingChecker::SetPhoneWidth);
    connect(preview_, &TFormPreview::maxCharsChosen, checker_, [this](int chars) {
        checker_->SetMaxChars(static_cast<std::size_t>(chars));
        checker_->CheckNow();
    });
    connect(preview_, &TFormPreview::phoneWidthMeasured, checker_,
            [this](const QByteArray& tags, int viewport, int pageWidth) {
                checker_->SetMeasuredWidth(tags.toStdString(), viewport, pageWidth);
                checker_->CheckNow();
            });
    checker_->CheckNow();
}

void TFormMain::ShowCheckList() {
    preview_->ChooseCheckTab();
    SpeedButtonPreviewClick(SpeedButtonPreview);
}

void TFormMain::GoToCellText(int tag, int offset, int length) {
    TCellEdit* box = CellByTag(tag);
    if (!box) return;
    const std::string& bytes = box->Cell().Text;
    const auto position = [&bytes](int at) {
        const std::size_t end = std::min(bytes.size(), static_cast<std::size_t>(std::max(at, 0)));
        return static_cast<int>(ui::cellTextToBox(std::string_view(bytes).substr(0, end)).size());
    };
    QTextCursor cursor = box->textCursor();
    cursor.setPosition(position(offset + length));
    cursor.setPosition(position(offset), QTextCursor::KeepAnchor);
    box->setTextCursor(cursor);
    box->ensureCursorVisible();
    rowsArea_->ensureWidgetVisible(box);
    box->setFocus(Qt::OtherFocusReason);
}
