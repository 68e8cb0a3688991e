#include "core/config/ConfigFile.h"
#include "core/config/DataFolder.h"
#include "core/data/DbConnection.h"
#include "core/data/Schema.h"
#include "core/recognition/RecognizedEntry.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

namespace zentra {
namespace {

RecognizedAddress zhangSan()
{
    RecognizedAddress a;
    a.name = "张三";
    a.mobile = "13800138000";
    a.phone = "029-88887777";
    a.post = "710065";
    a.province = "陕西省";
    a.city = "西安市";
    a.district = "雁塔区";
    a.address = "高新路3号附近";
    a.company = "西安移动营业厅";
    return a;
}

class SaveRecognizedTest : public test::FolderEngineTest {
protected:
    DbRows rows(const std::string &table)
    {
        DbConnection db;
        EXPECT_TRUE(db.open(folder.databasePath()));
        return db.query("select * from " + table);
    }
};

ZENTRA_ON_BOTH_ENGINES(SaveRecognizedTest);

TEST_P(SaveRecognizedTest, RequiredFieldsAreCheckedInOrderAndNothingIsWritten)
{
    const struct {
        std::string name, mobile, address, message;
    } cases[] = {
        {"", "", "", "请输入姓名!"},
        {"  ", "13800138000", "高新路3号", "请输入姓名!"}, // blanks are no name
        {"张三", "", "", "请输入手机号码!"},
        {"张三", "13800138000", "", "请输入地址!"},
    };
    for (const auto &c : cases) {
        RecognizedAddress a;
        a.name = c.name;
        a.mobile = c.mobile;
        a.address = c.address;
        BookResult r = saveRecognized(folder.databasePath(), RecognizedBook::Receiver, a);
        EXPECT_EQ(r.status, BookResult::Status::Refused) << c.message;
        EXPECT_EQ(r.message, c.message);
    }
    EXPECT_TRUE(rows("receiver").empty());
}

TEST_P(SaveRecognizedTest, SavingTheSamePersonTwiceUpdatesTheOneEntry)
{
    BookResult first = saveRecognized(folder.databasePath(), RecognizedBook::Receiver, zhangSan());
    ASSERT_TRUE(first.ok()) << first.message;
    EXPECT_TRUE(first.inserted);
    EXPECT_EQ(first.message, "该用户已保存至收件人");

    DbRows saved = rows("receiver");
    ASSERT_EQ(saved.size(), 1u);
    const DbRow &row = saved[0];
    const std::pair<const char *, const char *> columns[] = {{"rname", "张三"},
                                                             {"rmobile", "13800138000"},
                                                             {"rphone", "029-88887777"},
                                                             {"rpost", "710065"},
                                                             {"rprovince", "陕西省"},
                                                             {"rcity", "西安市"},
                                                             {"rdistrict", "雁塔区"},
                                                             {"raddress", "高新路3号附近"},
                                                             {"rcompany", "西安移动营业厅"},
                                                             {"rclass", "地址识别"},
                                                             {"rnamePY", "zs"}};
    for (const auto &[column, value] : columns)
        EXPECT_EQ(row.text(column), value) << column;
    EXPECT_EQ(row.text("rdate").size(), 19u);
    const std::int64_t id = row.integer("rID");

    // Something typed into the book by hand since must survive the update.
    {
        DbConnection db;
        ASSERT_TRUE(db.open(folder.databasePath()));
        ASSERT_EQ(db.execute("update receiver set rnote=?, rdate=?", {"老客户", "2020-01-01 08:00:00"}), 1);
    }
    RecognizedAddress again = zhangSan();
    again.name = " 李四 ";
    again.company.clear();
    again.address = "高新路3号附近 "; // the same identity once trimmed
    BookResult second = saveRecognized(folder.databasePath(), RecognizedBook::Receiver, again);
    ASSERT_TRUE(second.ok()) << second.message;
    EXPECT_FALSE(second.inserted);
    EXPECT_EQ(second.message, "该用户已更新至收件人");

    saved = rows("receiver");
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].text("rname"), "李四");
    EXPECT_EQ(saved[0].text("rnamePY"), "ls");
    EXPECT_EQ(saved[0].text("rcompany"), "");
    EXPECT_EQ(saved[0].text("rnote"), "老客户");
    EXPECT_EQ(saved[0].text("rdate"), "2020-01-01 08:00:00");
    EXPECT_EQ(saved[0].integer("rID"), id);
}

TEST_P(SaveRecognizedTest, SendersGoToTheirOwnBook)
{
    RecognizedAddress a = zhangSan();
    a.name = "O'Brien"; // a quote is data, not statement text
    EXPECT_EQ(saveRecognized(folder.databasePath(), RecognizedBook::Sender, a).message, "该用户已保存至发件人");
    EXPECT_EQ(saveRecognized(folder.databasePath(), RecognizedBook::Sender, a).message, "该用户已更新至发件人");
    a.address = "另一个地址1号";
    EXPECT_EQ(saveRecognized(folder.databasePath(), RecognizedBook::Sender, a).message, "该用户已保存至发件人");

    DbRows senders = rows("sender");
    ASSERT_EQ(senders.size(), 2u);
    EXPECT_EQ(senders[0].text("sname"), "O'Brien");
    EXPECT_EQ(senders[0].text("sclass"), "地址识别");
    EXPECT_TRUE(rows("receiver").empty());
    // The recognition's class can be chosen in the sender book.
    EXPECT_EQ(MasterBook(folder.databasePath(), senderBook()).classes(),
              (std::vector<std::string>{kAllClasses, "地址识别"}));
}

TEST_P(SaveRecognizedTest, AMissingDatabaseIsAFailureNotASave)
{
    BookResult r = saveRecognized(dir.file("nowhere/data.db"), RecognizedBook::Receiver, zhangSan());
    EXPECT_EQ(r.status, BookResult::Status::Failed);
    EXPECT_EQ(r.message.find("该用户"), std::string::npos);
}

TEST(RecognizeMethodSetting, DefaultsToTheSmartMethodAndReadsBackWhatWasStored)
{
    test::TempDir dir;
    ConfigFile config(dir.file("config.ini"));
    EXPECT_EQ(configuredRecognizeMethod(config), RecognizeMethod::Smart);
    ASSERT_TRUE(storeRecognizeMethod(config, RecognizeMethod::Standard));
    EXPECT_EQ(config.readText("System", "recognizeMethod"), "0");
    EXPECT_EQ(configuredRecognizeMethod(config), RecognizeMethod::Standard);
    ASSERT_TRUE(storeRecognizeMethod(config, RecognizeMethod::Smart));
    EXPECT_EQ(configuredRecognizeMethod(config), RecognizeMethod::Smart);
    ASSERT_TRUE(config.writeText("System", "recognizeMethod", "7"));
    EXPECT_EQ(configuredRecognizeMethod(config), RecognizeMethod::Smart);
}

}
}
