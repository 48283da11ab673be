#include "page/PageFonts.h"

#include "page/EmojiRuns.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QPainter>
#include <QRawFont>
#include <QTextBoundaryFinder>
#include <QtEndian>

#include <algorithm>
#include <cmath>

namespace quorvel::page {
namespace {

const QString kFamily = QStringLiteral("Noto Sans CJK JP");

// Where the face's files are: beside the program (the Windows zip and installer carry them),
// then the system's font folders.
QStringList FontFolders() {
    QStringList folders;
    const QByteArray fromEnv = qgetenv("QUORVEL_PAGE_FONT_DIR");
    if (!fromEnv.isEmpty()) folders << QString::fromLocal8Bit(fromEnv);
    if (QCoreApplication::instance()) {
        const QString bin = QCoreApplication::applicationDirPath();
        folders << bin + QStringLiteral("/fonts")
                << bin + QStringLiteral("/../share/quorvel/fonts");
    }
    folders << QStringLiteral("/usr/share/fonts/opentype/noto")
            << QStringLiteral("/usr/share/fonts/truetype/noto")
            << QStringLiteral("/usr/share/fonts/noto-cjk");
    return folders;
}

qint16 ReadI16(const QByteArray& table, int offset) {
    if (table.size() < offset + 2) return 0;
    return qFromBigEndian<qint16>(table.constData() + offset);
}

// Rounds half away from zero, as the browser rounds its font metrics.
int RoundScaled(int units, int pixelSize, int unitsPerEm) {
    return static_cast<int>(std::lround(static_cast<double>(units) * pixelSize / unitsPerEm));
}

}  // namespace

qreal PageFont::EmojiAdvance(QStringView cluster) {
    if (!emojiMetrics_) {
        emojiMetrics_ = std::make_unique<QFontMetricsF>(emoji);
        emojiRaw_ = QRawFont::fromFont(emoji);
        const QByteArray head = emojiRaw_.fontTable("head");
        const QByteArray hhea = emojiRaw_.fontTable("hhea");
        emojiHmtx_ = emojiRaw_.fontTable("hmtx");
        if (head.size() >= 20) emojiUnitsPerEm_ = qFromBigEndian<quint16>(head.constData() + 18);
        if (hhea.size() >= 36) emojiMetricsCount_ = qFromBigEndian<quint16>(hhea.constData() + 34);
    }
    const QList<quint32> glyphs = emojiRaw_.glyphIndexesForString(
        cluster.left(cluster.size() > 1 && QChar::isHighSurrogate(cluster[0].unicode()) ? 2 : 1)
            .toString());
    if (emojiUnitsPerEm_ > 0 && emojiMetricsCount_ > 0 && !glyphs.isEmpty() && glyphs[0] != 0) {
        // Glyphs past the last long metric share its advance.
        const int index = std::min<int>(static_cast<int>(glyphs[0]), emojiMetricsCount_ - 1);
        if (emojiHmtx_.size() >= 4 * (index + 1)) {
            const int units = qFromBigEndian<quint16>(emojiHmtx_.constData() + 4 * index);
            return static_cast<qreal>(units) * emoji.pixelSize() / emojiUnitsPerEm_;
        }
    }
    return emojiMetrics_->horizontalAdvance(cluster.toString());
}

namespace {

// One picture a cluster: a flag's two letters, a sequence joined by U+200D.
template <typename Each>
void ForEachCluster(QStringView run, Each each) {
    QTextBoundaryFinder clusters(QTextBoundaryFinder::Grapheme, run.toString());
    qsizetype from = 0;
    while (clusters.toNextBoundary() != -1) {
        const qsizetype to = clusters.position();
        if (to > from) each(run.mid(from, to - from));
        from = to;
    }
}

}  // namespace

qreal PageFont::Advance(QStringView run, bool inEmoji) {
    if (inEmoji && hasEmoji) {
        qreal advance = 0;
        ForEachCluster(run, [&](QStringView cluster) { advance += EmojiAdvance(cluster); });
        return advance;
    }
    if (!metrics_) metrics_ = std::make_unique<QFontMetricsF>(font);
    return metrics_->horizontalAdvance(run.toString());
}

namespace {

// Calls `each` for the stretches of `text` between marks, with the number of trims before each.
template <typename Each>
void ForEachMarkedPiece(const QString& text, Each each) {
    qsizetype from = 0;
    int trims = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const bool end = i == text.size();
        if (!end && text[i] != kTrimMark && text[i] != kRunMark) continue;
        if (i > from || end) each(QStringView(text).mid(from, i - from), trims);
        trims = !end && text[i] == kTrimMark ? 1 : 0;
        from = i + 1;
    }
}

}  // namespace

