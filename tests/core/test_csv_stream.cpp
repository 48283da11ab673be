#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "TestUtil.h"
#include "store/CsvStream.h"
#include "store/CsvTable.h"
#include "store/TakenNames.h"

using namespace quorvel;

namespace {

struct Read {
    std::vector<CsvRow> rows;
    std::vector<std::size_t> rowNumbers;
    CsvStatus last = CsvStatus::End;
    std::size_t unclosedRow = 0;
    std::string lineEnd;
};

Read ReadAll(std::string_view bytes, std::size_t piece, CsvLimits limits = {}) {
    StringCsvSource source(bytes, piece);
    CsvReader reader(source);
    reader.SetLimits(std::move(limits));
    Read read;
    CsvRecord record;
    for (;;) {
        read.last = reader.Next(record);
        if (read.last != CsvStatus::Record) break;
        read.rows.push_back(record.fields);
        read.rowNumbers.push_back(record.row);
    }
    read.unclosedRow = reader.unclosedRow();
    read.lineEnd = reader.lineEnd();
    return read;
}

}  // namespace

TEST(CsvStream, PiecesOfAnySizeGiveTheSameRecords) {
    // Quoted line breaks, doubled quotes, a CR LF split between pieces, double-byte characters
    // whose trail bytes are 5C and 7C (表, ポ) and a lone CR.
    const std::string bytes = Sj("名前,説明\r\n\"表\r\n示\",\"ポ\"\"イ\"\"ント\"\r\n") +
                              "a\rb,\"x,\ny\"\r\n" + Sj("ソ,\"十\"") + "\r\n";
    const Read whole = ReadAll(bytes, SIZE_MAX);
    ASSERT_EQ(whole.rows.size(), 4u);
    EXPECT_EQ(whole.rows[1], (CsvRow{Sj("表\r\n示"), Sj("ポ\"イ\"ント")}));
    EXPECT_EQ(whole.rows[2], (CsvRow{"a\rb", "x,\ny"}));
    EXPECT_EQ(whole.rows[3], (CsvRow{Sj("ソ"), Sj("十")}));
    EXPECT_EQ(whole.rowNumbers, (std::vector<std::size_t>{0, 1, 2, 3}));
    EXPECT_EQ(whole.lineEnd, "\r\n");
    for (std::size_t piece = 1; piece <= 9; ++piece) {
        const Read split = ReadAll(bytes, piece);
        EXPECT_EQ(split.rows, whole.rows) << piece;
        EXPECT_EQ(split.last, CsvStatus::End) << piece;
    }
}

TEST(CsvStream, LineEndsAndTheLastLine) {
    const Read lf = ReadAll("a,b\nc,d", 2);
    EXPECT_EQ(lf.rows, (std::vector<CsvRow>{{"a", "b"}, {"c", "d"}}));
    EXPECT_EQ(lf.lineEnd, "\n");
    // A CR at the very end is text; a comma at the end opens an empty field.
    EXPECT_EQ(ReadAll("a\r", 1).rows, (std::vector<CsvRow>{{"a\r"}}));
    EXPECT_EQ(ReadAll("a,", 1).rows, (std::vector<CsvRow>{{"a", ""}}));
    EXPECT_EQ(ReadAll("\n\n", 1).rows, (std::vector<CsvRow>{{""}, {""}}));
    // Text after a closing quote stays in the field; a quote inside a plain field is text.
    EXPECT_EQ(ReadAll("\"ab\"c\"d,e\"f\n", 3).rows, (std::vector<CsvRow>{{"abc\"d", "e\"f"}}));
    EXPECT_TRUE(ReadAll("", 1).rows.empty());
}

TEST(CsvStream, AnUnclosedQuoteNamesTheRecordWhereItsFieldBegan) {
    for (std::size_t piece : {std::size_t{1}, std::size_t{4}, SIZE_MAX}) {
        const Read read = ReadAll("h\r\nok\r\n\"never\r\nclosed,\r\nat all", piece);
        EXPECT_EQ(read.rows, (std::vector<CsvRow>{{"h"}, {"ok"}})) << piece;
        EXPECT_EQ(read.last, CsvStatus::UnclosedQuote);
        EXPECT_EQ(read.unclosedRow, 2u);
    }
    // A doubled quote at the very end is not a close.
    EXPECT_EQ(ReadAll("\"a\"\"", 1).last, CsvStatus::UnclosedQuote);
    EXPECT_EQ(ReadAll("\"a\"\"\"", 1).last, CsvStatus::End);
}

