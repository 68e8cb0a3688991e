#include "core/config/DataFolder.h"
#include "core/data/Schema.h"
#include "core/masterdata/BookCsv.h"
#include "core/text/Gbk.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

namespace zentra {
namespace {

class BookCsvTest : public test::FolderEngineTest {
protected:
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
    const std::string gbk = exportBookCsv(receiverBook(), receivers.list(), BookCsvEncoding::Gbk);
    // No byte-order mark, the header in GBK bytes: what older spreadsheet
    // programs read as Chinese.
    EXPECT_TRUE(gbk.starts_with(utf8ToGbk("姓名,类别,")));
    EXPECT_EQ(gbkToUtf8(gbk), exportBookCsv(receiverBook(), receivers.list()).substr(3));

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
    const std::string path = dir.file("in.csv");
    test::spit(path, csv);
    // The file is read first (bytes), then the entries are stored (entries).
    using Heard = std::pair<std::uint64_t, std::uint64_t>;
    std::vector<Heard> reading, storing;
    CsvImport r =
        importBookCsvFile(receivers, path, [&](BookImportStage stage, std::uint64_t done, std::uint64_t total) {
            EXPECT_TRUE(stage == BookImportStage::Reading ? storing.empty() : !reading.empty());
            (stage == BookImportStage::Reading ? reading : storing).emplace_back(done, total);
            return true;
        });
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.inserted, 1200);
    ASSERT_FALSE(reading.empty());
    EXPECT_EQ(reading.back(), (Heard{csv.size(), csv.size()}));
    ASSERT_FALSE(storing.empty());
    EXPECT_EQ(storing.front(), (Heard{0, 1200}));
    EXPECT_EQ(storing.back(), (Heard{1200, 1200}));

    test::TempDir other;
    DataFolder second{other.file("shop")};
    ASSERT_TRUE(initDataFolder(second));
    MasterBook copy(second.databasePath(), receiverBook());
    // Cancelled while storing, or while reading: nothing is written.
    for (const BookImportStage cancelIn : {BookImportStage::Storing, BookImportStage::Reading}) {
        r = importBookCsvFile(copy, path, [&](BookImportStage stage, std::uint64_t done, std::uint64_t) {
            return stage != cancelIn || done < 1000;
        });
        EXPECT_FALSE(r.ok);
        EXPECT_TRUE(r.cancelled);
        EXPECT_EQ(r.error, "导入已取消");
        EXPECT_TRUE(copy.list().empty());
    }
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
    EXPECT_EQ(r.skipped[2].reason, "引号不成对");
    EXPECT_EQ(r.records, 5);
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

// A spreadsheet takes a cell starting with = + - @, a tab or a CR as a
// formula: export marks it as text with a leading "'", import removes
// exactly that mark.
TEST_P(BookCsvTest, FormulaCellsAreMarkedOnExportAndTheRoundTripIsExact)
{
    struct Case {
        const char *value;
        const char *cell; // as the exported line holds it
    };
    const Case cases[] = {
        {"=HYPERLINK(\"http://x\",\"点我\")", "\"'=HYPERLINK(\"\"http://x\"\",\"\"点我\"\")\""},
        {"=cmd|' /C calc'!A0", "'=cmd|' /C calc'!A0"},
        {"+1+cmd|x", "'+1+cmd|x"},
        {"-2", "'-2"},
        {"@SUM(A1)", "'@SUM(A1)"},
        {"\tx", "'\tx"},
        {"\rx", "\"'\rx\""},
        {"'=already", "''=already"},
        {"''+twice", "'''+twice"},
        {"'plain", "'plain"},
        {"a=b", "a=b"},
    };
    int n = 0;
    for (const Case &c : cases) {
        const std::string mobile = std::to_string(++n);
        const BookEntry key{{"rmobile", mobile}, {"raddress", "地址"}};
        ASSERT_TRUE(receivers
                        .save({{"rname", "甲"}, {"rmobile", mobile}, {"raddress", "地址"}, {"rnote", c.value}},
                              MasterBook::Mode::Add)
                        .ok());
        const std::string csv = exportBookCsv(receiverBook(), receivers.list());
        EXPECT_NE(csv.find("," + std::string(c.cell) + ","), std::string::npos) << c.value;
        ASSERT_TRUE(receivers.remove(key).ok());

        const CsvImport r = importBookCsv(receivers, csv);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.inserted, 1);
        auto row = receivers.find(key);
        ASSERT_TRUE(row);
        EXPECT_EQ(row->text("rnote"), c.value);
        ASSERT_TRUE(receivers.remove(key).ok());
    }
}

TEST_P(BookCsvTest, TheTimeOfEntryInTheFileIsKeptWhenItIsATime)
{
    struct Case {
        const char *given;
        const char *kept; // empty: the time of the import
    };
    const Case cases[] = {
        {"2023-04-05 06:07:08", "2023-04-05 06:07:08"},
        {"2023/4/5 6:07", "2023-04-05 06:07:00"},
        {"2024-02-29", "2024-02-29 00:00:00"},
        {"2023-02-29 10:00:00", ""},
        {"2023-04-05 24:00:00", ""},
        {"yesterday", ""},
        {"", ""},
    };
    std::string csv = "姓名,手机,地址,收录日期\n";
    for (std::size_t i = 0; i < std::size(cases); ++i)
        csv += "名" + std::to_string(i) + "," + std::to_string(i) + ",路," + cases[i].given + "\n";
    // One entry exists already, with its own time of entry.
    ASSERT_TRUE(receivers.save({{"rname", "旧"}, {"rmobile", "0"}, {"raddress", "路"}}, MasterBook::Mode::Add).ok());
    const std::string before = MasterBook::now();
    const CsvImport r = importBookCsv(receivers, csv);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.inserted + r.updated, static_cast<int>(std::size(cases)));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        auto row = receivers.find({{"rmobile", std::to_string(i)}, {"raddress", "路"}});
        ASSERT_TRUE(row);
        if (*cases[i].kept)
            EXPECT_EQ(row->text("rdate"), cases[i].kept) << cases[i].given;
        else
            EXPECT_GE(row->text("rdate"), before) << cases[i].given;
    }
}