void PageFont::Draw(QPainter& painter, QPointF baseline, const QString& text) {
    const qreal half = font.pixelSize() / 2.0;
    ForEachMarkedPiece(text, [&](QStringView piece, int trims) {
        baseline.rx() -= trims * half;
        ForEachEmojiRun(piece.toString(), [&](QStringView run, bool inEmoji) {
            if (!inEmoji || !hasEmoji) {
                painter.setFont(font);
                painter.drawText(baseline, run.toString());
                baseline.rx() += Advance(run, false);
                return;
            }
            // Each picture where the browser puts it.
            painter.setFont(emoji);
            ForEachCluster(run, [&](QStringView cluster) {
                painter.drawText(baseline, cluster.toString());
                baseline.rx() += EmojiAdvance(cluster);
            });
        });
    });
}

qreal PageFont::Width(const std::string& utf8) {
    const auto found = widths_.find(utf8);
    if (found != widths_.end()) return found->second;
    qreal advance = 0;
    const qreal half = font.pixelSize() / 2.0;
    ForEachMarkedPiece(QString::fromUtf8(utf8), [&](QStringView piece, int trims) {
        advance -= trims * half;
        ForEachEmojiRun(piece.toString(),
                        [&](QStringView run, bool inEmoji) { advance += Advance(run, inEmoji); });
    });
    // A pathological page must not grow the cache without bound.
    if (widths_.size() > 20000) widths_.clear();
    widths_.emplace(utf8, advance);
    return advance;
}

namespace {

enum class Mark { Other, Open, Close, Middle, NarrowOpen, NarrowClose };

Mark MarkOf(char16_t ch) {
    switch (ch) {
        case 0x3008:
        case 0x300A:
        case 0x300C:
        case 0x300E:
        case 0x3010:
        case 0x3014:
        case 0x3016:
        case 0x3018:
        case 0x301A:
        case 0x301D:
        case 0xFF08:
        case 0xFF3B:
        case 0xFF5B:
        case 0xFF5F:
            return Mark::Open;
        case 0x3001:
        case 0x3002:
        case 0x3009:
        case 0x300B:
        case 0x300D:
        case 0x300F:
        case 0x3011:
        case 0x3015:
        case 0x3017:
        case 0x3019:
        case 0x301B:
        case 0x301E:
        case 0x301F:
        case 0xFF09:
        case 0xFF0C:
        case 0xFF0E:
        case 0xFF3D:
        case 0xFF5D:
        case 0xFF60:
            return Mark::Close;
        case 0x3000:
        case 0x30FB:
        case 0xFF1A:
        case 0xFF1B:
            return Mark::Middle;
        // Quotation marks the face draws narrow: nothing of theirs to trim, but a neighbour's.
        case 0x2018:
        case 0x201C:
        case 0xFF62:
            return Mark::NarrowOpen;
        case 0x2019:
        case 0x201D:
        case 0xFF63:
            return Mark::NarrowClose;
        default:
            return Mark::Other;
    }
}

}  // namespace

std::vector<bool> HalfTrims(QStringView text) {
    std::vector<bool> trims(text.size() + 1, false);
    for (qsizetype i = 1; i < text.size(); ++i) {
        const Mark before = MarkOf(text[i - 1].unicode());
        const Mark after = MarkOf(text[i].unicode());
        const bool openTrimmed =
            after == Mark::Open && (before == Mark::Open || before == Mark::NarrowOpen ||
                                    before == Mark::Close || before == Mark::Middle);
        const bool closeTrimmed =
            before == Mark::Close &&
            (after == Mark::Close || after == Mark::NarrowClose || after == Mark::Middle);
        trims[i] = openTrimmed || closeTrimmed;
    }
    return trims;
}

PageFonts& PageFonts::Shared() {
    static PageFonts fonts;
    return fonts;
}

