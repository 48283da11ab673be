#include "page/PageContainer.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "page/PageMarkup.h"
#include "page/PagePictures.h"

namespace quorvel::page {
namespace {

PageDrawing& DrawingOf(litehtml::uint_ptr hdc) {
    return *reinterpret_cast<PageDrawing*>(hdc);
}

// A font handle is its key: the layout may have been made on another thread.
PageFont* FontOf(litehtml::uint_ptr font) {
    return PageFonts::Shared().ByKey(font);
}

QColor ColourOf(const litehtml::web_color& colour) {
    return QColor(colour.red, colour.green, colour.blue, colour.alpha);
}

// Hostile sizes reach millions of pixels; nothing drawn lies that far out.
QRect RectOf(const litehtml::position& pos) {
    static constexpr int kFar = 1 << 24;
    const auto bound = [](int v) { return std::clamp(v, -kFar, kFar); };
    return QRect(bound(pos.x), bound(pos.y), bound(pos.width), bound(pos.height));
}

// Where drawing `pos` may paint: glyphs and picture labels may stand a little past their box.
QRect ReachOf(const litehtml::position& pos, int margin) {
    return RectOf(pos).adjusted(-margin, -margin, margin, margin);
}

bool StartsRun(const char* utf8) {
    // kRunMark in UTF-8.
    return std::strncmp(utf8, "\xEF\xB7\x91", 3) == 0;
}

// Collapsible white space in CSS: an ideographic space or a no-break space is a character.
bool IsCollapsibleSpace(QChar ch) {
    return ch == u' ' || ch == u'\t' || ch == u'\n' || ch == u'\r' || ch == u'\f';
}

Picture PictureAt(const char* src) {
    const PagePictures* store = PagePictures::Shared();
    if (!store || !src || !*src) return {};
    return store->Find(QString::fromUtf8(src));
}

bool NeverComes(PictureState state) {
    return state == PictureState::Failed || state == PictureState::Blocked ||
           state == PictureState::TooMany || state == PictureState::TooLarge;
}

// A picture not (yet) shown: a light box with its address, and a word for one that is blocked.
// One that will not come and took a placeholder's size is drawn wide enough for its address,
// over what follows it: the seller must see which picture it is.
// A list's number is drawn right-aligned in a line this wide, ending at its marker's box.
constexpr int kMarkerLine = 200;
constexpr int kLabelPx = 10;
constexpr int kMaxLabelWidth = 320;

void PaintPictureBox(QPainter& painter, QRect box, const char* src, PictureState state) {
    painter.save();
    QFont font = painter.font();
    font.setPixelSize(kLabelPx);
    QString text = QString::fromUtf8(src);
    if (state == PictureState::Blocked) text = QStringLiteral("ブロック ") + text;
    const QFontMetrics metrics(font);
    if (NeverComes(state) && !text.isEmpty() && (box.width() < 30 || box.height() < 16)) {
        const int wanted = std::min(metrics.horizontalAdvance(text) + 8, kMaxLabelWidth);
        box.setSize(
            QSize(std::max(box.width(), wanted), std::max(box.height(), metrics.height() + 4)));
    }
    painter.fillRect(box, QColor(0xF0, 0xF0, 0xF0));
    painter.setPen(QColor(0xA0, 0xA0, 0xA0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    const QRect inside = box.adjusted(3, 2, -3, -2);
    if (inside.width() >= 24 && inside.height() >= 12) {
        painter.setFont(font);
        painter.setPen(QColor(0x60, 0x60, 0x60));
        const QString shown = metrics.elidedText(text, Qt::ElideMiddle, inside.width());
        painter.setClipRect(inside, Qt::IntersectClip);
        painter.drawText(inside, Qt::AlignLeft | Qt::AlignTop, shown);
    }
    painter.restore();
}

}  // namespace

PageContainer::PageContainer(int cssWidth) : cssWidth_(cssWidth) {}

litehtml::uint_ptr PageContainer::create_font(const char*, int size, int weight,
                                              litehtml::font_style italic, unsigned int decoration,
                                              litehtml::font_metrics* fm) {
    const std::uint64_t key =
        PageFonts::Key(size, weight, italic == litehtml::font_style_italic, decoration);
    const PageFont* font = FontOf(key);
    if (fm) {
        fm->ascent = font->ascent;
        fm->descent = font->descent;
        fm->height = font->ascent + font->descent + font->lineGap;
        fm->x_height = font->xHeight;
        fm->draw_spaces = font->underline || font->lineThrough || font->overline;
    }
    return static_cast<litehtml::uint_ptr>(key);
}

// The fonts belong to each thread's set.
void PageContainer::delete_font(litehtml::uint_ptr) {}

// The engine measures each word once, in the order of the page. A run's words share its whole
// pixels: each word gets those its end adds, so a run's line is as wide as its exact advance
// rounded once, as a browser lays text out in fractions and snaps the edge (a rounding a word
// would add up over a line of Latin words).
int PageContainer::text_width(const char* text, litehtml::uint_ptr font) {
    const qreal exact = FontOf(font)->Width(text);
    qreal& at = runAdvance_[font];
    if (StartsRun(text)) at = 0;
    const int width = static_cast<int>(std::lround(at + exact) - std::lround(at));
    at += exact;
    return width;
}

void PageContainer::draw_text(litehtml::uint_ptr hdc, const char* text, litehtml::uint_ptr font,
                              litehtml::web_color color, const litehtml::position& pos) {
    DrawingOf(hdc).Add(
        ReachOf(pos, std::max(pos.height, 8)),
        [text = std::string(text), font, colour = ColourOf(color), pos](QPainter& painter) {
            PageFont* face = FontOf(font);
            painter.setPen(colour);
            face->Draw(painter, QPointF(pos.x, pos.bottom() - face->descent),
                       QString::fromUtf8(text.c_str()));
        });
}

int PageContainer::pt_to_px(int pt) const {
    return pt * 96 / 72;
}

int PageContainer::get_default_font_size() const {
    return 16;
}

const char* PageContainer::get_default_font_name() const {
    return "Noto Sans CJK JP";
}

void PageContainer::draw_list_marker(litehtml::uint_ptr hdc, const litehtml::list_marker& marker) {
    const QRect box = RectOf(marker.pos);
    const QRect reach = box.adjusted(-kMarkerLine, -box.height(), 0, box.height());
    DrawingOf(hdc).Add(reach, [box, colour = ColourOf(marker.color), type = marker.marker_type,
                               font = marker.font, index = marker.index](QPainter& painter) {
        DrawListMarker(&painter, box, colour, type, font, index);
    });
}

void PageContainer::DrawListMarker(QPainter* painter, QRect box, QColor colour,
                                   litehtml::list_style_type type, litehtml::uint_ptr font,
                                   int index) {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    switch (type) {
        case litehtml::list_style_type_none:
            break;
        case litehtml::list_style_type_circle:
            painter->setPen(colour);
            painter->drawEllipse(box.adjusted(0, 0, -1, -1));
            break;
        case litehtml::list_style_type_square:
            painter->fillRect(box, colour);
            break;
        case litehtml::list_style_type_disc:
            painter->setPen(Qt::NoPen);
            painter->setBrush(colour);
            painter->drawEllipse(box);
            break;
        default: {
            if (font) painter->setFont(FontOf(font)->font);
            painter->setPen(colour);
            const QString number = QString::number(index) + QLatin1Char('.');
            const QRect line(box.right() - kMarkerLine, box.top() - box.height(), kMarkerLine,
                             3 * box.height());
            painter->drawText(line, Qt::AlignRight | Qt::AlignVCenter, number);
            break;
        }
    }
    painter->restore();
}

PictureSeen* PageContainer::seen(std::string_view url) {
    const auto found = std::find_if(pictures_.begin(), pictures_.end(),
                                    [url](const PictureSeen& p) { return p.url == url; });
    return found == pictures_.end() ? nullptr : &*found;
}

// Called while the page is laid out, on whichever thread lays it out: the store fetches on its
// own thread.
void PageContainer::load_image(const char* src, const char*, bool) {
    if (!src || !*src) return;
    const std::string url(src);
    if (seen(url)) return;
    PictureSeen picture{url, PictureState::Unknown};
    if (PagePictures* store = PagePictures::Shared()) {
        store->Want(QString::fromUtf8(src));
        picture.state = store->Find(QString::fromUtf8(src)).state;
    }
    pictures_.push_back(std::move(picture));
}

// A picture's own size once it has come; the engine scales it to a WIDTH or HEIGHT given alone
// and takes both when both are given. Until then, and for one that never comes, a placeholder.
void PageContainer::get_image_size(const char* src, const char*, litehtml::size& sz) {
    const Picture picture = PictureAt(src);
    if (PictureSeen* known = src ? seen(src) : nullptr) known->state = picture.state;
    if (picture.state == PictureState::Loaded && !picture.image.isNull()) {
        sz.width = std::min(picture.image.width(), kMaxPicturePx);
        sz.height = std::min(picture.image.height(), kMaxPicturePx);
        return;
    }
    if (src && *src && std::find(placeheld_.begin(), placeheld_.end(), src) == placeheld_.end())
        placeheld_.emplace_back(src);
    sz.width = kPlaceholderPx;
    sz.height = kPlaceholderPx;
}

// One layer of a box's background: its colour (only the farthest layer has one), then its
// picture over it.
void PageContainer::DrawLayer(QPainter* painter, const litehtml::background_paint& bg) {
    if (bg.color.alpha != 0) {
        // The root's colour fills the whole canvas, as a browser's does.
        const QRect area = bg.is_root ? painter->window() : RectOf(bg.clip_box);
        painter->fillRect(area, ColourOf(bg.color));
    }
    if (bg.image.empty()) return;
    const QRect box = RectOf(bg.clip_box);
    if (box.width() <= 0 || box.height() <= 0) return;
    const Picture picture = PictureAt(bg.image.c_str());
    if (picture.state != PictureState::Loaded || picture.image.isNull()) {
        PaintPictureBox(*painter, box, bg.image.c_str(), picture.state);
        return;
    }
    const QRect at(bg.position_x, bg.position_y, std::max(bg.image_size.width, 1),
                   std::max(bg.image_size.height, 1));
    painter->save();
    painter->setClipRect(box, Qt::IntersectClip);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    if (bg.repeat == litehtml::background_repeat_no_repeat) {
        painter->drawImage(at, picture.image);
    } else {
        // Tiled from its position over the box, as a background is.
        const QImage tile =
            picture.image.size() == at.size()
                ? picture.image
                : picture.image.scaled(at.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QBrush brush(tile);
        brush.setTransform(QTransform::fromTranslate(at.x(), at.y()));
        painter->fillRect(box, brush);
    }
    painter->restore();
}

// The layers come nearest first; the farthest, which alone carries the colour, is painted first.
void PageContainer::draw_background(litehtml::uint_ptr hdc,
                                    const std::vector<litehtml::background_paint>& layers) {
    // The root's colour fills the canvas; a picture box's label may stand past its box.
    QRect reach;
    bool anywhere = false;
    for (const litehtml::background_paint& layer : layers) {
        anywhere = anywhere || layer.is_root;
        reach |= RectOf(layer.clip_box).adjusted(0, 0, kMaxLabelWidth, 2 * kLabelPx);
    }
    if (!anywhere && reach.isEmpty()) return;
    DrawingOf(hdc).Add(anywhere ? QRect() : reach, [layers](QPainter& painter) {
        for (auto at = layers.rbegin(); at != layers.rend(); ++at) DrawLayer(&painter, *at);
    });
}

void PageContainer::draw_borders(litehtml::uint_ptr hdc, const litehtml::borders& borders,
                                 const litehtml::position& pos, bool) {
    DrawingOf(hdc).Add(RectOf(pos),
                       [borders, pos](QPainter& painter) { DrawBorders(&painter, borders, pos); });
}

void PageContainer::DrawBorders(QPainter* painter, const litehtml::borders& borders,
                                const litehtml::position& pos) {
    const auto visible = [](const litehtml::border& b) {
        return b.width > 0 && b.style != litehtml::border_style_none &&
               b.style != litehtml::border_style_hidden;
    };
    // Inset edges are dark above and left, outset ones below and right.
    const auto shade = [](const litehtml::border& b, bool upperLeft) {
        QColor colour = ColourOf(b.color);
        const bool dark = (b.style == litehtml::border_style_inset && upperLeft) ||
                          (b.style == litehtml::border_style_outset && !upperLeft);
        return dark ? colour.darker(150) : colour;
    };
    const QRect box = RectOf(pos);
    if (visible(borders.top))
        painter->fillRect(QRect(box.left(), box.top(), box.width(), borders.top.width),
                          shade(borders.top, true));
    if (visible(borders.bottom))
        painter->fillRect(QRect(box.left(), box.top() + box.height() - borders.bottom.width,
                                box.width(), borders.bottom.width),
                          shade(borders.bottom, false));
    if (visible(borders.left))
        painter->fillRect(QRect(box.left(), box.top(), borders.left.width, box.height()),
                          shade(borders.left, true));
    if (visible(borders.right))
        painter->fillRect(QRect(box.left() + box.width() - borders.right.width, box.top(),
                                borders.right.width, box.height()),
                          shade(borders.right, false));
}

void PageContainer::transform_text(litehtml::string& text, litehtml::text_transform tt) {
    QString value = QString::fromUtf8(text.c_str());
    switch (tt) {
        case litehtml::text_transform_uppercase:
            value = value.toUpper();
            break;
        case litehtml::text_transform_lowercase:
            value = value.toLower();
            break;
        case litehtml::text_transform_capitalize:
            if (!value.isEmpty()) value[0] = value[0].toUpper();
            break;
        default:
            return;
    }
    text = value.toStdString();
}

void PageContainer::set_clip(const litehtml::position& pos, const litehtml::border_radiuses&) {
    // Clips come without the drawing: the one being recorded takes them.
    if (!drawing_) return;
    drawing_->PushClip(RectOf(pos));
    ++clipDepth_;
}

void PageContainer::del_clip() {
    if (!drawing_ || clipDepth_ == 0) return;
    drawing_->PopClip();
    --clipDepth_;
}

void PageContainer::BeginRecording(PageDrawing* drawing) {
    drawing_ = drawing;
    clipDepth_ = 0;
}

void PageContainer::EndRecording() {
    while (clipDepth_ > 0) del_clip();
    drawing_ = nullptr;
}

void PageContainer::get_client_rect(litehtml::position& client) const {
    client = litehtml::position(0, 0, cssWidth_, 800);
}

void PageContainer::get_media_features(litehtml::media_features& media) const {
    media.type = litehtml::media_type_screen;
    media.width = cssWidth_;
    media.height = 800;
    media.device_width = cssWidth_;
    media.device_height = 800;
    media.color = 8;
    media.color_index = 0;
    media.monochrome = 0;
    media.resolution = 96;
}

void PageContainer::get_language(litehtml::string& language, litehtml::string& culture) const {
    language = "ja";
    culture = "ja-JP";
}

// Lines may break wherever Unicode's line-breaking rules allow, kana included; each run of
// collapsible spaces is handed on one character at a time. The words carry marks: where two
// full-width marks stand half an em closer, and the run's first word.
void PageContainer::split_text(const char* text, const std::function<void(const char*)>& onWord,
                               const std::function<void(const char*)>& onSpace) {
    const QString value = QString::fromUtf8(text);
    const std::vector<bool> trims = HalfTrims(value);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Line, value);
    qsizetype start = 0;
    bool first = true;
    const auto emitWord = [&](qsizetype from, qsizetype to) {
        QString word;
        word.reserve(to - from + 2);
        const QStringView plain = QStringView(value).mid(from, to - from);
        // The pre-pass's mark of an empty line stays as it is: the engine looks for it.
        if (first && plain != QString::fromUtf8(kEmptyLineMark)) {
            word += QChar(kRunMark);
            first = false;
        }
        for (qsizetype i = from; i < to; ++i) {
            if (trims[i]) word += QChar(kTrimMark);
            word += value[i];
        }
        onWord(word.toUtf8().constData());
    };
    const auto emitRange = [&](qsizetype from, qsizetype to) {
        qsizetype word = from;
        for (qsizetype i = from; i < to; ++i) {
            if (!IsCollapsibleSpace(value[i])) continue;
            if (i > word) emitWord(word, i);
            onSpace(QString(value[i]).toUtf8().constData());
            word = i + 1;
        }
        if (to > word) emitWord(word, to);
    };
    while (finder.toNextBoundary() != -1) {
        const qsizetype end = finder.position();
        if (end > start) emitRange(start, end);
        start = end;
    }
    if (start < value.size()) emitRange(start, value.size());
}

}  // namespace quorvel::page
