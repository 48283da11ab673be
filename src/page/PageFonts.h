#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QPointF>
#include <QRawFont>
#include <QString>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

// The face a buyer's phone draws Japanese in, loaded from its own files rather than found by
// fallback, and the fonts the page asks for, measured as a browser measures them.
class QPainter;

namespace quorvel::page {

// One size, weight and style of the page's face.
struct PageFont {
    QFont font;
    // The colour emoji face at the same size, where the system has one.
    QFont emoji;
    bool hasEmoji = false;
    int ascent = 0;
    int descent = 0;
    int lineGap = 0;
    int xHeight = 0;
    bool underline = false;
    bool lineThrough = false;
    bool overline = false;

    // Word widths rounded to whole pixels, remembered: the same words come back on every layout.
    int TextWidth(const std::string& utf8);
    // Draws `text` from `baseline` on, its emoji in the emoji face.
    void Draw(QPainter& painter, QPointF baseline, const QString& text);

  private:
    qreal Advance(QStringView run, bool emoji);
    // An emoji's advance as the browser's shaper gives it, from the face's own table: Qt 6.4
    // scales the colour bitmap face's advances otherwise.
    qreal EmojiAdvance(QStringView cluster);

    std::unique_ptr<QFontMetricsF> metrics_;
    std::unique_ptr<QFontMetricsF> emojiMetrics_;
    QRawFont emojiRaw_;
    QByteArray emojiHmtx_;
    int emojiMetricsCount_ = 0;
    int emojiUnitsPerEm_ = 0;
    std::unordered_map<std::string, int> widths_;
};

class PageFonts {
  public:
    // Loads the face once for the process; later calls return the same object.
    static PageFonts& Shared();

    // The family the page is drawn in; empty when no file of the face was found.
    const QString& Family() const { return family_; }
    bool Loaded() const { return !family_.isEmpty(); }

    // The key of a font of `pixelSize` (clamped to a sane range), `weight` 100..900, italic or
    // not, with the text decorations of litehtml's bits (1 underline, 2 line-through, 4
    // overline). Never 0. A layout keeps keys, not fonts, so that it can be made on one thread
    // and painted on another.
    static std::uint64_t Key(int pixelSize, int weight, bool italic, unsigned decoration);
    // The calling thread's font for `key`, kept for the thread with its measured widths:
    // every layout asks for the same few. Qt's fonts may not be shared between threads.
    PageFont* ByKey(std::uint64_t key);

  private:
    PageFonts();
    std::unique_ptr<PageFont> Make(int pixelSize, int weight, bool italic) const;

    QString family_;
    QString emojiFamily_;
    // The face's vertical metrics in font units, from its hhea and head tables.
    int unitsPerEm_ = 1000;
    int hheaAscent_ = 880;
    int hheaDescent_ = 120;
    int hheaLineGap_ = 0;
};

constexpr int kMinFontPx = 1;
constexpr int kMaxFontPx = 500;

}  // namespace quorvel::page
