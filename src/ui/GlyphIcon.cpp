#include "ui/GlyphIcon.h"

#include <QFile>
#include <QPainter>
#include <QPixmap>
#if QUORVEL_HAVE_SVG
#include <QSvgRenderer>
#else
#include <QImage>
#endif

#include <memory>
#include <utility>

#include "ui/CachedIconEngine.h"

namespace ui {
namespace {

// One glyph's drawing, read on first use: the SVG where Qt has its SVG module, else the
// pictures rendered from it at build time (":/icons/png/<glyph>.png" and "@2x").
class GlyphDrawing {
  public:
    explicit GlyphDrawing(QString glyph) : glyph_(std::move(glyph)) {}

    bool exists() const { return QFile::exists(file()); }

    QSize defaultSize() {
#if QUORVEL_HAVE_SVG
        return svg() ? svg()->defaultSize() : QSize();
#else
        return small().size();
#endif
    }

    void render(QPainter* painter, const QSize& size) {
#if QUORVEL_HAVE_SVG
        if (svg()) svg()->render(painter, QRectF(QPointF(0, 0), size));
#else
        const QImage& source = size.width() > small().width() ? large() : small();
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
        painter->drawImage(QRect(QPoint(0, 0), size), source);
#endif
    }

  private:
#if QUORVEL_HAVE_SVG
    QString file() const {
        return QStringLiteral(":/icons/%1.svg").arg(glyph_);
    }
    QSvgRenderer* svg() {
        if (!svg_) svg_ = std::make_unique<QSvgRenderer>(file());
        return svg_->isValid() ? svg_.get() : nullptr;
    }
    std::unique_ptr<QSvgRenderer> svg_;
#else
    QString file() const {
        return QStringLiteral(":/icons/png/%1.png").arg(glyph_);
    }
    const QImage& small() {
        if (small_.isNull()) small_.load(file());
        return small_;
    }
    const QImage& large() {
        if (large_.isNull()) large_.load(QStringLiteral(":/icons/png/%1@2x.png").arg(glyph_));
        return large_.isNull() ? small() : large_;
    }
    QImage small_, large_;
#endif
    QString glyph_;
};

class GlyphIconEngine final : public CachedIconEngine {
  public:
    explicit GlyphIconEngine(QString glyph) : glyph_(glyph), drawing_(std::move(glyph)) {}

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        QSize natural = drawing_.defaultSize();
        if (natural.isEmpty()) return {};
        natural.scale(size, Qt::KeepAspectRatio);
        return natural;
    }

    QString key() const override { return QStringLiteral("quorvel-glyph"); }
    QIconEngine* clone() const override { return new GlyphIconEngine(glyph_); }
    bool isNull() override { return !drawing_.exists(); }

  protected:
    QPixmap drawNormal(const QSize& size) override {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        {
            QPainter painter(&pixmap);
            drawing_.render(&painter, size);
        }
        return pixmap;
    }

  private:
    QString glyph_;
    GlyphDrawing drawing_;
};

}  // namespace

QIcon glyphIcon(const QString& glyph) {
    return QIcon(new GlyphIconEngine(glyph));
}

QPixmap glyphPixmap(const QString& glyph, const QSize& size) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    GlyphDrawing(glyph).render(&painter, size);
    return pixmap;
}

}  // namespace ui
