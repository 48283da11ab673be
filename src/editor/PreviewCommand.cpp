#include "editor/PreviewCommand.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QStatusBar>
#include <QTextCursor>
#include <QTimer>

#include <algorithm>
#include <string_view>
#include <utility>

#include "dialogs/Preview.h"
#include "document/SheetDocument.h"
#include "followers/ListingChecker.h"
#include "panes/CellEdit.h"
#include "panes/CheckStatusField.h"
#include "panes/RowsArea.h"
#include "platform/TempDir.h"
#include "sheet/HtmlGenerator.h"
#include "store/PreviewFile.h"
#include "ui/Delay.h"
#include "ui/DialogSeam.h"
#include "ui/ErrorBox.h"
#include "ui/FirstShow.h"
#include "ui/Guarded.h"
#include "ui/SjisText.h"

TPreviewCommand::TPreviewCommand(TSheetDocument& document, PreviewWindow preview,
                                 QStatusBar& statusBar, TRowsArea& rows, CellBoxForTag cellBox,
                                 QWidget* window)
    : QObject(window),
      document_(document),
      preview_(std::move(preview)),
      statusBar_(statusBar),
      rows_(rows),
      cellBox_(std::move(cellBox)),
      window_(window) {
    checker_ = new TListingChecker(document_, this);
    checkField_ = new TCheckStatusField(&statusBar_);
    statusBar_.addPermanentWidget(checkField_);
    connect(checker_, &TListingChecker::checked, checkField_, &TCheckStatusField::ShowResult);
    ui::connectGuarded(checkField_, &TCheckStatusField::clicked, window_,
                       [this] { ShowCheckList(); });
    // The first check lays the page out and loads the page's face: it waits until the window is
    // up, so that start-up does neither.
    checker_->CheckSoon();
    ui::AtFirstShow(*window_, [this] {
        if (checker_->Timer()->IsActive()) checker_->Timer()->Start();
    });
}

void TPreviewCommand::Follow(TFormPreview& preview) {
    connect(checker_, &TListingChecker::checked, &preview, &TFormPreview::ShowCheck);
    connect(&preview, &TFormPreview::findingChosen, this, [this](int tag, int offset, int length) {
        goTo_ = CellSpan{tag, offset, length};
    });
    connect(&preview, &TFormPreview::phoneWidthChosen, checker_, &TListingChecker::SetPhoneWidth);
    connect(&preview, &TFormPreview::maxCharsChosen, checker_, [this](int chars) {
        checker_->SetMaxChars(static_cast<std::size_t>(chars));
        checker_->CheckNow();
    });
    connect(&preview, &TFormPreview::phoneWidthMeasured, checker_,
            [this](const QByteArray& tags, int viewport, int pageWidth) {
                checker_->SetMeasuredWidth(tags.toStdString(), viewport, pageWidth);
                checker_->CheckNow();
            });
}

void TPreviewCommand::Run(bool showPreview) {
    TFormPreview& preview = preview_();
    const quorvel::TempPathResult path = quorvel::PreviewFilePath();
    bool written = path.ok();
    if (!path.ok()) {
        showWarning(window_, QString::fromStdString(path.error),
                    QString::fromUtf8(quorvel::kPreviewWriteCaption));
    } else if (auto error = quorvel::WritePreviewFile(path.path,
                                                      quorvel::BuildHtmlTags(document_.Sheet()))) {
        showFileError(window_, *error);
        written = false;
    }
    preview.setFilePath(path.path);
    if (showPreview) {
        goTo_.reset();
        checker_->CheckNow();
        dialogs().execModal(preview);
        // Only after the window has gone can a cell of this window take the focus.
        if (const auto span = std::exchange(goTo_, std::nullopt))
            GoToCellText(span->tag, span->offset, span->length);
        return;
    }
    const bool loaded = preview.FormShow();
    if (written && loaded) {
        preview.ButtonCopyClick();
        statusBar_.showMessage(QStringLiteral("コピー完了！"));
    } else {
        // Never leave an older text on the clipboard that the seller would take for this one.
        QGuiApplication::clipboard()->clear();
        statusBar_.clearMessage();
    }
}

void TPreviewCommand::ShowCheckList() {
    preview_().ChooseCheckTab();
    Run(true);
}

void TPreviewCommand::GoToCellText(int tag, int offset, int length) {
    TCellEdit* box = cellBox_(tag);
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
    rows_.ensureWidgetVisible(box);
    box->setFocus(Qt::OtherFocusReason);
}