// The shape that once lost the rest of a file: the fourth of ten rows opens
// a quote that never closes. Nine are imported, the fourth is named.
TEST_P(BookCsvTest, AStrayQuoteCostsOneRowAndTheCountsAddUp)
{
    std::string csv = "姓名,手机,地址,备注\r\n";
    for (int i = 1; i <= 10; ++i)
        csv += "名" + std::to_string(i) + "," + std::to_string(i) + ",路" + (i == 4 ? ",\"请放门卫" : ",留言") + "\r\n";
    for (const std::string ends : {"\r\n", "\r", "\n"}) {
        test::TempDir other;
        DataFolder f{other.file("shop")};
        ASSERT_TRUE(initDataFolder(f));
        MasterBook book(f.databasePath(), receiverBook());
        std::string text = csv;
        for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += ends.size())
            text.replace(at, 2, ends);
        const CsvImport r = importBookCsv(book, text);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.inserted, 9);
        EXPECT_EQ(r.records, 10);
        ASSERT_EQ(r.skipped.size(), 1u);
        EXPECT_EQ(r.skipped[0].line, 5);
        EXPECT_EQ(r.skipped[0].reason, "引号不成对");
        EXPECT_EQ(book.list().size(), 9u);
    }
}

TEST_P(BookCsvTest, ExportsInGbkReadBackAndNeverReplaceTheDataFoldersFiles)
{
    const BookEntry key{{"rmobile", "1"}, {"raddress", "镕路😀"}};
    ASSERT_TRUE(
        receivers.save({{"rname", "张三"}, {"rmobile", "1"}, {"raddress", "镕路😀"}}, MasterBook::Mode::Add).ok());
    const std::string path = dir.file("out.csv");
    const BookExport gbk = exportBookCsvFile(receivers, folder, path, BookCsvEncoding::Gbk);
    ASSERT_TRUE(gbk.ok) << gbk.error;
    EXPECT_EQ(gbk.written, 1);
    EXPECT_TRUE(test::slurp(path).starts_with(utf8ToGbk("姓名,类别,")));
    ASSERT_TRUE(receivers.remove(key).ok());
    const CsvImport back = importBookCsvFile(receivers, path);
    ASSERT_TRUE(back.ok) << back.error;
    EXPECT_EQ(back.encoding, "GBK");
    EXPECT_TRUE(receivers.find(key));

    test::spit(folder.templateDir() + "t.ttp", "template");
    test::spit(folder.backupPath(), "backup");
    const std::string own[] = {folder.embeddedDatabasePath(),
                               folder.backupPath(),
                               folder.configPath(),
                               folder.path("data/../data/data.db"),
                               folder.templateDir() + "t.ttp",
                               folder.templateDir() + "new.ttp"};
    for (const std::string &p : own) {
        const std::string before = fileExists(p) ? test::slurp(p) : std::string();
        const BookExport r = exportBookCsvFile(receivers, folder, p);
        EXPECT_FALSE(r.ok) << p;
        EXPECT_NE(r.error.find("数据文件夹"), std::string::npos) << p;
        EXPECT_TRUE((fileExists(p) ? test::slurp(p) : std::string()) == before) << p;
    }
    // A character even GB18030 cannot write refuses the GBK export, not the UTF-8 one.
    ASSERT_TRUE(
        receivers.save({{"rname", "私\uE78D"}, {"rmobile", "2"}, {"raddress", "路"}}, MasterBook::Mode::Add).ok());
    const BookExport refused = exportBookCsvFile(receivers, folder, path, BookCsvEncoding::Gbk);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.error, "“私\uE78D”中有 GBK 无法写出的字符，请用 UTF-8 导出");
    EXPECT_TRUE(exportBookCsvFile(receivers, folder, path).ok);

    const CsvImport none = importBookCsvFile(receivers, dir.file("none.csv"));
    EXPECT_FALSE(none.ok);
    EXPECT_TRUE(none.unreadable);
}

}
}
