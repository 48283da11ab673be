#include "ui/CachedIconEngine.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace ui {

void CachedIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
                             QIcon::State state) {
    QSize size = rect.size();
    if (painter->device()) size *= painter->device()->devicePixelRatio();
    painter->drawPixmap(rect, pixmap(size, mode, state));
}

QPixmap CachedIconEngine::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) {
    const QSize drawn = actualSize(size, mode, state);
    if (drawn.isEmpty()) return {};
    const QString key =
        QStringLiteral("%1x%2/%3").arg(drawn.width()).arg(drawn.height()).arg(int(mode));
    if (const auto cached = pixmaps_.constFind(key); cached != pixmaps_.constEnd()) return *cached;
    QPixmap pixmap = drawNormal(drawn);
    if (pixmap.isNull()) return {};
    if (mode != QIcon::Normal) {
        QStyleOption option;
        option.palette = QGuiApplication::palette();
        const QPixmap styled = QApplication::style()->generatedIconPixmap(mode, pixmap, &option);
        if (!styled.isNull()) pixmap = styled;
    }
    pixmaps_.insert(key, pixmap);
    return pixmap;
}

}  // namespace ui
