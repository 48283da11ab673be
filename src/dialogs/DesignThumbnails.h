#pragma once

#include <QImage>
#include <QObject>

#include <memory>
#include <vector>

#include "sheet/Design.h"

namespace quorvel::page {
class PageLayout;
class PageLayoutWorker;
}  // namespace quorvel::page

// Pictures of designs for the chooser: the sample listing in each design as a buyer's browser
// shows it on a PC and on a phone, side by side. The pages are laid out one after another off the
// window's thread, so the chooser opens at once with plain swatches that the pictures replace.
// Without the page engine the swatch is all there is.
class TDesignThumbnails : public QObject {
    Q_OBJECT
  public:
    static constexpr int kPcWidth = 800;
    static constexpr int kPhoneWidth = 375;
    static constexpr double kScale = 0.25;
    static constexpr int kHeight = 130;
    static constexpr int kGap = 6;
    static QSize Size();

    explicit TDesignThumbnails(QObject* parent = nullptr);
    ~TDesignThumbnails() override;

    // The design's colours: title band, item column, descriptions and border. Every picture is
    // Size() in logical pixels, made at `pixelRatio` device pixels to one, so it stays sharp on a
    // scaled screen.
    static QImage Swatch(const quorvel::Design& design, qreal pixelRatio = 1);

    // Starts drawing; a call before the last finished drops what was left of it.
    void Draw(std::vector<quorvel::Design> designs, qreal pixelRatio = 1);
    bool Finished() const { return next_ >= designs_.size() * 2; }

  signals:
    void drawn(int index, const QImage& image);
    void finished();

  private:
    void requestNext();
#ifdef QUORVEL_HAVE_PAGE
    void paint(const std::shared_ptr<quorvel::page::PageLayout>& layout, quint64 serial);
    quorvel::page::PageLayoutWorker* worker_ = nullptr;
    quint64 awaited_ = 0;
    QImage current_;
#endif
    std::vector<quorvel::Design> designs_;
    qreal pixelRatio_ = 1;
    std::size_t next_ = 0;  // two pages per design: PC, then phone
};
