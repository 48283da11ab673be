#include "followers/RecoveryKeeper.h"

#include "document/SheetDocument.h"
#include "ui/Delay.h"
#include "ui/DialogSeam.h"
#include "ui/SjisText.h"

namespace {

std::string folderBytes(const QString& folder) {
    return folder.isEmpty() ? std::string() : ui::nativePath(folder);
}

}  // namespace

TRecoveryKeeper::TRecoveryKeeper(const TSheetDocument& document,
                                 std::function<QString()> currentFileName, const QString& folder,
                                 QObject* parent)
    : QObject(parent),
      document_(document),
      currentFileName_(std::move(currentFileName)),
      store_(folderBytes(folder.isEmpty() ? RecoveryFolder() : folder)),
      timer_(new ui::Delay(std::chrono::milliseconds(kWriteDelayMs), this)) {
    timer_->setObjectName(QStringLiteral("RecoveryTimer"));
    connect(timer_, &ui::Delay::due, this, &TRecoveryKeeper::writeNow);
}

QString TRecoveryKeeper::RecoveryFolder() {
    // Empty: the store's own per-user folder.
    return qEnvironmentVariable("QUORVEL_RECOVERY_DIR");
}

// The reports arrive inside the guarded handlers of the commands that made the changes.
void TRecoveryKeeper::Follow(TSheetDocument& document) {
    connect(&document, &TSheetDocument::changed, this, [this](TSheetDocument::Change what) {
        if (what == TSheetDocument::Change::WholeSheet)
            WorkSettled();  // reset, loaded or restored: what was here is given up
        else
            SheetChanged();
    });
    connect(&document, &TSheetDocument::saved, this, &TRecoveryKeeper::WorkSettled);
}

void TRecoveryKeeper::SheetChanged() {
    schedule();
}

// A running timer is kept, not restarted: steady typing must not put the copy off for ever.
void TRecoveryKeeper::schedule() {
    if (!timer_->IsActive()) timer_->Start();
}

void TRecoveryKeeper::writeNow() {
    // Undone back to the saved state: nothing is left to recover.
    if (!document_.IsModified()) {
        store_.Remove();
        return;
    }
    // A failed write keeps the previous copy whole; the next change tries again.
    store_.Write(document_.Sheet(), ui::nativePath(currentFileName_()));
}

void TRecoveryKeeper::WorkSettled() {
    timer_->Stop();
    store_.Remove();
}

void TRecoveryKeeper::Adopt(quorvel::RecoveryCopy&& copy) {
    timer_->Stop();
    store_.Adopt(std::move(copy));
}
