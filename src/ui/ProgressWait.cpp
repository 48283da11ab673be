#include "ui/ProgressWait.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>

#include <chrono>
#include <climits>

#include "platform/Clock.h"

namespace {

// How often the work is looked at: often enough for a smooth count, rarely enough to cost
// nothing.
constexpr int kPollMs = 30;

QString countText(const QString& label, const DialogSeam::Progress& progress) {
    if (progress.total <= 0) return label + QStringLiteral("\n%1 行").arg(progress.done);
    return label + QStringLiteral("\n%1 / %2 行").arg(progress.done).arg(progress.total);
}

}  // namespace

bool waitShowingProgress(QWidget* parent, const QString& caption, const QString& label, int delayMs,
                         const std::function<DialogSeam::Progress()>& poll,
                         const std::function<void()>& cancel) {
    QProgressDialog dialog(label, QStringLiteral("キャンセル"), 0, 0, parent);
    dialog.setWindowTitle(caption);
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    // Shown by this loop alone, not by the dialog's own estimate.
    dialog.setMinimumDuration(INT_MAX);
    dialog.hide();
    bool cancelled = false;
    // The product's clock: tests move it to see the window come.
    const quorvel::Clock& clock = quorvel::Clock::Product();
    const quorvel::Clock::Time showAt = clock.Now() + std::chrono::milliseconds(delayMs);
    for (;;) {
        const DialogSeam::Progress progress = poll();
        if (progress.finished) break;
        if (!dialog.isVisible() && clock.Now() >= showAt) dialog.show();
        if (dialog.isVisible()) {
            if (progress.total > 0) dialog.setMaximum(static_cast<int>(progress.total));
            dialog.setValue(static_cast<int>(progress.done));
            dialog.setLabelText(countText(label, progress));
        }
        if (dialog.wasCanceled() && !cancelled) {
            cancelled = true;
            dialog.setLabelText(label + QStringLiteral("\n中止しています…"));
            cancel();
        }
        // Before the dialog shows, the windows paint but take no input: nothing may start a
        // second merge or change the sheet meanwhile.
        QEventLoop loop;
        QTimer::singleShot(kPollMs, &loop, &QEventLoop::quit);
        loop.exec(dialog.isVisible() ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    }
    return cancelled;
}
