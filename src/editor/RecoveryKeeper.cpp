#include "editor/RecoveryKeeper.h"

#include <QCheckBox>
#include <QTimer>

#include "editor/CellEdit.h"
#include "editor/DocumentController.h"
#include "editor/FormatToolbar.h"
#include "editor/Mainunit.h"
#include "editor/StyleStrip.h"
#include "ui/Guarded.h"
#include "ui/SjisText.h"

namespace {

// Only for end-to-end tests that cannot wait five seconds per run; hidden from users.
int writeDelayMs() {
    bool ok = false;
    const int delay = qEnvironmentVariableIntValue("QUORVEL_RECOVERY_DELAY_MS", &ok);
    return ok && delay > 0 ? delay : TRecoveryKeeper::kWriteDelayMs;
}

std::string folderBytes(const QString& folder) {
    return folder.isEmpty() ? std::string() : ui::nativePath(folder);
}

}  // namespace

TRecoveryKeeper::TRecoveryKeeper(const quorvel::TDescriptionSheet& sheet,
                                 std::function<QString()> currentFileName, const QString& folder,
                                 QObject* parent)
    : QObject(parent),
      sheet_(sheet),
      currentFileName_(std::move(currentFileName)),
      store_(folderBytes(folder.isEmpty() ? RecoveryFolder() : folder)),
      timer_(new QTimer(this)) {
    timer_->setObjectName(QStringLiteral("RecoveryTimer"));
    timer_->setSingleShot(true);
    timer_->setInterval(writeDelayMs());
    connect(timer_, &QTimer::timeout, this, &TRecoveryKeeper::writeNow);
}

QString TRecoveryKeeper::RecoveryFolder() {
    // Empty: the store's own per-user folder.
    return qEnvironmentVariable("QUORVEL_RECOVERY_DIR");
}

void TRecoveryKeeper::Follow(TFormMain& window) {
    for (int tag = quorvel::kTitleTag; quorvel::IsCellTag(tag); ++tag)
        ui::connectGuarded(window.CellByTag(tag), &TCellEdit::cellEdited, &window,
                           [this] { TextEdited(); });
    const auto formatChanged = [this] { FormatChanged(); };
    ui::connectGuarded(window.FormatToolbar(), &TFormatToolbar::formatChanged, &window,
                       formatChanged);
    ui::connectGuarded(window.StyleStrip(), &TStyleStrip::styleChanged, &window, formatChanged);
    for (QCheckBox* include : window.centralWidget()->findChildren<QCheckBox*>())
        ui::connectGuarded(include, &QCheckBox::clicked, &window, formatChanged);
    TDocumentController* document = window.Document();
    const auto settled = [this] { WorkSettled(); };
    ui::connectGuarded(document, &TDocumentController::saved, &window, settled);
    ui::connectGuarded(document, &TDocumentController::sheetReplaced, &window, settled);
}

void TRecoveryKeeper::TextEdited() {
    schedule();
}

void TRecoveryKeeper::FormatChanged() {
    if (store_.HasCopy()) schedule();
}

// A running timer is kept, not restarted: steady typing must not put the copy off for ever.
void TRecoveryKeeper::schedule() {
    if (!timer_->isActive()) timer_->start();
}

void TRecoveryKeeper::writeNow() {
    if (!sheet_.AnyCellModified() && !store_.HasCopy()) return;
    // A failed write keeps the previous copy whole; the next change tries again.
    store_.Write(sheet_, ui::nativePath(currentFileName_()));
}

void TRecoveryKeeper::WorkSettled() {
    timer_->stop();
    store_.Remove();
}

void TRecoveryKeeper::Adopt(quorvel::RecoveryCopy&& copy) {
    timer_->stop();
    store_.Adopt(std::move(copy));
}
