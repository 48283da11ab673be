// Characters beyond code page 932 in a cell: the bytes they enter as, and where they come back as
// characters (the plain text, a cell's display) or stay references (the tags, the data file).
#include <gtest/gtest.h>

#include "MergeFixture.h"
#include "TestUtil.h"
#include "sheet/CellCharacters.h"
#include "sheet/HtmlGenerator.h"
#include "sheet/PlainText.h"
#include "store/DataFile.h"

using namespace quorvel;
using mergetest::Template;

namespace {

struct CharCase {
    const char* name;
    std::string typed;       // UTF-8, as it comes from outside
    std::string bytes;       // the cell's bytes
    std::string shown;       // UTF-8, as the cell reads back
    std::string plain = {};  // UTF-8, the plain text where it decodes more than the cell shows
    const std::string& plainText() const { return plain.empty() ? shown : plain; }
};

const std::vector<CharCase>& Cases() {
    static const std::vector<CharCase> cases = {
        {"emoji", "送料無料📦✨", Sj("送料無料") + "&#x1F4E6;&#x2728;", "送料無料📦✨"},
        {"variation selector", "❤️", "&#x2764;&#xFE0F;", "❤️"},
        {"flag", "🇯🇵", "&#x1F1EF;&#x1F1F5;", "🇯🇵"},
        {"heart and 𠮷", "♡𠮷野家", "&#x2661;&#x20BB7;" + Sj("野家"), "♡𠮷野家"},
        {"held by code page 932", "①♪", Sj("①♪"), "①♪"},
        {"Shift_JIS forms", "175〜185cm x−y—z‖¢£¬", Sj("175～185cm x－y―z∥￠￡￢"),
         "175～185cm x－y―z∥￠￡￢"},
        {"a reference typed by hand", "&#x1F4E6;", "&#x1F4E6;", "📦"},
        {"lower case", "&#x1f4e6;", "&#x1f4e6;", "📦"},
        {"a reference to what code page 932 holds", "&#x41;&#x2460;", "&#x41;&#x2460;",
         "&#x41;&#x2460;", "A①"},
        {"malformed", "&#x1F4E6 &#x; &#x01F4E6; &#128230; &#x110000; &#xE000; &#xD83D;",
         "&#x1F4E6 &#x; &#x01F4E6; &#128230; &#x110000; &#xE000; &#xD83D;",
         "&#x1F4E6 &#x; &#x01F4E6; &#128230; &#x110000; &#xE000; &#xD83D;",
         "&#x1F4E6 &#x; 📦 📦 &#x110000; \uE000 &#xD83D;"},
        {"a reference after a double-byte character", "表&#x2661;", Sj("表") + "&#x2661;", "表♡"},
    };
    return cases;
}

}  // namespace

TEST(CellCharacters, EnterAsReferencesAndReadBackAsCharacters) {
    for (const CharCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        const cellchars::CellBytes entered = cellchars::FromUtf8(c.typed);
        EXPECT_FALSE(entered.refused);
        EXPECT_EQ(entered.bytes, c.bytes);
        EXPECT_EQ(cellchars::ToUtf8(c.bytes), c.shown);
        // The tags carry the bytes as they are: a browser shows the references as characters.
        TDescriptionSheet sheet = Template();
        sheet.Title.Text = c.bytes;
        EXPECT_NE(BuildHtmlTags(sheet).find(c.bytes), std::string::npos);
        // The plain text in UTF-8 gives the characters themselves.
        EXPECT_NE(cellchars::ToUtf8(BuildPlainText(sheet)).find(c.plainText()), std::string::npos);
    }
}

TEST(CellCharacters, NoCellTakesControlOrPrivateUseCharacters) {
    for (const char32_t refused : {U'\u0000', U'\u0007', U'\u0085', U'\U000F0000', U'\uFFFF'}) {
        std::string typed = "a";
        sjis::AppendUtf8(typed, refused);
        const cellchars::CellBytes entered = cellchars::FromUtf8(typed);
        EXPECT_EQ(entered.refused, refused) << static_cast<unsigned>(refused);
        EXPECT_EQ(entered.bytes, "a");
        EXPECT_FALSE(cellchars::EntersAsReference(refused));
    }
    // Every reference a cell writes reads back as its one character, with its length.
    for (const char32_t ch : {U'\u00A5', U'\u2661', U'\uFFFD', U'\U0001F4E6', U'\U000E0041'}) {
        ASSERT_TRUE(cellchars::EntersAsReference(ch));
        std::string reference = "x";
        cellchars::AppendReference(reference, ch);
        std::size_t length = 0;
        EXPECT_EQ(cellchars::ReadReference(reference, 1, length), ch);
        EXPECT_EQ(length, reference.size() - 1);
        EXPECT_EQ(length, cellchars::ReferenceLength(ch));
    }
}