PageFonts::PageFonts() {
    // Registering the face's files costs a fifth of a second (every face in the collections is
    // read), so where the system has the face already, as Debian's fonts-noto-cjk gives it, that
    // is the one used.
    const QStringList families = QFontDatabase::families();
    bool found = families.contains(kFamily);
    for (const QString& folder : found ? QStringList() : FontFolders()) {
        for (const char* file : {"NotoSansCJK-Regular.ttc", "NotoSansCJK-Bold.ttc",
                                 "NotoSansCJKjp-Regular.otf", "NotoSansCJKjp-Bold.otf"}) {
            const QString path = QDir(folder).filePath(QString::fromLatin1(file));
            if (!QFileInfo::exists(path)) continue;
            const int id = QFontDatabase::addApplicationFont(path);
            if (id >= 0 && QFontDatabase::applicationFontFamilies(id).contains(kFamily))
                found = true;
        }
        if (found) break;
    }
    // The system's colour emoji face, else Noto's from the folders the page's face may come from.
    for (const char* emoji : {"Noto Color Emoji", "Segoe UI Emoji", "Apple Color Emoji"}) {
        if (families.contains(QString::fromLatin1(emoji))) {
            emojiFamily_ = QString::fromLatin1(emoji);
            break;
        }
    }
    for (const QString& folder : emojiFamily_.isEmpty() ? FontFolders() : QStringList()) {
        const QString path = QDir(folder).filePath(QStringLiteral("NotoColorEmoji.ttf"));
        if (!QFileInfo::exists(path)) continue;
        const int id = QFontDatabase::addApplicationFont(path);
        if (id >= 0 && !QFontDatabase::applicationFontFamilies(id).isEmpty()) {
            emojiFamily_ = QFontDatabase::applicationFontFamilies(id).front();
            break;
        }
    }
    if (!found) return;
    family_ = kFamily;
    QFont probe(family_);
    probe.setPixelSize(100);
    const QRawFont raw = QRawFont::fromFont(probe);
    const QByteArray head = raw.fontTable("head");
    const QByteArray hhea = raw.fontTable("hhea");
    const int upem = head.size() >= 20 ? qFromBigEndian<quint16>(head.constData() + 18) : 0;
    if (upem > 0 && hhea.size() >= 10) {
        unitsPerEm_ = upem;
        hheaAscent_ = ReadI16(hhea, 4);
        hheaDescent_ = -ReadI16(hhea, 6);
        hheaLineGap_ = ReadI16(hhea, 8);
    }
}

std::uint64_t PageFonts::Key(int pixelSize, int weight, bool italic, unsigned decoration) {
    pixelSize = std::clamp(pixelSize, kMinFontPx, kMaxFontPx);
    return (static_cast<std::uint64_t>(pixelSize) << 8) | (weight >= 600 ? 16u : 0u) |
           (italic ? 8u : 0u) | (decoration & 7u);
}

PageFont* PageFonts::ByKey(std::uint64_t key) {
    thread_local std::unordered_map<std::uint64_t, std::unique_ptr<PageFont>> fonts;
    auto& slot = fonts[key];
    if (!slot) {
        const unsigned decoration = key & 7u;
        slot = Make(static_cast<int>(key >> 8), (key & 16u) ? 700 : 400, key & 8u);
        slot->underline = decoration & 1u;
        slot->lineThrough = decoration & 2u;
        slot->overline = decoration & 4u;
        slot->font.setUnderline(slot->underline);
        slot->font.setStrikeOut(slot->lineThrough);
        slot->font.setOverline(slot->overline);
        slot->emoji.setUnderline(slot->underline);
        slot->emoji.setStrikeOut(slot->lineThrough);
        slot->emoji.setOverline(slot->overline);
    }
    return slot.get();
}

std::unique_ptr<PageFont> PageFonts::Make(int pixelSize, int weight, bool italic) const {
    pixelSize = std::clamp(pixelSize, kMinFontPx, kMaxFontPx);
    auto made = std::make_unique<PageFont>();
    QFont& font = made->font;
    if (!family_.isEmpty()) font.setFamily(family_);
    font.setPixelSize(pixelSize);
    font.setWeight(weight >= 600 ? QFont::Bold : QFont::Normal);
    font.setItalic(italic);
    // Unhinted advances, as the browser positions glyphs at fractions of a pixel.
    font.setHintingPreference(QFont::PreferNoHinting);
    if (!emojiFamily_.isEmpty()) {
        made->emoji = QFont(emojiFamily_);
        made->emoji.setPixelSize(pixelSize);
        made->emoji.setHintingPreference(QFont::PreferNoHinting);
        made->hasEmoji = true;
    }
    made->ascent = RoundScaled(hheaAscent_, pixelSize, unitsPerEm_);
    made->descent = RoundScaled(hheaDescent_, pixelSize, unitsPerEm_);
    made->lineGap = RoundScaled(hheaLineGap_, pixelSize, unitsPerEm_);
    made->xHeight = static_cast<int>(std::lround(QFontMetricsF(font).xHeight()));
    return made;
}

}  // namespace quorvel::page