TEST(CsvStream, LimitsCutFieldsButMeasureThem) {
    CsvLimits limits;
    limits.fields = {3, 0};
    limits.others = 5;
    limits.maxFields = 4;
    StringCsvSource source("abcdef,\"x\"\"y\",0123456789,ok,more,and more\nz\n", 2);
    CsvReader reader(source);
    reader.SetLimits(limits);
    CsvRecord record;
    ASSERT_EQ(reader.Next(record), CsvStatus::Record);
    EXPECT_EQ(record.fields, (CsvRow{"abc", "", "01234", "ok"}));
    EXPECT_EQ(record.lengths, (std::vector<std::size_t>{6, 3, 10, 2}));
    EXPECT_TRUE(record.cut(0));
    EXPECT_TRUE(record.cut(1));
    EXPECT_FALSE(record.cut(3));
    EXPECT_EQ(record.fieldCount, 6u);
    EXPECT_EQ(record.droppedBytes, 12u);
    EXPECT_FALSE(record.blank());
    ASSERT_EQ(reader.Next(record), CsvStatus::Record);
    EXPECT_EQ(record.fields, CsvRow{"z"});
    EXPECT_EQ(record.row, 1u);
    EXPECT_EQ(reader.Next(record), CsvStatus::End);

    // The record budget caps what all fields keep together.
    CsvLimits budget;
    budget.record = 4;
    StringCsvSource wide("aaa,bbb,ccc\n");
    CsvReader cut(wide);
    cut.SetLimits(budget);
    ASSERT_EQ(cut.Next(record), CsvStatus::Record);
    EXPECT_EQ(record.fields, (CsvRow{"aaa", "b", ""}));
    EXPECT_TRUE(record.cut(2));
}

TEST(CsvStream, PeekLeavesTheBytesAndTheMarkIsTakenOnce) {
    StringCsvSource source("\xEF\xBB\xBF\xEF\xBB\xBFx,y\n", 2);
    CsvReader reader(source);
    EXPECT_EQ(reader.Peek(5), "\xEF\xBB\xBF\xEF\xBB");
    EXPECT_EQ(reader.Peek(100).size(), 10u);
    EXPECT_TRUE(reader.SkipByteOrderMark());
    CsvRecord record;
    ASSERT_EQ(reader.Next(record), CsvStatus::Record);
    EXPECT_EQ(record.fields, (CsvRow{"\xEF\xBB\xBFx", "y"}));
}

TEST(CsvStream, RandomTablesRoundTripInBothEncodings) {
    // Texts that are valid in their table's encoding, with every character the writer must
    // quote; the heading carries "説明HTML", as the merge's output does, and the detection must
    // find the encoding again from the bytes alone.
    const std::vector<std::string> pieces{"a",  ",",  "\"",           "\r\n", "\n",
                                          "\r", " ",  "表",           "ソ",   "①",
                                          "ｱ",  "十", "\xEF\xBB\xBF", "x\"y", ""};
    std::mt19937 random(20);
    for (int round = 0; round < 200; ++round) {
        const bool sjis = round % 2 == 1;
        CsvTable table;
        table.encoding = sjis ? CsvEncoding::Cp932 : CsvEncoding::Utf8;
        table.byteOrderMark = !sjis && round % 4 == 0;
        table.lineEnd = round % 3 == 0 ? "\n" : "\r\n";
        const auto text = [&](const std::string& utf8) { return sjis ? Sj(utf8) : utf8; };
        table.rows.push_back({text("タイトル"), text("説明HTML")});
        const int rows = static_cast<int>(random() % 6);
        for (int r = 0; r < rows; ++r) {
            CsvRow row;
            const int fields = 1 + static_cast<int>(random() % 4);
            for (int f = 0; f < fields; ++f) {
                std::string field;
                const int parts = static_cast<int>(random() % 5);
                for (int p = 0; p < parts; ++p) {
                    const std::string& piece = pieces[random() % pieces.size()];
                    if (sjis && piece == "\xEF\xBB\xBF") continue;  // no such character there
                    field += text(piece);
                }
                row.push_back(field);
            }
            table.rows.push_back(row);
        }
        const std::string bytes = WriteCsv(table);
        EXPECT_EQ(ReadCsv(bytes), table) << round << ": " << bytes;
        // And in pieces through the stream reader.
        const Read split = ReadAll(
            table.byteOrderMark ? std::string_view(bytes).substr(3) : std::string_view(bytes),
            1 + random() % 7);
        EXPECT_EQ(split.rows, table.rows) << round;
    }
}

TEST(TakenNames, NamesCompareWithoutLetterCaseAndRememberTheirRow) {
    TakenNames names;
    EXPECT_FALSE(names.Take("Page.html", 1));
    EXPECT_EQ(names.Take("PAGE.HTML", 5), 1u);
    EXPECT_EQ(names.Find("page.html"), 1u);
    // Only ASCII letters fold: the bytes of a double-byte name are compared as they are.
    EXPECT_FALSE(names.Take(Sj("ａ.html"), 2));
    EXPECT_FALSE(names.Take(Sj("Ａ.html"), 3));
    EXPECT_FALSE(names.Find("page.htm"));
    // Thousands of names, through many growths, each still found with its row.
    for (std::size_t row = 10; row < 20000; ++row)
        ASSERT_FALSE(names.Take("item" + std::to_string(row) + ".html", row));
    for (std::size_t row = 10; row < 20000; row += 997)
        EXPECT_EQ(names.Find("ITEM" + std::to_string(row) + ".HTML"), row);
    EXPECT_EQ(names.size(), 20000u - 10u + 3u);
}
