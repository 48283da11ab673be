// The engine on known sheets, drawn into an image: what a seller would see wrong first.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include <string>

#include "page/PageEngine.h"
#include "page/PageMarkup.h"
#include "platform/Sjis.h"
#include "sheet/HtmlGenerator.h"
#include "store/DataFile.h"

namespace {

using quorvel::TDescriptionSheet;
using quorvel::page::PageLayout;

std::string Cp932(const char* utf8) {
    return quorvel::sjis::FromUtf8(utf8).bytes;
}

// A sheet with short texts in every row, so every cell has a box with room around its text.
TDescriptionSheet KnownSheet() {
    TDescriptionSheet sheet;
    sheet.Title.Text = Cp932("見出し");
    for (int row = 1; row <= quorvel::kRowCount; ++row) {
        sheet.CellByTag(quorvel::ItemTag(row)).Text = Cp932("項目");
        sheet.CellByTag(quorvel::DescriptionTag(row)).Text = Cp932("説明の文");
    }
    sheet.Note.Text = Cp932("注記");
    return sheet;
}

QImage Draw(const PageLayout& layout) {
    QImage image(layout.PageWidth(), layout.PageHeight(), QImage::Format_RGB32);
    QPainter painter(&image);
    layout.Paint(painter, image.rect());
    return image;
}

QColor At(const QImage& image, QPointF point) {
    return image.pixelColor(point.toPoint());
}

// The columns of a cell's box that hold a pixel of `colour`, as [first, last]; {-1, -1} if none.
std::pair<int, int> InkColumns(const QImage& image, const QRectF& box, QColor colour) {
    int first = -1, last = -1;
    for (int x = int(box.left()) + 1; x < int(box.right()) - 1; ++x)
        for (int y = int(box.top()) + 1; y < int(box.bottom()) - 1; ++y)
            if (image.pixelColor(x, y) == colour) {
                if (first < 0) first = x;
                last = x;
                break;
            }
    return {first, last};
}

// The longest horizontal run of `colour` inside a box.
int LongestRun(const QImage& image, const QRectF& box, QColor colour) {
    int longest = 0;
    for (int y = int(box.top()) + 1; y < int(box.bottom()) - 1; ++y) {
        int run = 0;
        for (int x = int(box.left()) + 1; x < int(box.right()) - 1; ++x) {
            run = image.pixelColor(x, y) == colour ? run + 1 : 0;
            longest = std::max(longest, run);
        }
    }
    return longest;
}

TEST(PageEngine, DrawsBackgroundsBordersUnderlinesAndCentring) {
    TDescriptionSheet sheet = KnownSheet();
    sheet.Title.Format.BackColor = 0x0000FFFF;  // yellow (0x00BBGGRR)
    sheet.Style.BorderColor = 0x00FF0000;       // blue
    sheet.Style.BorderWidth = 3;
    sheet.Style.CellPadding = 4;
    const int underlined = quorvel::DescriptionTag(1);
    sheet.CellByTag(underlined).Format.Underline = true;
    const int plain = quorvel::DescriptionTag(2);
    const int centred = quorvel::ItemTag(3);
    sheet.CellByTag(centred).Format.HAlign = quorvel::kHAlignCenter;
    sheet.CellByTag(centred).Text = Cp932("中");
    sheet.CellByTag(quorvel::ItemTag(4)).Text = Cp932("とても長い項目の名前");

    PageLayout layout;
    layout.LayoutSheet(sheet, 375);
    ASSERT_FALSE(layout.ShownAsText());
    const QImage image = Draw(layout);

    const auto title = layout.Cell(quorvel::kTitleTag);
    ASSERT_TRUE(title);
    EXPECT_EQ(At(image, QPointF(title->box.center().x(), title->box.bottom() - 2)),
              QColor(255, 255, 0));

    const auto item = layout.Cell(quorvel::ItemTag(1));
    const auto description = layout.Cell(quorvel::DescriptionTag(1));
    ASSERT_TRUE(item && description);
    const QPointF gap((item->box.right() + description->box.left()) / 2, item->box.center().y());
    EXPECT_NEAR(description->box.left() - item->box.right(), 3, 1);
    EXPECT_EQ(At(image, gap), QColor(0, 0, 255));

    // The underline is one run of ink as wide as the text; plain text has no such run.
    const QColor black(0, 0, 0);
    const auto ink = InkColumns(image, layout.Cell(underlined)->box, black);
    ASSERT_GT(ink.first, 0);
    EXPECT_GE(LongestRun(image, layout.Cell(underlined)->box, black), ink.second - ink.first - 1);
    const auto plainInk = InkColumns(image, layout.Cell(plain)->box, black);
    EXPECT_LT(LongestRun(image, layout.Cell(plain)->box, black),
              (plainInk.second - plainInk.first) / 2);

    // A centred cell's text leaves as much room on its left as on its right.
    const auto box = layout.Cell(centred)->box;
    const auto glyph = InkColumns(image, box, black);
    ASSERT_GT(glyph.first, 0);
    EXPECT_GT(box.width(), 3 * (glyph.second - glyph.first));
    EXPECT_NEAR(glyph.first - box.left(), box.right() - glyph.second, 3);
}

TEST(PageEngine, HitTestFindsEveryIncludedCellAndNothingOutside) {
    TDescriptionSheet sheet = KnownSheet();
    sheet.Rows[2].IncludeItem = false;
    sheet.Rows[5].IncludeDescription = false;
    sheet.Rows[7].IncludeItem = sheet.Rows[7].IncludeDescription = false;
    PageLayout layout;
    layout.LayoutSheet(sheet, 700);
    const std::vector<int> expected = quorvel::page::IncludedCellTags(sheet);
    ASSERT_EQ(layout.Cells().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto& cell = layout.Cells()[i];
        EXPECT_EQ(cell.tag, expected[i]);
        EXPECT_EQ(layout.CellAt(cell.box.center()), cell.tag) << cell.tag;
        EXPECT_TRUE(cell.first) << cell.tag;
    }
    // A row with one cell left out gives the other both columns.
    EXPECT_EQ(layout.Cell(quorvel::DescriptionTag(3))->box.left(),
              layout.Cell(quorvel::kTitleTag)->box.left());
    EXPECT_EQ(layout.CellAt(QPointF(2, 2)), 0);
    EXPECT_EQ(layout.CellAt(QPointF(650, layout.PageHeight() - 2)), 0);
}

// Wider than the window, the page scrolls; narrower, it is the window's width.
TEST(PageEngine, PageWidthFollowsTheWidestLine) {
    TDescriptionSheet sheet = KnownSheet();
    PageLayout layout;
    layout.LayoutSheet(sheet, 375);
    EXPECT_EQ(layout.PageWidth(), 375);
    const int narrow = layout.Cell(quorvel::DescriptionTag(1))->box.right();
    sheet.CellByTag(quorvel::DescriptionTag(1)).Text = Cp932(std::string(40, 'W').c_str());
    layout.LayoutSheet(sheet, 375);
    EXPECT_GT(layout.PageWidth(), 375);
    EXPECT_GT(layout.Cell(quorvel::DescriptionTag(1))->box.right(), narrow);
    EXPECT_EQ(layout.PageWidth(), quorvel::page::MeasurePageWidth(sheet, 375));
}

// The command-line check gives the figure the editor's engine gives, with no estimate.
TEST(PageEngine, CommandLineCheckGivesTheEnginesFigure) {
    TDescriptionSheet sheet = KnownSheet();
    sheet.Title.Text = Cp932("【送料無料】デジタル一眼レフカメラ 美品");
    sheet.Title.Format.FontSize = 14;
    QTemporaryDir dir;
    const std::string file = dir.filePath("wide.qvl").toStdString();
    ASSERT_FALSE(quorvel::SaveDataFile(sheet, file).has_value());
    const int figure = quorvel::page::MeasurePageWidth(sheet, 375);
    ASSERT_GT(figure, 375);
    QProcess tool;
    tool.start(QStringLiteral(QVLTAGS_PATH),
               {QStringLiteral("--check"), QStringLiteral("--utf8"), QString::fromStdString(file)});
    ASSERT_TRUE(tool.waitForFinished(60000));
    const QString out = QString::fromUtf8(tool.readAllStandardOutput());
    EXPECT_EQ(tool.exitCode(), 1) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("%1 px").arg(figure))) << out.toStdString();
    EXPECT_FALSE(out.contains(QStringLiteral("約 "))) << out.toStdString();
}

