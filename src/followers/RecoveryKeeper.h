#pragma once

#include <QObject>
#include <QString>

#include <functional>

#include "store/RecoveryStore.h"

namespace ui {
class Delay;
}
class TSheetDocument;

// Keeps a recovery copy of the sheet while it holds unsaved changes; the copies of editors that
// died are offered at the next start (TRecoveryOffer). The copy is written a little after a change,
// never per keystroke; it goes away as soon as the work is saved or knowingly discarded.
class TRecoveryKeeper : public QObject {
    Q_OBJECT
  public:
    static constexpr int kWriteDelayMs = 5000;

    // `currentFileName` tells the path recorded with the copy (empty while untitled). `folder`
    // empty means RecoveryFolder().
    TRecoveryKeeper(const TSheetDocument& document, std::function<QString()> currentFileName,
                    const QString& folder = {}, QObject* parent = nullptr);

    // QUORVEL_RECOVERY_DIR when set (tests keep away from the user's folder that way); empty
    // otherwise, which gives the store's own per-user recovery folder.
    static QString RecoveryFolder();

    // Listens to the sheet's changes and saves.
    void Follow(TSheetDocument& document);

    // The sheet changed: the copy is written (or, back at the saved state, removed) when the
    // timer runs out.
    void SheetChanged();
    // The work was saved or discarded: nothing is left to recover.
    void WorkSettled();

    // Makes a dead editor's copy this editor's own, after its sheet was restored (the offer of
    // those copies is TRecoveryOffer).
    void Adopt(quorvel::RecoveryCopy&& copy);

    // The write delay, counted on the product's clock.
    ui::Delay* WriteTimer() const { return timer_; }
    quorvel::RecoveryStore& Store() { return store_; }

  private:
    void schedule();
    void writeNow();

    const TSheetDocument& document_;
    std::function<QString()> currentFileName_;
    quorvel::RecoveryStore store_;
    ui::Delay* timer_ = nullptr;
};
