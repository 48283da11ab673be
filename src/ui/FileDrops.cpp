#include "ui/FileDrops.h"

#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <utility>

#include "ui/ErrorBox.h"

namespace ui {

QStringList DroppedFiles(const QMimeData* data) {
    QStringList paths;
    if (!data || !data->hasUrls()) return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile() && !url.toLocalFile().isEmpty()) paths << url.toLocalFile();
    return paths;
}

namespace {

class FileDropFilter final : public QObject {
  public:
    FileDropFilter(QWidget& target, std::function<void(const QStringList&)> open)
        : QObject(&target), target_(target), open_(std::move(open)) {
        target.setAcceptDrops(true);
        target.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != &target_) return false;
        switch (event->type()) {
            case QEvent::DragEnter:
            case QEvent::DragMove: {
                auto* drag = static_cast<QDragMoveEvent*>(event);
                if (DroppedFiles(drag->mimeData()).isEmpty()) return false;
                drag->acceptProposedAction();
                return true;
            }
            case QEvent::Drop: {
                auto* drop = static_cast<QDropEvent*>(event);
                const QStringList paths = DroppedFiles(drop->mimeData());
                if (paths.isEmpty()) return false;
                drop->acceptProposedAction();
                QTimer::singleShot(0, &target_, [this, paths] {
                    RunGuarded(target_.window(), [&] { open_(paths); });
                });
                return true;
            }
            default:
                return false;
        }
    }

  private:
    QWidget& target_;
    std::function<void(const QStringList&)> open_;
};

}  // namespace

void AcceptFileDrops(QWidget& target, std::function<void(const QStringList&)> open) {
    new FileDropFilter(target, std::move(open));
}

}  // namespace ui
