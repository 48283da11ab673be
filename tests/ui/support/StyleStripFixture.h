#pragma once

#include <QPoint>

#include "document/SheetDocument.h"
#include "panes/StyleStrip.h"
#include "sheet/DescriptionSheet.h"
#include "ui/StyleMiniature.h"

namespace uitest {

// A style strip on a document of its own, shown at its place's size in the main window.
struct StyleStripFixture {
    quorvel::TDescriptionSheet sheet;
    TSheetDocument document{sheet};
    TStyleStrip strip{document};
    StyleStripFixture() {
        strip.resize(600, 79);
        strip.show();
    }
    quorvel::TTableStyle& style() { return sheet.Style; }
    // As New and Open do: the document takes a whole sheet with this style.
    void load(const quorvel::TTableStyle& loaded) {
        quorvel::TDescriptionSheet replacement;
        replacement.Style = loaded;
        document.ReplaceSheet(replacement, false);
    }
    QPoint textBlock() const { return strip.ShapeSpacing->pos(); }
    int tableLeft() const { return strip.ShapeTableBorderColor->x(); }
    int bannerLeft() const { return strip.ShapeBanner->x(); }
};

}  // namespace uitest
