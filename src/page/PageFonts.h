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
#include <vector>

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

    // A word's advance in fractions of a pixel, each kTrimMark in it taking half an em off;
    // remembered: the same words come back on every layout.
    qreal Width(const std::string& utf8);
    // Draws `text` from `baseline` on, its emoji in the emoji face, each kTrimMark drawing what
    // follows half an em further left.
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
    std::unordered_map<std::string, qreal> widths_;
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

// Marks the container puts in the words it hands the engine. Code page 932 text never holds
// these noncharacters, so they cannot come from a seller's text.
// Half an em of blank trimmed between two full-width punctuation marks (kTrimMark), and the first
// word of a run of text (kRunMark).
constexpr char16_t kTrimMark = 0xFDD0;
constexpr char16_t kRunMark = 0xFDD1;

// Where a browser's default text spacing sets two adjacent full-width marks half an em closer:
// an opening bracket after an opening or closing mark, a middle dot or colon or an ideographic
// space; a closing mark before a closing mark, a middle dot or an ideographic space. The result
// has one flag a character and one more: true at i when the blank between i - 1 and i goes.
std::vector<bool> HalfTrims(QStringView text);

constexpr int kMinFontPx = 1;
constexpr int kMaxFontPx = 500;

}  // namespace quorvel::page
