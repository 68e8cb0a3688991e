#include "core/config/DataFolder.h"
#include "core/data/Schema.h"
#include "core/masterdata/BookCsv.h"
#include "core/text/Gbk.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

namespace zentra {
namespace {

TEST(CsvTest, SplitsQuotedFieldsAndCountsLines)
{
    auto recs = parseCsv("a,b\r\n\"x,1\",\"say \"\"hi\"\"\"\n\"two\nlines\",z\nlast");
    ASSERT_EQ(recs.size(), 4u);
    EXPECT_EQ(recs[0].fields, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(recs[1].fields, (std::vector<std::string>{"x,1", "say \"hi\""}));
    EXPECT_EQ(recs[2].fields, (std::vector<std::string>{"two\nlines", "z"}));
    EXPECT_EQ(recs[2].line, 3);
    EXPECT_EQ(recs[3].line, 5);
    EXPECT_EQ(recs[3].fields, std::vector<std::string>{"last"});
    EXPECT_TRUE(parseCsv("a,\"open\n").back().broken);
    EXPECT_EQ(parseCsv("a,,\n")[0].fields.size(), 3u);
}

TEST(CsvTest, DecodesByMarkOrContent)
{
    EXPECT_EQ(decodeTextFile("\xEF\xBB\xBF张三"), "张三");
    EXPECT_EQ(decodeTextFile("张三"), "张三");
    EXPECT_EQ(decodeTextFile(utf8ToGbk("张三")), "张三");
    EXPECT_EQ(decodeTextFile(std::string("\xFF\xFE\x20\x5F\x09\x4E", 6)), "张三");
}

class BookCsvTest : public test::EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        std::string error;
        ASSERT_TRUE(initDataFolder(folder, &error)) << error;
    }
    test::TempDir dir;
    DataFolder folder{folderAt(dir.file("shop"))};
    MasterBook receivers{folder.databasePath(), receiverBook()};
};

ZENTRA_ON_BOTH_ENGINES(BookCsvTest);

TEST_P(BookCsvTest, ExportThenImportGivesTheSameEntries)
{
    BookEntry e{{"rname", "张\"三"},
                {"rmobile", "138"},
                {"raddress", "北京路1号, 2单元\n后门"},
                {"rnote", "😀 100%"},
                {"rself4", "=1+1"}};
    ASSERT_TRUE(receivers.save(e, MasterBook::Mode::Add).ok());
    const std::string csv = exportBookCsv(receiverBook(), receivers.list());
    EXPECT_TRUE(csv.starts_with("\xEF\xBB\xBF姓名,类别,旺旺号,QQ号,手机,"));

    test::TempDir other;
    DataFolder second{other.file("shop")};
    ASSERT_TRUE(initDataFolder(second));
    MasterBook copy(second.databasePath(), receiverBook());
    CsvImport r = importBookCsv(copy, csv);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.inserted, 1);
    auto row = copy.find(e);
    ASSERT_TRUE(row);
    for (const auto &[column, value] : e)
        EXPECT_EQ(row->text(column), value) << column;
    EXPECT_EQ(row->text("rnamePY"), "z\"s");

    // Importing the same file again updates instead of duplicating.
    CsvImport again = importBookCsv(copy, csv);
    EXPECT_EQ(again.inserted, 0);
    EXPECT_EQ(again.updated, 1);
    EXPECT_EQ(copy.list().size(), 1u);
}

TEST_P(BookCsvTest, TheGbkExportReadsBackLikeTheUtf8One)
{
    ASSERT_TRUE(receivers
                    .save({{"rname", "张三"}, {"rmobile", "138"}, {"raddress", "北京路1号"}, {"rclass", "批发"}},
                          MasterBook::Mode::Add)
                    .ok());
    const std::string gbk = exportBookCsv(receiverBook(), receivers.list(), CsvEncoding::Gbk);
    // No byte-order mark, the header in GBK bytes: what older spreadsheet
    // programs read as Chinese.
    EXPECT_TRUE(gbk.starts_with(utf8ToGbk("姓名,类别,")));
    EXPECT_EQ(decodeTextFile(gbk), exportBookCsv(receiverBook(), receivers.list()).substr(3));

    test::TempDir other;
    DataFolder second{other.file("shop")};
    ASSERT_TRUE(initDataFolder(second));
    MasterBook copy(second.databasePath(), receiverBook());
    const CsvImport r = importBookCsv(copy, gbk);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(copy.find({{"rmobile", "138"}, {"raddress", "北京路1号"}})->text("rname"), "张三");
    // The imported entries' class joins the class list.
    EXPECT_EQ(copy.classes(), (std::vector<std::string>{kAllClasses, "批发"}));
}

TEST_P(BookCsvTest, ProgressIsReportedAndCancellingImportsNothing)
{
    std::string csv = "姓名,手机,地址\r\n";
    for (int i = 0; i < 1200; ++i)
        csv +=
            "客户" + std::to_string(i) + "," + std::to_string(13800000000 + i) + ",某路" + std::to_string(i) + "号\r\n";
    std::vector<std::pair<std::size_t, std::size_t>> heard;
    CsvImport r = importBookCsv(receivers, csv, [&](std::size_t done, std::size_t total) {
        heard.emplace_back(done, total);
        return true;
    });
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.inserted, 1200);
    ASSERT_FALSE(heard.empty());
    EXPECT_EQ(heard.front(), (std::pair<std::size_t, std::size_t>{0, 1200}));
    EXPECT_EQ(heard.back(), (std::pair<std::size_t, std::size_t>{1200, 1200}));

    test::TempDir other;
    DataFolder second{other.file("shop")};
    ASSERT_TRUE(initDataFolder(second));
    MasterBook copy(second.databasePath(), receiverBook());
    r = importBookCsv(copy, csv, [](std::size_t done, std::size_t) { return done < 1000; });
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "导入已取消");
    EXPECT_TRUE(copy.list().empty());
}

TEST_P(BookCsvTest, BrokenRowsAreReportedAndTheRestIsKept)
{
    ASSERT_TRUE(
        receivers.save({{"rname", "旧"}, {"rmobile", "1"}, {"raddress", "a"}, {"rnote", "留着"}}, MasterBook::Mode::Add)
            .ok());
    const std::string csv = utf8ToGbk("rname,手机,地址,ignored\n"
                                      "新名,1,a,x\n"
                                      "没有手机,,b,\n"
                                      "\n"
                                      "李四,2,c\n"
                                      ",3,d\n"
                                      "王五,4,\"未完");
    CsvImport r = importBookCsv(receivers, csv);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.inserted, 1);
    EXPECT_EQ(r.updated, 1);
    ASSERT_EQ(r.skipped.size(), 3u);
    EXPECT_EQ(r.skipped[0].line, 3);
    EXPECT_EQ(r.skipped[0].reason, "请输入手机号码!");
    EXPECT_EQ(r.skipped[1].line, 6);
    EXPECT_EQ(r.skipped[1].reason, "请输入收件人姓名!");
    EXPECT_EQ(r.skipped[2].line, 7);
    auto old = receivers.find({{"rmobile", "1"}, {"raddress", "a"}});
    EXPECT_EQ(old->text("rname"), "新名");
    EXPECT_EQ(old->text("rnote"), "留着"); // columns the file lacks stay
    EXPECT_EQ(receivers.list().size(), 2u);
}

TEST_P(BookCsvTest, AFileWithoutKnownColumnsImportsNothing)
{
    CsvImport r = importBookCsv(receivers, "foo,bar\n1,2\n");
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
    EXPECT_FALSE(importBookCsv(receivers, "").ok);
}

}
}