// The plain text writes code page 932: a reference in any spelling comes out in the cells' own
// form, which the UTF-8 rendition shows as the character.
TEST(CellCharacters, PlainTextSpellsReferencesTheCellsWay) {
    TDescriptionSheet sheet;
    sheet.ResetSheet();
    sheet.Title.Text = "<B>&#128230;</B>&#x02661;&#x1f600;";
    const std::string text = BuildPlainText(sheet);
    EXPECT_EQ(text.substr(0, text.find("\r\n")), "&#x1F4E6;&#x2661;&#x1F600;");
    EXPECT_EQ(cellchars::ToUtf8(text.substr(0, text.find("\r\n"))), "📦♡😀");
}

TEST(CellCharacters, FileTagsPlainTextAndMergeThroughTheTool) {
    TempFolder folder;
    std::string csv = "タイトル\r\n";
    for (const CharCase& c : Cases()) csv += "\"" + c.typed + "\"\r\n";
    WriteWholeFile(folder.file("items.csv"), csv);
    ASSERT_FALSE(SaveDataFile(Template(), folder.file("template.qvl")));
    const mergetest::ToolRun merge =
        mergetest::RunQvltags("--merge " + ShellQuote(folder.file("items.csv")) + " " +
                                  ShellQuote(folder.file("template.qvl")) + " --out " +
                                  ShellQuote(folder.file("out")) + " --qvl",
                              folder);
    EXPECT_EQ(merge.status, 0) << merge.err;
    for (std::size_t i = 0; i < Cases().size(); ++i) {
        const CharCase& c = Cases()[i];
        SCOPED_TRACE(c.name);
        char name[32];
        std::snprintf(name, sizeof name, "out/%04u", static_cast<unsigned>(i + 1));
        TDescriptionSheet expected = Template();
        expected.Title.Text = c.bytes;
        EXPECT_EQ(ReadWholeFile(folder.file(std::string(name) + ".html")), BuildHtmlTags(expected));
        // The data file holds the bytes; the tool's plain text gives the characters.
        TDescriptionSheet loaded;
        ASSERT_FALSE(LoadDataFile(loaded, folder.file(std::string(name) + ".qvl")));
        EXPECT_EQ(loaded.Title.Text, c.bytes);
        const ProgramRun text = RunCommand(ShellQuote(QvltagsPath()) + " --text --utf8 " +
                                               ShellQuote(folder.file(std::string(name) + ".qvl")),
                                           folder);
        EXPECT_EQ(text.out.substr(0, text.out.find("\r\n")), c.plainText());
    }
    // A UTF-8 table's plain-text column gives the characters; its tags keep the references.
    const mergetest::ToolRun table =
        mergetest::RunQvltags("--merge " + ShellQuote(folder.file("items.csv")) + " " +
                                  ShellQuote(folder.file("template.qvl")) + " --csv " +
                                  ShellQuote(folder.file("out.csv")) + " --text",
                              folder);
    ASSERT_EQ(table.status, 0) << table.err;
    const auto rows = mergetest::ParseCsv(ReadWholeFile(folder.file("out.csv")));
    ASSERT_GT(rows.size(), Cases().size());
    for (std::size_t i = 0; i < Cases().size(); ++i) {
        SCOPED_TRACE(Cases()[i].name);
        ASSERT_EQ(rows[i + 1].size(), 3u);
        TDescriptionSheet expected = Template();
        expected.Title.Text = Cases()[i].bytes;
        EXPECT_EQ(rows[i + 1][1], sjis::ToUtf8(BuildHtmlTags(expected)));
        EXPECT_EQ(rows[i + 1][2].substr(0, rows[i + 1][2].find("\r\n")), Cases()[i].plainText());
    }
}
