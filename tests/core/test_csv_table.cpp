#include <gtest/gtest.h>

#include "TestUtil.h"
#include "store/CsvTable.h"

using namespace quorvel;

TEST(CsvTable, QuotedFieldsHoldCommasQuotesAndLineBreaks) {
    const CsvTable table = ReadCsv(
        "name,text\r\n"
        "\"a, b\",\"say \"\"hi\"\"\"\r\n"
        "\"two\r\nlines\",\"lf\nonly\"\r\n"
        "plain,\r\n");
    ASSERT_EQ(table.rows.size(), 4u);
    EXPECT_EQ(table.rows[1], (CsvRow{"a, b", "say \"hi\""}));
    EXPECT_EQ(table.rows[2], (CsvRow{"two\r\nlines", "lf\nonly"}));
    EXPECT_EQ(table.rows[3], (CsvRow{"plain", ""}));
    EXPECT_EQ(table.lineEnd, "\r\n");
}

TEST(CsvTable, LineEndsAndRaggedRows) {
    // LF line ends, no line end at the very end, rows of different widths, a blank line.
    const CsvTable table = ReadCsv("a,b,c\nx\n\n1,2,3,4,\n\"last\"");
    ASSERT_EQ(table.rows.size(), 5u);
    EXPECT_EQ(table.lineEnd, "\n");
    EXPECT_EQ(table.rows[1], CsvRow{"x"});
    EXPECT_EQ(table.rows[2], CsvRow{""});
    EXPECT_EQ(table.rows[3], (CsvRow{"1", "2", "3", "4", ""}));
    EXPECT_EQ(table.rows[4], CsvRow{"last"});
    // A lone CR is text, not a line end; an unclosed quote takes the rest, and says where.
    const CsvTable odd = ReadCsv("a\rb,\"open,\r\nstill");
    ASSERT_EQ(odd.rows.size(), 1u);
    EXPECT_EQ(odd.rows[0], (CsvRow{"a\rb", "open,\r\nstill"}));
    EXPECT_EQ(odd.unclosedQuoteRow, 0u);
    const CsvTable later = ReadCsv("a,c\r\nx,\"open,\r\nstill\r\nmore");
    ASSERT_EQ(later.rows.size(), 2u);
    EXPECT_EQ(later.rows[1], (CsvRow{"x", "open,\r\nstill\r\nmore"}));
    EXPECT_EQ(later.unclosedQuoteRow, 1u);
    // A quote inside an unquoted field is text, as spreadsheet programs read it.
    EXPECT_EQ(ReadCsv("ab\"c,d\ne\n").rows, (std::vector<CsvRow>{{"ab\"c", "d"}, {"e"}}));
    EXPECT_FALSE(ReadCsv("\"closed\"\"\",\"x\"\n").unclosedQuoteRow);
    EXPECT_EQ(ReadCsv("\"").unclosedQuoteRow, 0u);
    EXPECT_TRUE(ReadCsv("").rows.empty());
}

TEST(CsvTable, EncodingsAndByteOrderMark) {
    const std::string utf8 = "タイトル,項目１\r\nカメラ,①\r\n";
    const CsvTable plain = ReadCsv(utf8);
    EXPECT_EQ(plain.encoding, CsvEncoding::Utf8);
    EXPECT_FALSE(plain.byteOrderMark);
    EXPECT_EQ(plain.rows[0][0], "タイトル");

    const CsvTable marked = ReadCsv("\xEF\xBB\xBF" + utf8);
    EXPECT_EQ(marked.encoding, CsvEncoding::Utf8);
    EXPECT_TRUE(marked.byteOrderMark);
    EXPECT_EQ(marked.rows, plain.rows);
    EXPECT_EQ(WriteCsv(marked), "\xEF\xBB\xBF" + utf8);

    // Shift_JIS bytes are not UTF-8; a trail byte 5C (表) must not end or split a field.
    const std::string sjis = Sj("タイトル,項目１\r\n表示,\"ソ,\"\r\n");
    const CsvTable cp932 = ReadCsv(sjis);
    EXPECT_EQ(cp932.encoding, CsvEncoding::Cp932);
    ASSERT_EQ(cp932.rows.size(), 2u);
    EXPECT_EQ(cp932.rows[1], (CsvRow{Sj("表示"), Sj("ソ,")}));

    // Forcing an encoding overrides the guess; plain ASCII would pass as UTF-8.
    EXPECT_EQ(ReadCsv("a,b\r\n", CsvEncoding::Cp932).encoding, CsvEncoding::Cp932);
    EXPECT_EQ(ReadCsv(sjis, CsvEncoding::Utf8).encoding, CsvEncoding::Utf8);
    // Overlong forms and surrogates are not UTF-8.
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));
    EXPECT_FALSE(IsValidUtf8("\xE3\x81"));
    EXPECT_TRUE(IsValidUtf8("😀"));
}

TEST(CsvTable, WrittenTablesReadBackEqual) {
    CsvTable table;
    table.rows = {{"a", "b,c", "\"q\""}, {"line\r\nbreak", "", "lf\n"}, {""}, {"\xEF\xBB\xBFx"}};
    for (const char* lineEnd : {"\r\n", "\n"}) {
        table.lineEnd = lineEnd;
        const std::string bytes = WriteCsv(table);
        EXPECT_EQ(ReadCsv(bytes), table) << bytes;
    }
    // A first field that starts like a byte-order mark survives without one.
    CsvTable lookalike;
    lookalike.rows = {{"\xEF\xBB\xBFx", "y"}};
    EXPECT_EQ(ReadCsv(WriteCsv(lookalike)), lookalike);
    EXPECT_EQ(CsvField("plain"), "plain");
    EXPECT_EQ(CsvField("a\"b"), "\"a\"\"b\"");
}

TEST(CsvTable, DetectionWeighsBothEncodingsWhenNeitherFits) {
    // One stray byte in a UTF-8 file leaves it UTF-8; one in a Shift_JIS file leaves it that.
    const std::string utf8 = "タイトル,説明１\r\nカメラ,美品です\r\n";
    EXPECT_EQ(DetectCsvEncoding(utf8 + "\xFF\r\n"), CsvEncoding::Utf8);
    EXPECT_EQ(DetectCsvEncoding(Sj(utf8) + "\xFF\r\n"), CsvEncoding::Cp932);
    EXPECT_EQ(Utf8ErrorCount("a\xFF\xFE"
                             "b"),
              2u);
    EXPECT_EQ(Cp932ErrorCount(Sj("表示") + "\xA0"), 1u);
    EXPECT_EQ(Cp932ErrorCount(Sj(utf8)), 0u);
    // A byte-order mark decides, however bad what follows is.
    EXPECT_EQ(DetectCsvEncoding("\xEF\xBB\xBF" + Sj(utf8)), CsvEncoding::Utf8);
    // A long file is judged by its first part only, cut where no character is split.
    std::string longFile;
    while (longFile.size() < (1u << 20) + 10) longFile += "ア,イ\n";
    EXPECT_EQ(DetectCsvEncoding(longFile + Sj("表示表示表示")), CsvEncoding::Utf8);
}
