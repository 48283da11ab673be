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
    // A lone CR is text, not a line end; an unclosed quote takes the rest.
    const CsvTable odd = ReadCsv("a\rb,\"open,\r\nstill");
    ASSERT_EQ(odd.rows.size(), 1u);
    EXPECT_EQ(odd.rows[0], (CsvRow{"a\rb", "open,\r\nstill"}));
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