// Markup beyond the bounds is shown as its text; what stays within them is laid out.
TEST(PageEngine, HostileMarkupIsShownAsText) {
    struct Case {
        std::string text;
        bool asText;
    };
    std::string deep;
    for (int i = 0; i < 400; ++i) deep += "<B>";
    const Case cases[] = {
        {deep, true},
        {"<TABLE><TR><TD COLSPAN=\"100000000\">x</TD></TR></TABLE>", true},
        {"<DIV><DIV><DIV><B>x</B></DIV></DIV></DIV>", false},
        {"<TABLE><TR><TD>unclosed", false},
        {"<FONT SIZE=\"99999\">big</FONT><IMG WIDTH=\"99999999\" HEIGHT=\"5\">", false},
        {std::string("\x81\xFF\xFC\x80<\xE0>", 7), false},
    };
    for (const Case& c : cases) {
        TDescriptionSheet sheet = KnownSheet();
        sheet.CellByTag(quorvel::DescriptionTag(1)).Text = c.text;
        PageLayout layout;
        layout.LayoutSheet(sheet, 375);
        EXPECT_EQ(layout.ShownAsText(), c.asText) << c.text.substr(0, 60);
        EXPECT_GT(layout.PageHeight(), 0);
        EXPECT_LE(layout.PageWidth(), 20000) << c.text.substr(0, 60);
        EXPECT_EQ(layout.Cells().empty(), c.asText);
        QImage screen(800, 600, QImage::Format_RGB32);
        QPainter painter(&screen);
        layout.Paint(painter, screen.rect());
    }
}

