#include "editor/RecoveryOffer.h"

#include <QDateTime>
#include <QEvent>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include "editor/DocumentController.h"
#include "followers/RecoveryKeeper.h"
#include "panes/StatusNote.h"
#include "ui/DialogSeam.h"
#include "ui/ErrorBox.h"
#include "ui/SjisText.h"

QString TRecoveryOffer::OfferText(const QString& fileName, qint64 writtenAt,
                                  const QString& commandLineFile) {
    const QString name =
        fileName.isEmpty() ? QStringLiteral("無題") : TDocumentController::DisplayName(fileName);
    const QString when =
        QDateTime::fromSecsSinceEpoch(writtenAt).toString(QStringLiteral("yyyy/MM/dd HH:mm"));
    QString text = QStringLiteral(
                       "前回保存されずに終了した編集内容があります（ファイル: %1、%2）。"
                       "復元しますか？")
                       .arg(name, when);
    if (!commandLineFile.isEmpty())
        text += QStringLiteral("\n復元すると、指定されたファイル %1 は開かれません。")
                    .arg(TDocumentController::DisplayName(commandLineFile));
    return text;
}

bool TRecoveryOffer::Begin(TRecoveryKeeper& keeper, TDocumentController& document,
                           TStatusNote& note, QWidget& window, const QStringList& files) {
    auto* offer = new TRecoveryOffer(keeper, document, window, files);
    quorvel::RecoveryStore& store = keeper.Store();
    QStringList notes;
    std::vector<quorvel::RecoveryCopy> copies = store.ListOrphans();
    if (!store.FolderProblem().empty()) notes << QString::fromStdString(store.FolderProblem());
    for (quorvel::RecoveryCopy& copy : copies) {
        if (std::optional<quorvel::RecoveredSheet> sheet = store.Read(copy)) {
            offer->sheets_.push_back(std::move(*sheet));
            offer->copies_.push_back(std::move(copy));
            continue;
        }
        const std::string aside = store.MoveAside(std::move(copy));
        if (!aside.empty())
            notes << QStringLiteral("読めない復元用データを %1 に移しました")
                         .arg(ui::pathFromNative(aside));
    }
    if (!notes.isEmpty()) note.Show(notes.join(QStringLiteral("　")));
    if (offer->copies_.empty()) {
        delete offer;
        return false;
    }
    return true;
}

TRecoveryOffer::TRecoveryOffer(TRecoveryKeeper& keeper, TDocumentController& document,
                               QWidget& window, const QStringList& files)
    : QObject(&window), keeper_(keeper), document_(document), window_(window), files_(files) {
    window.installEventFilter(this);
    if (window.isVisible()) QTimer::singleShot(0, this, [this] { ask(); });
}

// The widget is shown before the system puts it on the screen; the question waits for the
// window's first exposure.
bool TRecoveryOffer::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_ && event->type() == QEvent::Show && window_.windowHandle())
        window_.windowHandle()->installEventFilter(this);
    if (watched == window_.windowHandle() && event->type() == QEvent::Expose &&
        window_.windowHandle()->isExposed())
        QTimer::singleShot(0, this, [this] { ask(); });
    return QObject::eventFilter(watched, event);
}

void TRecoveryOffer::ask() {
    if (asked_) return;
    asked_ = true;
    window_.removeEventFilter(this);
    if (window_.windowHandle()) window_.windowHandle()->removeEventFilter(this);
    bool restored = false;
    RunGuarded(&window_, [&] {
        for (std::size_t i = 0; i < copies_.size() && !restored; ++i) {
            quorvel::RecoveredSheet& sheet = sheets_[i];
            const QString file = ui::pathFromNative(sheet.fileName);
            const auto answer = dialogs().message(
                &window_, OfferText(file, copies_[i].WrittenAt(), files_.value(0)),
                QStringLiteral("復元確認"), QMessageBox::Question,
                QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
            if (answer == QMessageBox::No) {
                keeper_.Store().Delete(std::move(copies_[i]));
                continue;
            }
            // Only a plain No gives the work up; any other end of the question keeps the copy.
            if (answer != QMessageBox::Yes) continue;
            document_.Restore(std::move(sheet.sheet), file);
            // After the restore: replacing the sheet settles the work that was here before.
            keeper_.Adopt(std::move(copies_[i]));
            restored = true;
        }
    });
    // The copies not asked about stay, locked by nobody, for a later start.
    copies_.clear();
    if (!restored) RunGuarded(&window_, [&] { document_.OpenFirstOf(files_); });
    deleteLater();
}
