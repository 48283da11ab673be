#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <vector>

#include "store/RecoveryStore.h"

class QWidget;
class TDocumentController;
class TStatusNote;
class TRecoveryKeeper;

// The offer of the work dead editors left. It looks at their copies while the main window is
// being made, asks once the window is on the screen (so the question sits on it, not alone on
// the desktop) and only then opens the file named on the command line, unless the answer
// restored other work in its place.
class TRecoveryOffer : public QObject {
    Q_OBJECT
  public:
    // True when there is something to ask: the offer then runs after the window shows and owns
    // the opening of `files`. False when there is nothing: the caller opens `files` itself. In
    // both cases what the user should know about the folder or damaged copies is shown in the
    // window's status line.
    // The questions sit on `window`; `document` restores or opens, `note` tells the rest.
    static bool Begin(TRecoveryKeeper& keeper, TDocumentController& document, TStatusNote& note,
                      QWidget& window, const QStringList& files);

    // The question for a copy of the file `fileName` (empty: untitled) last written at
    // `writtenAt` (seconds since 1970); with `commandLineFile`, the file Yes leaves unopened.
    static QString OfferText(const QString& fileName, qint64 writtenAt,
                             const QString& commandLineFile);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    TRecoveryOffer(TRecoveryKeeper& keeper, TDocumentController& document, QWidget& window,
                   const QStringList& files);
    void ask();

    TRecoveryKeeper& keeper_;
    TDocumentController& document_;
    QWidget& window_;
    QStringList files_;
    std::vector<quorvel::RecoveryCopy> copies_;
    std::vector<quorvel::RecoveredSheet> sheets_;
    bool asked_ = false;
};
