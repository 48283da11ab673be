// Pictures on the page: fetched from a loopback HTTPS server in the background, laid out at their
// own size once come, kept for the session, and shown as boxes when they fail or are blocked.
#include <gtest/gtest.h>

#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include "PictureStoreFixture.h"
#include "page/PageEngine.h"
#include "page/PagePictures.h"
#include "sheet/HtmlGenerator.h"
#include "store/DataFile.h"

using quorvel::page::PageLayout;
using namespace picture_test;

namespace {

// The engine's box for a picture with no size of its own, as a browser's broken picture.
constexpr int kPlaceholder = 16;

class PagePicturesTest : public PictureStoreTest {
  protected:
    // Lays `html` out once so that its pictures are asked for, waits for them, lays it out again.
    std::unique_ptr<PageLayout> LayoutWhenSettled(const std::string& html, int width = 375) {
        auto layout = std::make_unique<PageLayout>();
        layout->Layout(html, width);
        const auto pictures = layout->PicturesSeen();
        EXPECT_TRUE(WaitUntil([&] {
            return std::all_of(pictures.begin(), pictures.end(), [&](const auto& picture) {
                return Settled(QString::fromStdString(picture.url));
            });
        }));
        layout->Layout(html, width);
        return layout;
    }
    std::string Img(const QString& path, const std::string& size = {}) const {
        return "<IMG SRC=\"" + server_->Url(path).toStdString() + "\"" + size + ">";
    }
};

QImage Painted(const PageLayout& layout) {
    QImage image(layout.PageWidth(), std::max(layout.PageHeight(), 1), QImage::Format_RGB32);
    QPainter painter(&image);
    layout.Paint(painter, image.rect());
    return image;
}

// The IMG's box once its picture has come or failed, as a browser sizes it: the picture's own
// size, scaled to a WIDTH or HEIGHT given alone; a placeholder or the given box for one that
// failed. The page's width at 375 counts it.
TEST_F(PagePicturesTest, PictureBoxesAtTheirOwnSizeOrTheGivenOne) {
    struct Case {
        const char* path;
        std::string size;
        int width, height;  // the picture's box
    };
    const Case cases[] = {
        {"/wide.png", "", 1200, 300},
        {"/wide.png", " WIDTH=\"600\"", 600, 150},
        {"/wide.png", " HEIGHT=\"100\"", 400, 100},
        {"/wide.png", " WIDTH=\"200\" HEIGHT=\"50\"", 200, 50},
        {"/missing.png", "", kPlaceholder, kPlaceholder},
        {"/missing.png", " WIDTH=\"600\" HEIGHT=\"40\"", 600, 40},
        {"/text.png", " WIDTH=\"500\" HEIGHT=\"30\"", 500, 30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.path) + c.size);
        const auto layout = LayoutWhenSettled(Img(c.path, c.size));
        // The body's 8-pixel margin left of the box (the page ends at its right edge), above
        // and below it; a line's descent below it.
        EXPECT_EQ(layout->PageWidth(), std::max(375, c.width + 8));
        EXPECT_GE(layout->PageHeight(), c.height + 16);
        EXPECT_LE(layout->PageHeight(), c.height + 16 + 8);
        const bool loaded = StateOf(server_->Url(c.path)) == PictureState::Loaded;
        EXPECT_EQ(loaded, std::string(c.path) == "/wide.png");
        // Painted: the picture itself, else a light box.
        const QImage painted = Painted(*layout);
        const QRgb inside = painted.pixel(8 + c.width * 3 / 4, 8 + c.height * 3 / 4);
        EXPECT_EQ(inside, loaded ? kRed : QColor(0xF0, 0xF0, 0xF0).rgb());
        // Only an IMG that takes its own size and has none depends on a missing picture.
        const bool unsized = !loaded && c.size.find("HEIGHT") == std::string::npos;
        EXPECT_EQ(layout->UnsizedPictures().size(), unsized ? 1u : 0u);
    }
}

// A picture is fetched once in the session, whichever page names it next.
TEST_F(PagePicturesTest, FetchedOncePerSession) {
    LayoutWhenSettled(Img("/small.png"));
    EXPECT_EQ(StateOf(server_->Url("/small.png")), PictureState::Loaded);
    PageLayout other;
    other.Layout("<P>2</P>" + Img("/small.png", " WIDTH=\"80\""), 375);
    EXPECT_TRUE(other.UnsizedPictures().empty());
    // Another picture asked for after it, and come: any second request would have come first.
    LayoutWhenSettled(Img("/wide.png"));
    EXPECT_EQ(server_->Requests("/small.png"), 1);
    EXPECT_EQ(server_->Requests("/wide.png"), 1);
}

