#pragma once

#include <QPointF>
#include <QRectF>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "page/PictureState.h"
#include "sheet/DescriptionSheet.h"

class QPainter;
class QRect;

// Lays out and paints a sheet's tag text as a buyer's browser shows it, in the face a buyer's
// phone uses, and says where each of the sheet's cells landed. One engine for the preview, the
// live view and the listing check.
namespace quorvel::page {

// Where one included cell of the sheet is on the page, in CSS pixels from the page's origin.
struct CellBox {
    int tag = 0;
    QRectF box;                    // a table cell's border box; the note's paragraph
    std::optional<QPointF> first;  // top left of its first visible character, if any
};

// The included cells' tags in the order the page shows them: title, row cells, note.
std::vector<int> IncludedCellTags(const TDescriptionSheet& sheet);

class PageLayout {
  public:
    PageLayout();
    ~PageLayout();
    PageLayout(const PageLayout&) = delete;
    PageLayout& operator=(const PageLayout&) = delete;

    // Lays out code page 932 tag text in a window `cssWidth` CSS pixels wide. `cellTags` names
    // the sheet's cells in page order (see IncludedCellTags); empty for markup of no sheet.
    void Layout(std::string_view tags, int cssWidth, const std::vector<int>& cellTags = {});
    // The same for a sheet, made into tags as the generator makes them.
    void LayoutSheet(const TDescriptionSheet& sheet, int cssWidth);
    // The engine's tree, a box per word and most of a page's memory, is freed as Layout ends.
    // A caller that must hand the page on first says so before Layout, and calls ReleaseEngine
    // after, when no other thread uses the layout's tree (no accessor below uses it).
    void DeferEngineRelease() { deferRelease_ = true; }
    // For a page that is measured and never drawn: Layout keeps no drawing of it, a tenth of
    // the layout's time, and Paint gives the white ground alone.
    void MeasureOnly() { measureOnly_ = true; }
    void ReleaseEngine();

    int CssWidth() const;
    // The width a browser would scroll over: the window's, or the page's when wider.
    int PageWidth() const;
    int PageHeight() const;
    // True when the markup was beyond what is laid out and the page shows its text instead.
    bool ShownAsText() const;

    // Paints the part of the page inside `clip` (page coordinates) on a white ground.
    void Paint(QPainter& painter, const QRect& clip) const;

    // The pictures the page names, each in the state it was in as the page was laid out; the
    // store fetches them in the background.
    std::vector<PictureSeen> PicturesSeen() const;
    // Those whose own size decided nothing because it was not known when the page was laid
    // out (still coming, failed or blocked) although an IMG without both WIDTH and HEIGHT
    // needs it: the page's width may change once they come.
    const std::vector<std::string>& UnsizedPictures() const;

    const std::vector<CellBox>& Cells() const;
    std::optional<CellBox> Cell(int tag) const;
    // The cell whose box holds `point`, or 0.
    int CellAt(QPointF point) const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    bool deferRelease_ = false;
    bool measureOnly_ = false;
};

// The page's width laid out at `cssWidth`, for the listing check's phone-width finding.
int MeasurePageWidth(const TDescriptionSheet& sheet, int cssWidth);
// The cells of `layout` whose boxes run past its window's width.
std::vector<int> WideCells(const PageLayout& layout);

}  // namespace quorvel::page
