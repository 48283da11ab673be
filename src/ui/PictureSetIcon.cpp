#include "ui/PictureSetIcon.h"

#include <QApplication>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>
#include <utility>

namespace ui {
namespace {

class PictureSetIconEngine final : public QIconEngine {
  public:
    PictureSetIconEngine(QString pattern, QList<int> sizes)
        : pattern_(std::move(pattern)), sizes_(std::move(sizes)) {
        std::sort(sizes_.begin(), sizes_.end());
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        QSize size = rect.size();
        if (painter->device()) size *= painter->device()->devicePixelRatio();
        painter->drawPixmap(rect, pixmap(size, mode, state));
    }

    // The asked size, or the largest picture when that is smaller: never scaled up.
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        if (sizes_.isEmpty()) return {};
        const int side = std::min({size.width(), size.height(), sizes_.last()});
        return QSize(side, side);
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (int side : sizes_) sizes << QSize(side, side);
        return sizes;
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        const QSize drawn = actualSize(size, mode, state);
        if (drawn.isEmpty()) return {};
        const QString key = QStringLiteral("%1/%2").arg(drawn.width()).arg(int(mode));
        if (const auto cached = pixmaps_.constFind(key); cached != pixmaps_.constEnd())
            return *cached;
        // The smallest picture at least as large, scaled down when it is larger.
        const int side = *std::lower_bound(sizes_.begin(), sizes_.end(), drawn.width());
        QPixmap pixmap(pattern_.arg(side));
        if (pixmap.isNull()) return {};
        if (pixmap.size() != drawn)
            pixmap = pixmap.scaled(drawn, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        if (mode != QIcon::Normal) {
            QStyleOption option;
            option.palette = QGuiApplication::palette();
            const QPixmap styled =
                QApplication::style()->generatedIconPixmap(mode, pixmap, &option);
            if (!styled.isNull()) pixmap = styled;
        }
        pixmaps_.insert(key, pixmap);
        return pixmap;
    }

    QString key() const override { return QStringLiteral("quorvel-picture-set"); }
    QIconEngine* clone() const override { return new PictureSetIconEngine(pattern_, sizes_); }
    bool isNull() override { return sizes_.isEmpty(); }

  private:
    QString pattern_;
    QList<int> sizes_;
    QHash<QString, QPixmap> pixmaps_;
};

}  // namespace

QIcon pictureSetIcon(const QString& pattern, const QList<int>& sizes) {
    return QIcon(new PictureSetIconEngine(pattern, sizes));
}

}  // namespace ui
