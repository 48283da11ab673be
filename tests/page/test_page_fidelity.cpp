// The engine's layout of reference sheets against a browser's, recorded as fixtures: the page's
// width, every cell's box and where each cell's first character is.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QTextStream>

#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <string>

#include "page/PageEngine.h"
#include "page/PageFonts.h"
#include "sheet/DescriptionSheet.h"
#include "store/DataFile.h"

namespace {

constexpr double kPageAim = 3;
constexpr double kEdgeAim = 4;
constexpr double kFirstAim = 3;

struct FixtureCell {
    QRectF box;  // left, top, right, bottom as read
    std::optional<QPointF> first;
};

struct Fixture {
    int pageWidth = -1;
    std::map<int, FixtureCell> cells;
};

std::optional<Fixture> ReadFixture(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return std::nullopt;
    Fixture fixture;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QStringList f = in.readLine().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (f.size() == 2 && f[0] == QLatin1String("page")) {
            fixture.pageWidth = f[1].toInt();
        } else if (f.size() == 8 && f[0] == QLatin1String("cell")) {
            FixtureCell cell;
            cell.box = QRectF(QPointF(f[2].toDouble(), f[3].toDouble()),
                              QPointF(f[4].toDouble(), f[5].toDouble()));
            if (f[6] != QLatin1String("-")) cell.first = QPointF(f[6].toDouble(), f[7].toDouble());
            fixture.cells[f[1].toInt()] = cell;
        } else if (!f.isEmpty()) {
            return std::nullopt;
        }
    }
    return fixture.pageWidth > 0 ? std::optional<Fixture>(fixture) : std::nullopt;
}

struct Deviation {
    double page = 0;
    double edge = 0;
    double first = 0;
    std::string worstEdgeCell;
    std::string worstFirstCell;
};

Deviation Compare(const quorvel::page::PageLayout& layout, const Fixture& fixture,
                  std::string& problems) {
    Deviation d;
    d.page = std::abs(layout.PageWidth() - fixture.pageWidth);
    for (const auto& [tag, expected] : fixture.cells) {
        const auto cell = layout.Cell(tag);
        if (!cell) {
            problems += " cell " + std::to_string(tag) + " missing;";
            d.edge = 1e9;
            continue;
        }
        const QRectF& a = cell->box;
        const QRectF& b = expected.box;
        const double edge =
            std::max({std::abs(a.left() - b.left()), std::abs(a.top() - b.top()),
                      std::abs(a.right() - b.right()), std::abs(a.bottom() - b.bottom())});
        if (edge > d.edge) {
            d.edge = edge;
            d.worstEdgeCell = std::to_string(tag);
        }
        if (expected.first.has_value() != cell->first.has_value()) {
            problems += " cell " + std::to_string(tag) + " text shown by one side only;";
            d.first = 1e9;
            continue;
        }
        if (!expected.first) continue;
        const double first = std::max(std::abs(cell->first->x() - expected.first->x()),
                                      std::abs(cell->first->y() - expected.first->y()));
        if (first > d.first) {
            d.first = first;
            d.worstFirstCell = std::to_string(tag);
        }
    }
    if (layout.Cells().size() != fixture.cells.size())
        problems += " the engine found " + std::to_string(layout.Cells().size()) + " cells, the " +
                    "browser " + std::to_string(fixture.cells.size()) + ";";
    return d;
}

TEST(PageFidelity, EverySheetWithinTheAimsAtBothWidths) {
    ASSERT_TRUE(quorvel::page::PageFonts::Shared().Loaded())
        << "Noto Sans CJK JP is not installed (Debian: fonts-noto-cjk)";
    // Another folder may be named, to try fixtures before they are committed.
    const QString named = qEnvironmentVariable("QUORVEL_PAGE_FIXTURES_DIR");
    const QDir folder(named.isEmpty() ? QStringLiteral(QUORVEL_PAGE_FIXTURES) : named);
    const QStringList sheets = folder.entryList({QStringLiteral("*.qvl")}, QDir::Files, QDir::Name);
    ASSERT_FALSE(sheets.isEmpty()) << "no fixtures in " << folder.path().toStdString();
    int compared = 0;
    std::printf("%-24s %5s %6s %10s %10s\n", "sheet", "width", "page", "edge(cell)", "first(cell)");
    for (const QString& name : sheets) {
        quorvel::TDescriptionSheet sheet;
        const std::string path = folder.filePath(name).toStdString();
        ASSERT_FALSE(quorvel::LoadDataFile(sheet, path).has_value()) << path;
        for (int width : {375, 700}) {
            const QString base = QFileInfo(name).completeBaseName();
            const QString fixturePath =
                folder.filePath(base + QLatin1Char('.') + QString::number(width) + ".txt");
            const auto fixture = ReadFixture(fixturePath);
            ASSERT_TRUE(fixture) << "missing or unreadable: " << fixturePath.toStdString();
            quorvel::page::PageLayout layout;
            layout.LayoutSheet(sheet, width);
            const QString shots = qEnvironmentVariable("QUORVEL_PAGE_SHOTS");
            if (!shots.isEmpty()) {
                // The engine's picture of the page, to look at beside the browser's.
                QImage picture(layout.PageWidth(), layout.PageHeight(), QImage::Format_RGB32);
                QPainter painter(&picture);
                layout.Paint(painter, picture.rect());
                picture.save(shots + "/" + base + "." + QString::number(width) + ".png");
            }
            if (qEnvironmentVariableIsSet("QUORVEL_PAGE_DUMP")) {
                // The engine's side in the fixtures' own form, to read beside them.
                std::printf("%s.%d: page %d\n", base.toStdString().c_str(), width,
                            layout.PageWidth());
                for (const auto& c : layout.Cells())
                    std::printf("cell %d %.2f %.2f %.2f %.2f %.2f %.2f\n", c.tag, c.box.left(),
                                c.box.top(), c.box.right(), c.box.bottom(),
                                c.first ? c.first->x() : -1.0, c.first ? c.first->y() : -1.0);
            }
            std::string problems;
            const Deviation d = Compare(layout, *fixture, problems);
            std::printf("%-24s %5d %6.1f %6.1f(%s) %6.1f(%s)\n", base.toStdString().c_str(), width,
                        d.page, d.edge, d.worstEdgeCell.c_str(), d.first, d.worstFirstCell.c_str());
            EXPECT_TRUE(problems.empty())
                << base.toStdString() << " at " << width << ":" << problems;
            EXPECT_LE(d.page, kPageAim) << base.toStdString() << " at " << width << ": engine "
                                        << layout.PageWidth() << ", browser " << fixture->pageWidth;
            EXPECT_LE(d.edge, kEdgeAim)
                << base.toStdString() << " at " << width << ", cell " << d.worstEdgeCell;
            EXPECT_LE(d.first, kFirstAim)
                << base.toStdString() << " at " << width << ", cell " << d.worstFirstCell;
            // Whatever the pixels, the seller's verdict: the page scrolls or it does not.
            EXPECT_EQ(layout.PageWidth() > width, fixture->pageWidth > width)
                << base.toStdString() << " at " << width << ": engine " << layout.PageWidth()
                << ", browser " << fixture->pageWidth;
            ++compared;
        }
    }
    std::fflush(stdout);
    EXPECT_GE(compared, 2);
}

}  // namespace
