// Full-width punctuation side by side, measured and drawn through the engine's window as the
// engine hands it text: split into words, each measured, each drawn where the last one ended.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <cmath>
#include <string>
#include <vector>

#include "page/PageContainer.h"
#include "page/PageFonts.h"

namespace {

using quorvel::page::PageContainer;
using quorvel::page::PageFonts;

struct Piece {
    std::string text;
    int width = 0;
};

// The words and spaces of `utf8` in a font of `px`, each with the width the engine is given.
std::vector<Piece> Measured(PageContainer& container, const std::string& utf8, int px) {
    const litehtml::uint_ptr font =
        container.create_font("", px, 400, litehtml::font_style_normal, 0, nullptr);
    std::vector<Piece> pieces;
    const auto add = [&](const char* text) { pieces.push_back({text, 0}); };
    container.split_text(utf8.c_str(), add, add);
    for (Piece& piece : pieces) piece.width = container.text_width(piece.text.c_str(), font);
    return pieces;
}

int Total(const std::vector<Piece>& pieces) {
    int total = 0;
    for (const Piece& piece : pieces) total += piece.width;
    return total;
}

// Widths Chromium gives the same text in the same face (its default text spacing trim), at
// 16 px unless said.
TEST(PageTextSpacing, AdjacentMarksAsTheBrowserSetsThem) {
    ASSERT_TRUE(PageFonts::Shared().Loaded()) << "Noto Sans CJK JP is not installed";
    struct Case {
        const char* text;
        double browser;
        int px = 16;
    };
    const Case cases[] = {
        // An opening bracket after a closing or an opening mark loses its leading half.
        {"」「", 24},
        {"）（", 24},
        {"」（", 24},
        {"「「", 24},
        {"『「", 24},
        {"】【", 24},
        {"、「", 24},
        {"〝「", 24},
        // A closing mark before a closing one loses its trailing half.
        {"）、", 24},
        {"。」", 24},
        {"））", 24},
        {"、、", 24},
        {"」』", 24},
        {"、。、。", 40},
        // Middle dots, colons and the ideographic space trim their neighbours, never themselves.
        {"・「", 24},
        {"）・", 24},
        {"：「", 24},
        {"」　", 24},
        {"　「", 24},
        {"・・", 32},
        {"「・", 32},
        {"・）", 32},
        {"：：", 32},
        // Narrow quotation marks: a neighbour trimmed, nothing of theirs.
        {"“「", 16},
        {"「“", 24},
        {"”「", 24},
        {"）”", 16},
        // Nothing else is trimmed: an opening before a closing, letters, ！, a space between.
        {"〔〕", 32},
        {"白「", 32},
        {"（白", 32},
        {"白）", 32},
        {"、白", 32},
        {"！「", 32},
        {"ａ（", 32},
        {"」 「", 35.578},
        // Listings' own lines.
        {"「白」「黒」「紺」「赤」「灰」「緑」（各1枚）", 312.891},
        {"（Ｓ）（Ｍ）（Ｌ）（XL）、（XXL）。", 236.891},
        {"〔定形外〕・〔ゆうパケット〕：「送料込」。", 240.516, 13},
        {"（土）（日）は休み、（祝）も。", 182.016, 13},
    };
    for (const Case& c : cases) {
        PageContainer container(375);
        const std::vector<Piece> pieces = Measured(container, c.text, c.px);
        EXPECT_NEAR(Total(pieces), c.browser, 1.0) << c.text << " at " << c.px << " px";
    }
}

// Each word drawn where the engine puts it: the ink stays inside the measured line and reaches
// its last mark, so a trimmed blank is drawn trimmed, not overlapping what follows.
TEST(PageTextSpacing, DrawnWhereMeasured) {
    ASSERT_TRUE(PageFonts::Shared().Loaded()) << "Noto Sans CJK JP is not installed";
    for (const char* text : {"「白」「黒」「紺」", "（Ｓ）（Ｍ）、（Ｌ）。", "白」「白"}) {
        SCOPED_TRACE(text);
        PageContainer container(375);
        const std::vector<Piece> pieces = Measured(container, text, 32);
        const litehtml::uint_ptr font =
            container.create_font("", 32, 400, litehtml::font_style_normal, 0, nullptr);
        QImage image(600, 60, QImage::Format_RGB32);
        image.fill(Qt::white);
        quorvel::page::PageDrawing drawing;
        constexpr int kLeft = 100;
        int x = kLeft;
        for (const Piece& piece : pieces) {
            container.draw_text(reinterpret_cast<litehtml::uint_ptr>(&drawing), piece.text.c_str(),
                                font, litehtml::web_color(0, 0, 0),
                                litehtml::position(x, 10, piece.width, 40));
            x += piece.width;
        }
        QPainter painter(&image);
        drawing.Replay(painter, image.rect());
        painter.end();
        int inkLeft = image.width(), inkRight = -1;
        for (int py = 0; py < image.height(); ++py)
            for (int px = 0; px < image.width(); ++px)
                if (qGray(image.pixel(px, py)) < 128) {
                    inkLeft = std::min(inkLeft, px);
                    inkRight = std::max(inkRight, px);
                }
        EXPECT_GE(inkLeft, kLeft);
        EXPECT_LT(inkRight, x);
        // The last closing mark's ink is in its em's left half.
        EXPECT_GT(inkRight, x - 32);
    }
}

}  // namespace
