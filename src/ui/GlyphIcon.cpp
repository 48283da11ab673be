#include "ui/GlyphIcon.h"

#include <QApplication>
#include <QFile>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>
#include <QSvgRenderer>

#include <memory>
#include <utility>

namespace ui {
namespace {

class GlyphIconEngine final : public QIconEngine {
  public:
    explicit GlyphIconEngine(QString file) : file_(std::move(file)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        QSize size = rect.size();
        if (painter->device()) size *= painter->device()->devicePixelRatio();
        painter->drawPixmap(rect, pixmap(size, mode, state));
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        const QSvgRenderer* svg = renderer();
        if (!svg) return {};
        QSize natural = svg->defaultSize();
        if (!natural.isNull()) natural.scale(size, Qt::KeepAspectRatio);
        return natural;
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        const QString key =
            QStringLiteral("%1x%2/%3").arg(size.width()).arg(size.height()).arg(int(mode));
        if (const auto cached = pixmaps_.constFind(key); cached != pixmaps_.constEnd())
            return *cached;
        const QSize drawn = actualSize(size, mode, state);
        if (drawn.isEmpty()) return {};
        QPixmap pixmap(drawn);
        pixmap.fill(Qt::transparent);
        {
            QPainter painter(&pixmap);
            renderer()->render(&painter);
        }
        // Disabled and selected looks come from the style, as for any other icon.
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

    QString key() const override { return QStringLiteral("quorvel-glyph"); }
    QIconEngine* clone() const override { return new GlyphIconEngine(file_); }
    bool isNull() override { return !QFile::exists(file_); }

  private:
    QSvgRenderer* renderer() {
        if (!renderer_) renderer_ = std::make_unique<QSvgRenderer>(file_);
        return renderer_->isValid() ? renderer_.get() : nullptr;
    }

    QString file_;
    std::unique_ptr<QSvgRenderer> renderer_;
    QHash<QString, QPixmap> pixmaps_;
};

}  // namespace

QIcon glyphIcon(const QString& glyph) {
    return QIcon(new GlyphIconEngine(QStringLiteral(":/icons/%1.svg").arg(glyph)));
}

}  // namespace ui
