#include "page/PageEngine.h"

#include <litehtml.h>
#include <litehtml/el_text.h>

#include <QPainter>

#include <algorithm>
#include <cstring>

#include "page/PageContainer.h"
#include "page/PageMarkup.h"
#include "page/PagePictures.h"
#include "page/PageStyle.h"
#include "platform/Sjis.h"
#include "sheet/HtmlGenerator.h"

namespace quorvel::page {
namespace {

bool IsTag(const litehtml::element::ptr& element, const char* name) {
    const char* tag = element->get_tagName();
    return tag && std::strcmp(tag, name) == 0;
}

// Elements that are `name`, among the children of `parent` and, through tbody and the like,
// of its anonymous or grouping boxes.
void ChildrenNamed(const litehtml::element::ptr& parent, const char* name,
                   std::vector<litehtml::element::ptr>& out, int groupingDepth = 0) {
    for (const litehtml::element::ptr& child : parent->children()) {
        if (IsTag(child, name)) {
            out.push_back(child);
        } else if (groupingDepth < 2 &&
                   (IsTag(child, "tbody") || IsTag(child, "thead") || IsTag(child, "tfoot") ||
                    !child->get_tagName() || !*child->get_tagName())) {
            ChildrenNamed(child, name, out, groupingDepth + 1);
        }
    }
}

// The placement is the content box; padding and borders are the computed ones, in pixels.
QRectF BorderBox(const litehtml::element::ptr& element) {
    const litehtml::position content = element->get_placement();
    const litehtml::css_margins& padding = element->css().get_padding();
    const litehtml::css_borders& border = element->css().get_borders();
    const auto px = [](const litehtml::css_length& length) { return length.calc_percent(0); };
    const int left = px(padding.left) + px(border.left.width);
    const int top = px(padding.top) + px(border.top.width);
    const int right = px(padding.right) + px(border.right.width);
    const int bottom = px(padding.bottom) + px(border.bottom.width);
    return QRectF(content.x - left, content.y - top, content.width + left + right,
                  content.height + top + bottom);
}

// The first word of text shown inside `element`, depth first, skipping what is not drawn.
std::optional<QPointF> FirstCharacter(const litehtml::element::ptr& element) {
    if (element->css().get_display() == litehtml::display_none) return std::nullopt;
    if (dynamic_cast<litehtml::el_text*>(element.get()) && !element->is_white_space()) {
        std::string text;
        element->get_text(text);
        if (text != kEmptyLineMark) {
            const litehtml::position at = element->get_placement();
            return QPointF(at.x, at.y);
        }
    }
    for (const litehtml::element::ptr& child : element->children()) {
        if (auto found = FirstCharacter(child)) return found;
    }
    return std::nullopt;
}

bool HasContent(const litehtml::element::ptr& element) {
    for (const litehtml::element::ptr& child : element->children()) {
        if (!child->is_white_space()) return true;
    }
    return false;
}

// The addresses of the IMGs under `element` that take a size of their own: not both WIDTH and
// HEIGHT given.
void SelfSizedPictures(const litehtml::element::ptr& element, std::vector<std::string>& out) {
    if (IsTag(element, "img") && !(element->get_attr("width") && element->get_attr("height"))) {
        if (const char* src = element->get_attr("src")) out.emplace_back(src);
    }
    for (const litehtml::element::ptr& child : element->children()) SelfSizedPictures(child, out);
}

}  // namespace

std::vector<int> IncludedCellTags(const TDescriptionSheet& sheet) {
    std::vector<int> tags;
    if (sheet.IncludeTitle) tags.push_back(kTitleTag);
    for (int row = 1; row <= kRowCount; ++row) {
        if (sheet.IncludedByTag(ItemTag(row))) tags.push_back(ItemTag(row));
        if (sheet.IncludedByTag(DescriptionTag(row))) tags.push_back(DescriptionTag(row));
    }
    if (sheet.IncludeNote) tags.push_back(kNoteTag);
    return tags;
}

struct PageLayout::Impl {
    std::unique_ptr<PageContainer> container;
    litehtml::document::ptr document;
    int cssWidth = 0;
    int pageWidth = 0;
    int pageHeight = 0;
    bool asText = false;
    std::vector<CellBox> cells;
    std::vector<std::string> unsized;
    PageDrawing drawing;

    void Load(const std::string& html) {
        document = litehtml::document::createFromString(html.c_str(), container.get(),
                                                        UserAgentStyleSheet().c_str());
        document->render(cssWidth);
    }

    // Everything the page draws, whatever part of it is shown later.
    void Record() {
        if (!document) return;
        static constexpr int kEverywhere = 1 << 26;
        const litehtml::position all(-kEverywhere, -kEverywhere, 2 * kEverywhere, 2 * kEverywhere);
        container->BeginRecording(&drawing);
        document->draw(reinterpret_cast<litehtml::uint_ptr>(&drawing), 0, 0, &all);
        container->EndRecording();
    }