// While the server holds a picture back, the event loop keeps turning and pages are laid out
// with its placeholder; once it comes, it counts.
TEST_F(PagePicturesTest, SlowPictureNeverBlocks) {
    server_->Route("/slow.png", {200, Png(900, 10, QColor(kRed)), true});
    const std::string html = Img("/slow.png");
    PageLayout layout;
    layout.Layout(html, 375);
    ASSERT_TRUE(WaitUntil([&] { return server_->Held() == 1; }));
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(0);
    ASSERT_TRUE(WaitUntil([&] { return ticks >= 100; }));
    EXPECT_EQ(StateOf(server_->Url("/slow.png")), PictureState::Loading);
    layout.Layout(html, 375);
    EXPECT_EQ(layout.PageWidth(), 375);
    EXPECT_EQ(layout.UnsizedPictures().size(), 1u);

    server_->Release();
    ASSERT_TRUE(WaitUntil([&] { return Settled(server_->Url("/slow.png")); }));
    layout.Layout(html, 375);
    EXPECT_EQ(layout.PageWidth(), 908);
}

// Blocked on the page: a box, and the page's width does not wait for it; no request leaves.
TEST_F(PagePicturesTest, BlockedPictureIsABox) {
    PictureServer plain;
    plain.Route("/plain.png", {200, Png(10, 10, QColor(kRed))});
    const auto layout = LayoutWhenSettled("<IMG SRC=\"" + plain.Url("/plain.png").toStdString() +
                                          "\" WIDTH=\"300\" HEIGHT=\"60\">");
    EXPECT_EQ(StateOf(plain.Url("/plain.png")), PictureState::Blocked);
    EXPECT_EQ(Painted(*layout).pixel(8 + 150, 8 + 50), QColor(0xF0, 0xF0, 0xF0).rgb());
    EXPECT_EQ(plain.Connections(), 0);
}

// A view draws the page a part at a time (a scroll, a repaint of what was covered): each part
// must be the page as drawn whole up to the part's edge, whatever stands across it: slanted and
// large text, list numbers left of their lines, a failed picture's address wider than its box.
TEST_F(PagePicturesTest, ThePageDrawnPartByPartIsThePageDrawnWhole) {
    const auto layout = LayoutWhenSettled(
        "<TABLE BORDER=\"2\" CELLPADDING=\"3\"><TR><TD BGCOLOR=\"#FFE0C0\"><I>斜めgjpqyWWW</I>"
        "</TD><TD><FONT SIZE=\"7\">大gy</FONT></TD></TR><TR><TD><OL><LI>一<LI>二</OL></TD><TD>" +
        Img("/missing.png") + "後</TD></TR></TABLE>");
    const QImage whole = Painted(*layout);
    // Odd sizes, so that the parts' edges cut through text, borders and the picture's box.
    for (const QSize part : {QSize(37, 29), QSize(11, 400), QSize(400, 7)}) {
        SCOPED_TRACE(part.width() * 1000 + part.height());
        QImage pieced(whole.size(), QImage::Format_RGB32);
        pieced.fill(Qt::red);
        QPainter painter(&pieced);
        for (int y = 0; y < pieced.height(); y += part.height())
            for (int x = 0; x < pieced.width(); x += part.width())
                layout->Paint(painter, QRect(QPoint(x, y), part));
        painter.end();
        int differing = 0;
        for (int y = 0; y < whole.height(); ++y)
            for (int x = 0; x < whole.width(); ++x)
                differing += whole.pixel(x, y) != pieced.pixel(x, y);
        EXPECT_EQ(differing, 0);
    }
}

// The command-line tool's check of `sheet`, trusting the test's authority as a company's
// proxy's would be; the server answers on this thread's event loop while the tool waits for it.
struct ToolRun {
    int exitCode = -1;
    QString out;
};

