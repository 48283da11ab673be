// The preview and tag-copy command.
#include <QClipboard>
#include <QGuiApplication>
#include <QStatusBar>

#include "dialogs/Preview.h"
#include "editor/Mainunit.h"
#include "platform/TempDir.h"
#include "sheet/HtmlGenerator.h"
#include "store/PreviewFile.h"
#include "ui/DialogSeam.h"

void TFormMain::SpeedButtonPreviewClick(QObject* sender) {
    const bool showPreview = sender && sender->objectName() == QStringLiteral("SpeedButtonPreview");
    const quorvel::TempPathResult path = quorvel::PreviewFilePath();
    bool written = path.ok();
    if (!path.ok()) {
        showWarning(this, QString::fromStdString(path.error),
                    QString::fromUtf8(quorvel::kPreviewWriteCaption));
    } else if (auto error = quorvel::WritePreviewFile(path.path, quorvel::BuildHtmlTags(sheet_))) {
        showFileError(*error);
        written = false;
    }
    preview_->setFilePath(path.path);
    if (showPreview) {
        dialogs().execModal(*preview_);
        return;
    }
    const bool loaded = preview_->FormShow();
    if (written && loaded) {
        preview_->ButtonCopyClick();
        StatusBar1->showMessage(QStringLiteral("コピー完了！"));
    } else {
        // Never leave an older text on the clipboard that the seller would take for this one.
        QGuiApplication::clipboard()->clear();
        StatusBar1->clearMessage();
    }
}