    void FindCells(const std::vector<int>& cellTags) {
        cells.clear();
        if (cellTags.empty() || !document || !document->root()) return;
        std::vector<litehtml::element::ptr> bodies;
        ChildrenNamed(document->root(), "body", bodies);
        if (bodies.empty()) return;
        const litehtml::element::ptr body = bodies.front();
        std::size_t next = 0;
        bool tableSeen = false;
        for (const litehtml::element::ptr& child : body->children()) {
            if (!tableSeen && IsTag(child, "table")) {
                // The generator's table: its rows' own cells are the sheet's, in order.
                tableSeen = true;
                std::vector<litehtml::element::ptr> rows;
                ChildrenNamed(child, "tr", rows);
                for (const auto& row : rows) {
                    std::vector<litehtml::element::ptr> tds;
                    ChildrenNamed(row, "td", tds);
                    for (const auto& td : tds) {
                        if (next >= cellTags.size() || cellTags[next] == kNoteTag) break;
                        cells.push_back({cellTags[next++], BorderBox(td), FirstCharacter(td)});
                    }
                }
            } else if (tableSeen && IsTag(child, "p") && HasContent(child)) {
                if (next < cellTags.size() && cellTags[next] == kNoteTag)
                    cells.push_back({kNoteTag, BorderBox(child), FirstCharacter(child)});
                break;
            }
        }
    }
};

PageLayout::PageLayout() : impl_(std::make_unique<Impl>()) {
    PageFonts::Shared();
    UserAgentStyleSheet();
}

PageLayout::~PageLayout() = default;

void PageLayout::Layout(std::string_view tags, int cssWidth, const std::vector<int>& cellTags) {
    Impl& d = *impl_;
    d.cssWidth = std::clamp(cssWidth, 1, 100000);
    d.document.reset();
    d.container = std::make_unique<PageContainer>(d.cssWidth);
    const std::string utf8 = sjis::ToUtf8(tags);
    const std::string html = PageDocument(utf8);
    d.asText = !WithinBounds(html);
    d.Load(d.asText ? TextDocument(utf8) : html);
    d.pageWidth = std::max(d.cssWidth, d.document->width());
    d.pageHeight = d.document->height();
    d.FindCells(d.asText ? std::vector<int>{} : cellTags);
    d.unsized.clear();
    if (!d.container->Placeheld().empty() && d.document->root()) {
        std::vector<std::string> selfSized;
        SelfSizedPictures(d.document->root(), selfSized);
        for (const std::string& url : d.container->Placeheld()) {
            if (std::find(selfSized.begin(), selfSized.end(), url) != selfSized.end())
                d.unsized.push_back(url);
        }
    }
    if (PagePictures* store = PagePictures::Shared()) {
        std::vector<std::string> named;
        for (const PictureSeen& picture : d.container->Pictures()) named.push_back(picture.url);
        store->PageNeeds(named);
    }
    d.drawing = PageDrawing();
    if (!measureOnly_) d.Record();
    if (!deferRelease_) ReleaseEngine();
}

void PageLayout::ReleaseEngine() {
    impl_->document.reset();
}

void PageLayout::LayoutSheet(const TDescriptionSheet& sheet, int cssWidth) {
    Layout(BuildHtmlTags(sheet), cssWidth, IncludedCellTags(sheet));
}

int PageLayout::CssWidth() const {
    return impl_->cssWidth;
}

int PageLayout::PageWidth() const {
    return impl_->pageWidth;
}

int PageLayout::PageHeight() const {
    return impl_->pageHeight;
}

bool PageLayout::ShownAsText() const {
    return impl_->asText;
}

void PageLayout::Paint(QPainter& painter, const QRect& clip) const {
    painter.fillRect(clip, Qt::white);
    painter.save();
    painter.setClipRect(clip, Qt::IntersectClip);
    impl_->drawing.Replay(painter, clip);
    painter.restore();
}

std::vector<PictureSeen> PageLayout::PicturesSeen() const {
    return impl_->container ? impl_->container->Pictures() : std::vector<PictureSeen>{};
}

const std::vector<std::string>& PageLayout::UnsizedPictures() const {
    return impl_->unsized;
}

const std::vector<CellBox>& PageLayout::Cells() const {
    return impl_->cells;
}

std::optional<CellBox> PageLayout::Cell(int tag) const {
    for (const CellBox& cell : impl_->cells) {
        if (cell.tag == tag) return cell;
    }
    return std::nullopt;
}

int PageLayout::CellAt(QPointF point) const {
    for (const CellBox& cell : impl_->cells) {
        if (cell.box.contains(point)) return cell.tag;
    }
    return 0;
}

std::vector<int> WideCells(const PageLayout& layout) {
    std::vector<int> wide;
    for (const CellBox& cell : layout.Cells())
        if (cell.box.right() > layout.CssWidth() + 0.5) wide.push_back(cell.tag);
    return wide;
}

int MeasurePageWidth(const TDescriptionSheet& sheet, int cssWidth) {
    PageLayout layout;
    layout.MeasureOnly();
    layout.LayoutSheet(sheet, cssWidth);
    return layout.PageWidth();
}

}  // namespace quorvel::page
