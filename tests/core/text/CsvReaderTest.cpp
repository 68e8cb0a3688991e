#include "core/text/CsvReader.h"
#include "core/text/Gbk.h"
#include "support/TempDir.h"
#include "support/Utf16.h"

#include <gtest/gtest.h>

namespace zentra {
namespace {

using test::utf16;

// A record as the tests write it: its line, then its fields, or its problem.
struct Rec {
    int line;
    std::vector<std::string> fields;
    CsvProblem problem = CsvProblem::None;
    bool operator==(const Rec &) const = default;
};

std::ostream &operator<<(std::ostream &os, const Rec &r)
{
    os << "{line " << r.line << ", problem " << static_cast<int>(r.problem) << ":";
    for (const std::string &f : r.fields)
        os << " [" << f << "]";
    return os << "}";
}

std::vector<Rec> readAll(CsvReader &reader, std::size_t expectFieldsAfterHeader = 0)
{
    std::vector<Rec> out;
    CsvRecord r;
    while (reader.next(r)) {
        out.push_back({r.line, r.fields, r.problem});
        if (out.size() == 1 && expectFieldsAfterHeader)
            reader.expectFields(expectFieldsAfterHeader);
    }
    EXPECT_EQ(reader.error(), "");
    return out;
}

std::vector<Rec> records(std::string_view bytes, CsvReader::Options options = {}, bool header = false)
{
    CsvReader reader(options);
    reader.openBytes(bytes);
    std::vector<Rec> out;
    CsvRecord r;
    while (reader.next(r)) {
        if (out.empty() && header)
            reader.expectFields(r.fields.size());
        out.push_back({r.line, r.fields, r.problem});
    }
    return out;
}

constexpr CsvProblem kQuote = CsvProblem::UnmatchedQuote;

TEST(CsvReader, RecordsFieldsAndLines)
{
    struct Case {
        const char *text;
        std::vector<Rec> expected;
    };
    const Case cases[] = {
        {"a,b,c\n1,2,3\n", {{1, {"a", "b", "c"}}, {2, {"1", "2", "3"}}}},
        {"a,b\r\n1,2\r\n", {{1, {"a", "b"}}, {2, {"1", "2"}}}},
        {"a,b\n1,2", {{1, {"a", "b"}}, {2, {"1", "2"}}}},
        // CR alone ends a record too, in a file of CRs or among CR LFs.
        {"a,b\r1,2\r3,4\r", {{1, {"a", "b"}}, {2, {"1", "2"}}, {3, {"3", "4"}}}},
        {"a,b\r\n1,2\r3,4\r\n5,6\r\n", {{1, {"a", "b"}}, {2, {"1", "2"}}, {3, {"3", "4"}}, {4, {"5", "6"}}}},
        {"a\n\rb\r\n", {{1, {"a"}}, {3, {"b"}}}},
        // Quoted fields keep separators, quotes and line ends as written.
        {"\"x,y\",z\n", {{1, {"x,y", "z"}}}},
        {"\"say \"\"hi\"\"\",2\n", {{1, {"say \"hi\"", "2"}}}},
        {"\"one\ntwo\",next\n3,4\n", {{1, {"one\ntwo", "next"}}, {3, {"3", "4"}}}},
        {"\"crlf\r\ninside\",x\r\nend\r\n", {{1, {"crlf\r\ninside", "x"}}, {3, {"end"}}}},
        {"\"cr\rinside\",x\rend\r", {{1, {"cr\rinside", "x"}}, {3, {"end"}}}},
        {"=\"123\",b\n", {{1, {"=\"123\"", "b"}}}},
        {"\"a\"b,c\n", {{1, {"ab", "c"}}}},
        {"\"a\"  ,c\n", {{1, {"a", "c"}}}},
        {"a,,\n", {{1, {"a", "", ""}}}},
        {"\n\r\na\n\n", {{3, {"a"}}}},
        {"", {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(records(c.text), c.expected) << c.text;
    // NUL characters are dropped.
    EXPECT_EQ(records(std::string_view("a\0b,\"c\0\",\0\n", 12)), (std::vector<Rec>{{1, {"ab", "c", ""}}}));
    // Spaces before a field are kept, or skipped for the reports.
    EXPECT_EQ(records("  x,  \"q\" ,y\n"), (std::vector<Rec>{{1, {"  x", "  \"q\" ", "y"}}}));
    CsvReader::Options skip;
    skip.skipSpacesBeforeField = true;
    EXPECT_EQ(records("  x,  \"q\" ,y\n", skip), (std::vector<Rec>{{1, {"x", "q", "y"}}}));
}

TEST(CsvReader, AnUnmatchedQuoteCostsItsOwnLineOnly)
{
    struct Case {
        const char *text;
        std::vector<Rec> expected;
    };
    const Case cases[] = {
        // The quote never closes: its line is reported, the rest is read.
        {"h1,h2\n1,\"open\n2,b\n3,c\n", {{1, {"h1", "h2"}}, {2, {}, kQuote}, {3, {"2", "b"}}, {4, {"3", "c"}}}},
        {"h1,h2\n1,\"open", {{1, {"h1", "h2"}}, {2, {}, kQuote}}},
        // It "closes" at a quote of a later record, followed by more text.
        {"n,m\n=\"4\",\"请放门卫\r\n=\"5\",ok\r\n=\"6\",\"fine\"\r\n",
         {{1, {"n", "m"}}, {2, {}, kQuote}, {3, {"=\"5\"", "ok"}}, {4, {"=\"6\"", "fine"}}}},
        // It closes at a later quote followed by a separator, but the record
        // then has more fields than the header.
        {"a,b\n1,\"x\n2,\",3,4\n5,6\n", {{1, {"a", "b"}}, {2, {}, kQuote}, {3, {}, kQuote}, {4, {"5", "6"}}}},
        // A quoted field over two lines that fits the header stays one record,
        // empty fields at the end of it included.
        {"a,b\n\"x\ny\",2\n3,4\n", {{1, {"a", "b"}}, {2, {"x\ny", "2"}}, {4, {"3", "4"}}}},
        {"a,b\n\"x\ny\",2,,\n3,4,\n", {{1, {"a", "b"}}, {2, {"x\ny", "2", "", ""}}, {4, {"3", "4", ""}}}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(records(c.text, {}, true), c.expected) << c.text;
}

TEST(CsvReader, RecordsOverTheCapsAreReportedAndTheRestIsRead)
{
    CsvReader::Options small;
    small.limits.maxFields = 4;
    small.limits.maxFieldBytes = 10;
    small.limits.maxRecordBytes = 1000;
    const std::string longLine(200000, 'x');
    const std::string commas(300000, ',');
    struct Case {
        std::string text;
        std::vector<Rec> expected;
    };
    const Case cases[] = {
        {"1,2,3,4,5\nok\n", {{1, {}, CsvProblem::TooManyFields}, {2, {"ok"}}}},
        {"12345678901,2\nok\n", {{1, {}, CsvProblem::FieldTooLong}, {2, {"ok"}}}},
        {"\"1234567890\"\"\",2\nok\n", {{1, {}, CsvProblem::FieldTooLong}, {2, {"ok"}}}},
        {longLine + "\r\nok\r\n", {{1, {}, CsvProblem::RecordTooLong}, {2, {"ok"}}}},
        {commas + "\rok\r", {{1, {}, CsvProblem::RecordTooLong}, {2, {"ok"}}}},
        {"a\n\"" + longLine + "\nb\n", {{1, {"a"}}, {2, {}, CsvProblem::RecordTooLong}, {3, {"b"}}}},
        {"a\n\"x\n" + longLine + "\nb\n",
         {{1, {"a"}}, {2, {}, kQuote}, {3, {}, CsvProblem::RecordTooLong}, {4, {"b"}}}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(records(c.text, small), c.expected) << c.text.substr(0, 40);

    // The default caps: 256 fields, 64 KB a field, 1 MB a record.
    const std::string wide = std::string(300, ',') + "\nok\n";
    EXPECT_EQ(records(wide), (std::vector<Rec>{{1, {}, CsvProblem::TooManyFields}, {2, {"ok"}}}));
    const std::string huge = std::string(3 << 20, 'y') + "\nok\n";
    EXPECT_EQ(records(huge), (std::vector<Rec>{{1, {}, CsvProblem::RecordTooLong}, {2, {"ok"}}}));
    EXPECT_EQ(csvProblemText(CsvProblem::TooManyFields, CsvLimits{}, TextEncoding::Utf8), "列数超过 256");
    EXPECT_EQ(csvProblemText(CsvProblem::FieldTooLong, CsvLimits{}, TextEncoding::Utf8), "字段长度超过 64 KB");
    EXPECT_EQ(csvProblemText(CsvProblem::RecordTooLong, CsvLimits{}, TextEncoding::Utf8), "记录长度超过 1 MB");
    EXPECT_EQ(csvProblemText(CsvProblem::Undecodable, CsvLimits{}, TextEncoding::Gbk), "文字无法按 GBK 解码");
}

TEST(CsvReader, EncodingsAreDetectedAndNeverGiveInvalidText)
{
    const std::string text = "姓名,地址\r\n张三,北京市 朝阳区 1号\r\n李四,\"上海, 浦东\"\r\n";
    const std::vector<Rec> expected = {
        {1, {"姓名", "地址"}}, {2, {"张三", "北京市 朝阳区 1号"}}, {3, {"李四", "上海, 浦东"}}};
    struct Case {
        const char *name;
        std::string bytes;
        TextEncoding encoding;
    };
    const Case same[] = {
        {"UTF-8", text, TextEncoding::Utf8},
        {"UTF-8 with mark", "\xEF\xBB\xBF" + text, TextEncoding::Utf8},
        {"UTF-16LE with mark", "\xFF\xFE" + utf16(text), TextEncoding::Utf16Le},
        {"UTF-16BE with mark", "\xFE\xFF" + utf16(text, true), TextEncoding::Utf16Be},
        {"UTF-16LE", utf16(text), TextEncoding::Utf16Le},
        {"UTF-16BE", utf16(text, true), TextEncoding::Utf16Be},
        {"GBK", utf8ToGbk(text), TextEncoding::Gbk},
    };
    for (const Case &c : same) {
        CsvReader reader;
        reader.openBytes(c.bytes);
        EXPECT_EQ(reader.encoding(), c.encoding) << c.name;
        EXPECT_EQ(readAll(reader), expected) << c.name;
    }

    // Text the encoding cannot decode is reported by its record, never given.
    const std::string gbkLine = utf8ToGbk("王五,广州") + "\r\n";
    const Case bad[] = {
        {"a GBK line in UTF-8", text + gbkLine + "赵六,深圳\r\n", TextEncoding::Utf8},
        {"a cut UTF-8 character", text + "王五,广\xE5\xB7", TextEncoding::Utf8},
        {"a stray last byte of UTF-16", "\xFF\xFE" + utf16(text) + "\x41", TextEncoding::Utf16Le},
        {"an unpaired surrogate", "\xFF\xFE" + utf16(text) + utf16("x,") + std::string("\x00\xD8", 2) + utf16("\r\n"),
         TextEncoding::Utf16Le},
        {"a byte GBK lacks", utf8ToGbk(text) + utf8ToGbk("王五,") + "\xFF\r\n", TextEncoding::Gbk},
    };
    for (const Case &c : bad) {
        CsvReader reader;
        reader.openBytes(c.bytes);
        EXPECT_EQ(reader.encoding(), c.encoding) << c.name;
        const std::vector<Rec> got = readAll(reader);
        ASSERT_GE(got.size(), 4u) << c.name;
        EXPECT_EQ(std::vector<Rec>(got.begin(), got.begin() + 3), expected) << c.name;
        EXPECT_EQ(got[3], (Rec{4, {}, CsvProblem::Undecodable})) << c.name;
        if (got.size() > 4) {
            EXPECT_EQ(got[4], (Rec{5, {"赵六", "深圳"}})) << c.name;
        }
    }
}

// Records cut anywhere by the pieces the file is read in read the same.
TEST(CsvReader, AFileIsReadInPiecesAsAWhole)
{
    std::string text = "编号,名称,备注\r\n";
    std::vector<Rec> expected = {{1, {"编号", "名称", "备注"}}};
    int line = 2;
    for (int i = 0; text.size() < (3u << 20); ++i) {
        const std::string name = std::string(static_cast<std::size_t>(i % 37), 'a') + "顺丰😀" + std::to_string(i);
        const bool multi = i % 11 == 0;
        const std::string note = multi ? "两行\r\n备注" : std::string(static_cast<std::size_t>(i % 5), ' ');
        text += std::to_string(i) + "," + name + ",\"" + note + "\"" + (i % 3 ? "\r\n" : i % 2 ? "\r" : "\n");
        expected.push_back({line, {std::to_string(i), name, note}});
        line += multi ? 2 : 1;
    }
    test::TempDir dir;
    const std::pair<const char *, std::string> files[] = {
        {"utf8", text},
        {"gbk", utf8ToGbk(text)},
        {"utf16", "\xFF\xFE" + utf16(text)},
        {"utf16be", utf16(text, true)},
    };
    for (const auto &[name, bytes] : files) {
        const std::string path = dir.file(name);
        test::spit(path, bytes);
        CsvReader reader;
        ASSERT_TRUE(reader.openFile(path, bytes.size()));
        EXPECT_EQ(readAll(reader, 3), expected) << name;
        EXPECT_EQ(reader.bytesRead(), bytes.size());
        EXPECT_EQ(reader.totalBytes(), bytes.size());
    }
    CsvReader tooBig;
    std::string error;
    EXPECT_FALSE(tooBig.openFile(dir.file("utf8"), 100, &error));
    EXPECT_NE(error.find("larger than"), std::string::npos);
    EXPECT_FALSE(CsvReader().openFile(dir.path(), 1000));
    EXPECT_FALSE(CsvReader().openFile(dir.file("none"), 1000));
}

}
}