class CommandLineCheckTest : public PagePicturesTest {
  protected:
    ToolRun Check(const quorvel::TDescriptionSheet& sheet,
                  const QProcessEnvironment& extra = QProcessEnvironment()) {
        const QString authority = dir_.filePath(QStringLiteral("authority.pem"));
        QFile pem(authority);
        EXPECT_TRUE(pem.open(QIODevice::WriteOnly));
        pem.write(certificate_->certificate.toPem());
        pem.close();
        const std::string file = dir_.filePath(QStringLiteral("pictures.qvl")).toStdString();
        EXPECT_FALSE(quorvel::SaveDataFile(sheet, file).has_value());
        QProcess tool;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(PagePictures::kExtraAuthoritiesVariable), authority);
        for (const QString& name : extra.keys()) environment.insert(name, extra.value(name));
        tool.setProcessEnvironment(environment);
        tool.start(
            QStringLiteral(QVLTAGS_PATH),
            {QStringLiteral("--check"), QStringLiteral("--utf8"), QString::fromStdString(file)});
        EXPECT_TRUE(WaitUntil([&] { return tool.state() == QProcess::NotRunning; }));
        return {tool.exitCode(), QString::fromUtf8(tool.readAllStandardOutput())};
    }
    QTemporaryDir dir_;
};

// The command-line check waits for the pictures that take their own size, so its figure is the
// one the editor gives once they have come; one that never comes is named.
TEST_F(CommandLineCheckTest, CountsPicturesOwnSize) {
    const struct {
        const char* path;
        bool unloaded;
    } cases[] = {{"/wide.png", false}, {"/missing.png", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        quorvel::TDescriptionSheet sheet;
        sheet.Title.Text = "Title";
        sheet.CellByTag(quorvel::DescriptionTag(1)).Text = Img(c.path);
        store_->Clear();
        const auto layout = LayoutWhenSettled(quorvel::BuildHtmlTags(sheet));
        const ToolRun run = Check(sheet);
        EXPECT_EQ(run.exitCode, 1) << run.out.toStdString();
        EXPECT_EQ(run.out.contains(QStringLiteral("読み込めない画像")), c.unloaded)
            << run.out.toStdString();
        if (!c.unloaded) {
            ASSERT_GT(layout->PageWidth(), 1200);
            EXPECT_TRUE(
                run.out.contains(QStringLiteral("ページの幅が %1 px").arg(layout->PageWidth())))
                << run.out.toStdString();
        }
    }
}

// More pictures than the store keeps: every one that loaded counts, those beyond are told once
// as too many, and none is fetched twice.
TEST_F(CommandLineCheckTest, PicturesBeyondTheStoreAreToldOnce) {
    for (const int count : {PagePictures::kCacheCount + 1, 500}) {
        SCOPED_TRACE(count);
        quorvel::TDescriptionSheet sheet;
        for (int i = 0; i < count; ++i) {
            // Short, so that 500 fit in the cells.
            const QString path = QStringLiteral("/%1/%2").arg(count).arg(i);
            server_->Route(path, {200, Png(3, 3, QColor(kRed))});
            sheet.CellAt(i % quorvel::kCellCount).Text += Img(path);
        }
        const ToolRun run = Check(sheet);
        EXPECT_FALSE(run.out.contains(QStringLiteral("読み込めない画像"))) << run.out.toStdString();
        EXPECT_EQ(run.out.count(QStringLiteral("枚を読み込んでいません")), 1)
            << run.out.toStdString();
        EXPECT_TRUE(run.out.contains(
            QStringLiteral("%1 枚を読み込んでいません").arg(count - PagePictures::kCacheCount)))
            << run.out.toStdString();
        int requests = 0;
        for (int i = 0; i < count; ++i)
            requests += server_->Requests(QStringLiteral("/%1/%2").arg(count).arg(i));
        EXPECT_EQ(requests, PagePictures::kCacheCount);
    }
}

// A picture whose decode never ends holds the check up no longer than the decode's limit: the
// tool ends, naming it as not loaded.
TEST_F(CommandLineCheckTest, DecodeThatNeverEndsIsGivenUp) {
    quorvel::TDescriptionSheet sheet;
    sheet.CellByTag(quorvel::DescriptionTag(1)).Text = Img("/small.png");
    QProcessEnvironment stall;
    const QString marker = dir_.filePath(QStringLiteral("decoding"));
    stall.insert(QString::fromLatin1(PagePictures::kStallDecodesVariable), marker);
    const ToolRun run = Check(sheet, stall);
    EXPECT_TRUE(QFile::exists(marker));
    EXPECT_EQ(run.exitCode, 1) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("読み込めない画像"))) << run.out.toStdString();
}

}  // namespace