// "<TABLE>" left open in cell after cell nests each next cell one table deeper, and the engine
// lays each table's inside out several times over: the work grows by that factor per cell. At
// every count the page is laid out only while its estimated work stays within the bound, and
// past it is shown as text; sixteen such cells never reach the engine. A page of many tables
// side by side, the same bytes and more, is laid out.
TEST(PageEngine, NestedTablesAreBoundedWork) {
    using namespace quorvel::page;
    std::int64_t last = 0;
    for (int cells = 1; cells <= 16; ++cells) {
        SCOPED_TRACE(cells);
        TDescriptionSheet sheet;
        for (int i = 0; i < cells; ++i) sheet.CellAt(1 + i).Text = "<TABLE>";
        const MarkupCost cost =
            MeasureMarkup(PageDocument(quorvel::sjis::ToUtf8(quorvel::BuildHtmlTags(sheet))));
        EXPECT_GT(cost.work, last);
        last = cost.work;
        PageLayout layout;
        layout.LayoutSheet(sheet, 375);
        const bool within = cost.tableDepth <= kMaxTableDepth && cost.work <= kMaxLayoutWork;
        EXPECT_EQ(layout.ShownAsText(), !within);
        if (cells == 16) {
            EXPECT_TRUE(layout.ShownAsText());
        }
    }
    TDescriptionSheet flat;
    for (int i = 0; i < 20; ++i) {
        std::string text;
        for (int k = 0; k < 25; ++k) text += "<TABLE><TR><TD>x</TD></TR></TABLE>";
        flat.CellAt(1 + i).Text = text;
    }
    PageLayout layout;
    layout.LayoutSheet(flat, 375);
    EXPECT_FALSE(layout.ShownAsText());
}

}  // namespace
