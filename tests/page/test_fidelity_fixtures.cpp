// The browser fixtures must describe the sheets as they are now: a sheet or generator change
// without remaking them, or a cell measured under the wrong tag, would make the engine's
// comparison judge it against another page.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "FidelitySheets.h"
#include "platform/Sjis.h"
#include "sheet/HtmlGenerator.h"
#include "store/DataFile.h"

namespace {

using quorvel::TDescriptionSheet;
namespace fs = std::filesystem;
namespace fidelity = quorvel::fidelity;

const fs::path kDir = QUORVEL_FIDELITY_DIR;
const int kWidths[] = {375, 700};

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Box {
    double left, top, right, bottom;
    bool hasFirst = false;
    double firstX = 0, firstY = 0;
};

struct Fixture {
    int page = -1;
    std::map<int, Box> cells;
    std::vector<int> order;  // tags as the lines give them
};

Fixture ReadFixture(const fs::path& path) {
    Fixture fixture;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string kind, firstX, firstY;
        if (!(words >> kind)) continue;
        if (kind == "page") {
            words >> fixture.page;
            continue;
        }
        int tag = 0;
        Box box{};
        words >> tag >> box.left >> box.top >> box.right >> box.bottom >> firstX >> firstY;
        EXPECT_TRUE(kind == "cell" && words) << path << ": " << line;
        box.hasFirst = firstX != "-";
        if (box.hasFirst) {
            box.firstX = std::stod(firstX);
            box.firstY = std::stod(firstY);
        }
        fixture.cells[tag] = box;
        fixture.order.push_back(tag);
    }
    return fixture;
}

// Whether the cell's text shows a character: anything but white space outside its tags.
bool ShowsText(const std::string& cp932) {
    bool inTag = false;
    for (const char ch : quorvel::sjis::ToUtf8(cp932)) {
        if (ch == '<')
            inTag = true;
        else if (ch == '>')
            inTag = false;
        else if (!inTag && !std::isspace(static_cast<unsigned char>(ch)))
            return true;
    }
    return false;
}

TEST(FidelityFixtures, SheetsAndPagesAreWhatTheMakerAndGeneratorGiveNow) {
    std::set<std::string> made;
    for (const auto& reference : fidelity::ReferenceSheets()) {
        made.insert(reference.name);
        const fs::path qvl = kDir / (reference.name + ".qvl");
        EXPECT_EQ(ReadAll(qvl), quorvel::BuildDataImage(reference.sheet))
            << qvl << " differs from its definition: run scripts/make-page-fixtures.sh";
        TDescriptionSheet loaded;
        ASSERT_FALSE(quorvel::LoadDataFile(loaded, qvl.string())) << qvl;
        const std::string page =
            "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><style>body{font-family:\"Noto "
            "Sans CJK JP\"}</style></head><body>" +
            quorvel::sjis::ToUtf8(quorvel::BuildHtmlTags(loaded)) + "</body></html>";
        EXPECT_EQ(ReadAll(kDir / (reference.name + ".html")), page)
            << reference.name << ": the browser measured other tags than the generator gives";
    }
    EXPECT_GE(made.size(), 12u);
    for (const auto& entry : fs::directory_iterator(kDir)) {
        if (entry.path().extension() != ".qvl") continue;
        EXPECT_TRUE(made.count(entry.path().stem().string())) << entry.path() << " has no maker";
    }
}

// Every included cell has one line in tag order; the boxes are where a table puts them: the
// cells of a row side by side at one height, rows stacked, spanning cells as wide as the table,
// the note below it, each first character inside its box.
TEST(FidelityFixtures, EveryIncludedCellHasABoxWhereTheTablePutsIt) {
    constexpr double kEps = 0.015;
    for (const auto& reference : fidelity::ReferenceSheets()) {
        const TDescriptionSheet& sheet = reference.sheet;
        for (const int width : kWidths) {
            const fs::path path = kDir / (reference.name + "." + std::to_string(width) + ".txt");
            SCOPED_TRACE(path.string());
            ASSERT_TRUE(fs::exists(path));
            const Fixture fixture = ReadFixture(path);
            ASSERT_GE(fixture.page, width);
            ASSERT_EQ(fixture.order, fidelity::IncludedTags(sheet));
            double tableLeft = 1e9, tableRight = -1e9, lastBottom = 0;
            for (const auto& [tag, box] : fixture.cells) {
                EXPECT_LT(box.left, box.right) << tag;
                EXPECT_LT(box.top, box.bottom) << tag;
                EXPECT_GE(box.left, 0) << tag;
                EXPECT_LE(box.right, fixture.page + 1) << tag;
                EXPECT_EQ(box.hasFirst, ShowsText(sheet.CellByTag(tag).Text)) << tag;
                if (box.hasFirst) {
                    EXPECT_TRUE(box.firstX >= box.left && box.firstX < box.right) << tag;
                    EXPECT_TRUE(box.firstY >= box.top && box.firstY < box.bottom) << tag;
                }
                if (tag == quorvel::kNoteTag) {
                    EXPECT_GE(box.top, lastBottom) << "the note stands below the table";
                    continue;
                }
                EXPECT_GE(box.top + kEps, lastBottom) << tag << " overlaps the row above";
                tableLeft = std::min(tableLeft, box.left);
                tableRight = std::max(tableRight, box.right);
                const bool isItem = tag != quorvel::kTitleTag && tag % 2 == 1;
                if (isItem && fixture.cells.count(tag + 1)) {
                    const Box& description = fixture.cells.at(tag + 1);
                    EXPECT_NEAR(box.top, description.top, kEps) << tag;
                    EXPECT_NEAR(box.bottom, description.bottom, kEps) << tag;
                    EXPECT_LE(box.right, description.left + kEps) << tag;
                } else {
                    lastBottom = box.bottom;
                }
            }
            // Where the seller put the table, in a page with a doctype: a centred table is
            // centred (its own ALIGN does it; the paragraph before it no longer holds it), any
            // other stands at the left. Only a table narrower than the page shows it.
            const double leftMargin = tableLeft, rightMargin = fixture.page - tableRight;
            if (tableLeft < tableRight && tableRight < fixture.page - 16) {
                if (sheet.Style.TableAlign == quorvel::kAlignCenter)
                    EXPECT_NEAR(leftMargin, rightMargin, 1.0) << "a centred table";
                else
                    EXPECT_LT(leftMargin, rightMargin) << "a table not centred";
            }
            for (const auto& [tag, box] : fixture.cells) {
                const bool alone =
                    tag == quorvel::kTitleTag ||
                    (tag != quorvel::kNoteTag && !fixture.cells.count(tag % 2 ? tag + 1 : tag - 1));
                if (!alone) continue;
                EXPECT_NEAR(box.left, tableLeft, kEps) << tag << " spans both columns";
                EXPECT_NEAR(box.right, tableRight, kEps) << tag << " spans both columns";
            }
        }
    }
}

}  // namespace
