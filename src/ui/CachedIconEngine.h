#pragma once

#include <QHash>
#include <QIconEngine>
#include <QPixmap>
#include <QString>

namespace ui {

// An icon engine that draws each size and look once. A subclass fits the asked size
// (actualSize) and draws the normal look; the disabled and selected looks come from the style,
// as for any other icon.
class CachedIconEngine : public QIconEngine {
  public:
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;

  protected:
    // The normal look at `size`, as actualSize fitted it; null when there is none.
    virtual QPixmap drawNormal(const QSize& size) = 0;

  private:
    QHash<QString, QPixmap> pixmaps_;
};

}  // namespace ui
