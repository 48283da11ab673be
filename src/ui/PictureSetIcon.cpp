#include "ui/PictureSetIcon.h"

#include "ui/CachedIconEngine.h"

#include <QPixmap>

#include <algorithm>
#include <utility>

namespace ui {
namespace {

class PictureSetIconEngine final : public CachedIconEngine {
  public:
    PictureSetIconEngine(QString pattern, QList<int> sizes)
        : pattern_(std::move(pattern)), sizes_(std::move(sizes)) {
        std::sort(sizes_.begin(), sizes_.end());
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

    QString key() const override { return QStringLiteral("quorvel-picture-set"); }
    QIconEngine* clone() const override { return new PictureSetIconEngine(pattern_, sizes_); }
    bool isNull() override { return sizes_.isEmpty(); }

  protected:
    // The smallest picture at least as large, scaled down when it is larger.
    QPixmap drawNormal(const QSize& size) override {
        const int side = *std::lower_bound(sizes_.begin(), sizes_.end(), size.width());
        QPixmap pixmap(pattern_.arg(side));
        if (!pixmap.isNull() && pixmap.size() != size)
            pixmap = pixmap.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        return pixmap;
    }

  private:
    QString pattern_;
    QList<int> sizes_;
};

}  // namespace

QIcon pictureSetIcon(const QString& pattern, const QList<int>& sizes) {
    return QIcon(new PictureSetIconEngine(pattern, sizes));
}

}  // namespace ui
