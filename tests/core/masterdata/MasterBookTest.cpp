#include "core/config/DataFolder.h"
#include "core/data/DbConnection.h"
#include "core/data/Schema.h"
#include "core/masterdata/MasterBook.h"
#include "core/masterdata/Regions.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace zentra {
namespace {

using Mode = MasterBook::Mode;

class MasterBookTest : public test::FolderEngineTest {
protected:
    static BookEntry person(const std::string &name, const std::string &mobile, const std::string &address,
                            const std::string &p = "r")
    {
        return {{p + "name", name}, {p + "mobile", mobile}, {p + "address", address}};
    }
    std::vector<std::string> names(const DbRows &rows, const std::string &column = "rname")
    {
        std::vector<std::string> out;
        for (const DbRow &r : rows)
            out.push_back(r.text(column));
        return out;
    }

    MasterBook receivers{folder.databasePath(), receiverBook()};
    MasterBook senders{folder.databasePath(), senderBook()};
    MasterBook goods{folder.databasePath(), cargoBook()};
};

// A large batch reads the book once instead of looking each entry up: it
// must find the same entries a small batch finds, ASCII case ignored, and an
// entry given twice is updated, not stored twice.
TEST_P(MasterBookTest, ALargeBatchFindsWhatASmallOneFinds)
{
    for (const std::size_t filler : {std::size_t(0), std::size_t(300)}) {
        SCOPED_TRACE(filler ? "large batch" : "small batch");
        DbConnection db;
        ASSERT_TRUE(db.open(folder.databasePath()));
        ASSERT_GE(db.execute("delete from receiver"), 0);
        BookEntry known = person("甲", "1", "Main Road 1");
        known["rcompany"] = "甲公司";
        ASSERT_TRUE(receivers.save(known, Mode::Add).ok());

        std::vector<BookEntry> batch;
        BookEntry again = person("甲二", "1", "MAIN road 1"); // the known entry, another case
        batch.push_back(again);
        batch.push_back(person("乙", "2", "Side Street"));
        BookEntry twice = person("乙", "2", "side street");
        twice["rnote"] = "第二次";
        batch.push_back(twice);
        for (std::size_t i = 0; i < filler; ++i)
            batch.push_back(person("丙" + std::to_string(i), "3" + std::to_string(i), "c"));
        const MasterBook::Upsert u = receivers.upsertMany(batch);
        ASSERT_TRUE(u.result.ok()) << u.result.message;
        EXPECT_EQ(u.inserted, static_cast<int>(1 + filler));
        EXPECT_EQ(u.updated, 2);

        const auto first = receivers.find(person("", "1", "main road 1"));
        ASSERT_TRUE(first);
        EXPECT_EQ(first->text("rname"), "甲二");
        EXPECT_EQ(first->text("rcompany"), "甲公司"); // kept from the stored entry
        const auto second = receivers.find(person("", "2", "SIDE STREET"));
        ASSERT_TRUE(second);
        EXPECT_EQ(second->text("rnote"), "第二次");
        EXPECT_EQ(db.query("select count(*) from receiver where rmobile = '2'")[0].at(0), "1");
    }
}

TEST_P(MasterBookTest, IdentityIsMobileAndAddress)
{
    BookResult first = receivers.save(person("张三", "13800000000", "北京路1号"), Mode::Add);
    ASSERT_TRUE(first.ok()) << first.message;
    EXPECT_TRUE(first.inserted);
    EXPECT_GT(first.id, 0);

    BookResult again = receivers.save(person("李四", "13800000000", "北京路1号"), Mode::Add);
    EXPECT_EQ(again.status, BookResult::Status::Refused);
    EXPECT_EQ(again.message, "收件人手机号码和地址重复!");
    EXPECT_EQ(senders.save(person("李四", "1", "a", "s"), Mode::Add).ok(), true);
    EXPECT_EQ(senders.save(person("王五", "1", "a", "s"), Mode::Add).message, "发件人手机号码和地址重复!");

    EXPECT_TRUE(receivers.save(person("张三", "13800000000", "上海路2号"), Mode::Add).ok());
    EXPECT_TRUE(receivers.save(person("张三", "13900000000", "北京路1号"), Mode::Add).ok());
    EXPECT_EQ(receivers.list().size(), 3u);
    EXPECT_EQ(senders.list().size(), 1u);
}

TEST_P(MasterBookTest, RequiredFieldsAreCheckedInOrder)
{
    const std::pair<BookEntry, const char *> cases[] = {
        {person("", "", ""), "请输入收件人姓名!"},
        {person("张三", "", ""), "请输入手机号码!"},
        {person("张三", "1", ""), "请输入收件人地址!"},
    };
    for (const auto &[entry, message] : cases) {
        BookResult r = receivers.save(entry, Mode::Add);
        EXPECT_EQ(r.status, BookResult::Status::Refused);
        EXPECT_EQ(r.message, message);
    }
    EXPECT_EQ(senders.save(person("张三", "", "", "s"), Mode::Add).message, "请输入发件人手机号码!");
    EXPECT_EQ(goods.save({{"cname", "茶"}}, Mode::Add).message, "请输入货品简称!");
    EXPECT_EQ(goods.save({{"cshort", "茶"}}, Mode::Add).message, "请输入货品名称!");
    EXPECT_TRUE(receivers.list().empty());
}

TEST_P(MasterBookTest, AnEditKeepsIdentityCounterAndDateOfEntry)
{
    BookEntry e = person("张三", "138", "北京路1号");
    e["rnote"] = "老客户";
    ASSERT_TRUE(receivers.save(e, Mode::Add).ok());
    ASSERT_TRUE(receivers.save(person("别人", "139", "别处"), Mode::Add).ok());
    {
        DbConnection db;
        ASSERT_TRUE(db.open(folder.databasePath()));
        db.execute("update receiver set rdate='2020-01-02 03:04:05' where rmobile='138'");
    }
    auto before = receivers.find(e);
    ASSERT_TRUE(before);

    BookEntry edit = e;
    edit["rname"] = "张三丰";
    edit["rnote"] = "";
    edit["rclass"] = "VIP";
    BookResult r = receivers.save(edit, Mode::Edit);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.changed, 1);
    EXPECT_FALSE(r.inserted);

    auto after = receivers.find(e);
    ASSERT_TRUE(after);
    EXPECT_EQ(after->text("rID"), before->text("rID"));
    EXPECT_EQ(after->text("rdate"), "2020-01-02 03:04:05");
    EXPECT_EQ(after->text("rname"), "张三丰");
    EXPECT_EQ(after->text("rnamePY"), "zsf");
    EXPECT_EQ(after->text("rnote"), "");
    EXPECT_EQ(receivers.find(person("", "139", "别处"))->text("rname"), "别人");

    // An edit whose identity is unknown adds the entry, as the panel does.
    BookResult added = receivers.save(person("新人", "140", "新址"), Mode::Edit);
    EXPECT_TRUE(added.inserted);
    EXPECT_EQ(receivers.list().size(), 3u);
}

TEST_P(MasterBookTest, SearchCoversEveryColumnAndTakesTextLiterally)
{
    BookEntry a = person("张三", "13800000000", "北京路1号");
    a["rself3"] = "100%_真\\的";
    a["rnote"] = "O'Brien \"引号\" 😀";
    ASSERT_TRUE(receivers.save(a, Mode::Add).ok());
    ASSERT_TRUE(receivers.save(person("李四", "13900000000", "100X真的"), Mode::Add).ok());

    EXPECT_EQ(names(receivers.search("zs")), std::vector<std::string>{"张三"});
    EXPECT_EQ(names(receivers.search("ZS")), std::vector<std::string>{"张三"});
    EXPECT_EQ(names(receivers.search("")).size(), 2u);
    EXPECT_EQ(names(receivers.search("%_")), std::vector<std::string>{"张三"});
    EXPECT_EQ(names(receivers.search("0%")), std::vector<std::string>{"张三"});
    EXPECT_EQ(names(receivers.search("\\")), std::vector<std::string>{"张三"});
    EXPECT_EQ(names(receivers.search("😀")), std::vector<std::string>{"张三"});
    EXPECT_EQ(names(receivers.search("O'Brien \"引号\"")), std::vector<std::string>{"张三"});
    EXPECT_EQ(names(receivers.search(MasterBook::now().substr(0, 10))).size(), 2u); // by date of entry

    auto stored = receivers.find(a);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->text("rnote"), "O'Brien \"引号\" 😀");
    EXPECT_EQ(stored->text("rself3"), "100%_真\\的");
}

TEST_P(MasterBookTest, ListsAreInGbkOrderSoCommonNamesComeInPinyinOrder)
{
    for (const char *n : {"张三", "李四", "王五", "安然", "Zoe", "赵六", "陈七"})
        ASSERT_TRUE(receivers.save(person(n, n, "址"), Mode::Add).ok());
    EXPECT_EQ(names(receivers.list()),
              (std::vector<std::string>{"Zoe", "安然", "陈七", "李四", "王五", "张三", "赵六"}));
    EXPECT_EQ(names(receivers.search("")), names(receivers.list()));
}

TEST_P(MasterBookTest, TheIdListFollowsTheListAndFetchesItsPages)
{
    // Equal names fall back to the counter, and a class filter keeps the order.
    for (const char *n : {"张三", "李四", "张三", "Zoe", "安然", "李四"})
        ASSERT_TRUE(receivers.save(person(n, std::string(n) + std::to_string(rand()), "址"), Mode::Add).ok());
    bool ok = false;
    const std::vector<std::int64_t> ids = receivers.listIds({}, &ok);
    ASSERT_TRUE(ok);
    std::vector<std::int64_t> listed;
    for (const DbRow &r : receivers.list())
        listed.push_back(r.integer("rID"));
    EXPECT_EQ(ids, listed);
    EXPECT_TRUE(receivers.listIds("没有的类别").empty());

    // A page is fetched by its ids whatever their order; gone ids are left out.
    DbRows page = receivers.entriesWithIds({ids[4], ids[1], 999999});
    ASSERT_TRUE(page.ok);
    ASSERT_EQ(page.size(), 2u);
    std::vector<std::int64_t> got{page[0].integer("rID"), page[1].integer("rID")};
    std::sort(got.begin(), got.end());
    std::vector<std::int64_t> want{ids[4], ids[1]};
    std::sort(want.begin(), want.end());
    EXPECT_EQ(got, want);
    EXPECT_TRUE(receivers.entriesWithIds({}).empty());
}

TEST_P(MasterBookTest, NamesWrittenByOtherProgramsAreListedInTheirPlace)
{
    for (const char *n : {"张三", "王五"})
        ASSERT_TRUE(receivers.save(person(n, n, "址"), Mode::Add).ok());
    {
        // As a plain SQLite shell or the server's console writes them:
        // without the sort key the program keeps beside each name.
        DbConnection db;
        ASSERT_TRUE(db.open(folder.databasePath()));
        ASSERT_EQ(db.execute("insert into receiver(rname, rmobile, raddress) values('安然', 'a', '址')"), 1)
            << db.lastError();
        ASSERT_EQ(db.execute("update receiver set rname = '赵六' where rmobile = '王五'"), 1) << db.lastError();
    }
    EXPECT_EQ(names(receivers.list()), (std::vector<std::string>{"安然", "张三", "赵六"}));
    EXPECT_EQ(names(receivers.search("址")), (std::vector<std::string>{"安然", "张三", "赵六"}));
    bool ok = false;
    EXPECT_EQ(receivers.listIds({}, &ok).size(), 3u);
    EXPECT_TRUE(ok);
    if (!onServer()) {
        // The list comes from the key's index, not from sorting.
        DbConnection db;
        ASSERT_TRUE(db.open(folder.databasePath()));
        DbRows plan = db.query("explain query plan select rID from receiver order by rnameKey asc, rID asc");
        ASSERT_FALSE(plan.empty());
        EXPECT_NE(plan[0].text("detail").find("receiver_nameKey"), std::string::npos) << plan[0].text("detail");
    }
}

TEST_P(MasterBookTest, ClassRules)
{
    EXPECT_EQ(receivers.classes(), std::vector<std::string>{kAllClasses});
    ASSERT_TRUE(receivers.addClass("批发").ok());
    EXPECT_EQ(receivers.addClass("批发").message, "该用户类别已经存在");
    EXPECT_EQ(goods.addClass(kAllClasses).message, "该货品类别已经存在");
    EXPECT_EQ(receivers.addClass("").changed, 0);

    EXPECT_EQ(receivers.renameClass(kAllClasses, "x").message, "全部类别无法修改");
    EXPECT_EQ(receivers.deleteClass(kAllClasses).message, "全部类别无法删除");
    EXPECT_EQ(receivers.renameClass("批发", kAllClasses).message, "该用户类别已经存在");

    BookEntry member = person("张三", "1", "a");
    member["rclass"] = "批发";
    ASSERT_TRUE(receivers.save(member, Mode::Add).ok());
    ASSERT_TRUE(receivers.save(person("李四", "2", "b"), Mode::Add).ok());
    EXPECT_EQ(names(receivers.list("批发")), std::vector<std::string>{"张三"});
    EXPECT_EQ(receivers.list(kAllClasses).size(), 2u);

    // Renaming or deleting a class leaves its members' class text alone.
    ASSERT_EQ(receivers.renameClass("批发", "零售").changed, 1);
    EXPECT_EQ(receivers.find(member)->text("rclass"), "批发");
    ASSERT_EQ(receivers.deleteClass("零售").changed, 1);
    EXPECT_EQ(receivers.classes(), std::vector<std::string>{kAllClasses});
    EXPECT_EQ(receivers.find(member)->text("rclass"), "批发");
    EXPECT_TRUE(receivers.list("零售").empty());
    EXPECT_EQ(receivers.list(kAllClasses).size(), 2u);
    EXPECT_EQ(senders.classes(), std::vector<std::string>{kAllClasses}); // books keep their own classes
}

TEST_P(MasterBookTest, AllClassesComeFirstAndTheOthersInGbkOrder)
{
    // By their bytes digits and Latin letters sort before "_": the lists
    // would open on "1组".
    for (const char *name : {"张三组", "VIP会员", "北京", "A类", "1组"})
        ASSERT_TRUE(receivers.addClass(name).ok()) << name;
    const std::vector<std::string> expected{kAllClasses, "1组", "A类", "VIP会员", "北京", "张三组"};
    EXPECT_EQ(receivers.classes(), expected);

    // Also a table that lost the row (an older database) lists it first.
    {
        DbConnection db;
        ASSERT_TRUE(db.open(folder.databasePath()));
        ASSERT_EQ(db.execute("delete from receiverClass where className=?", {kAllClasses}), 1);
    }
    EXPECT_EQ(receivers.classes(), expected);
}

TEST_P(MasterBookTest, EveryWriteOfAnEntryAddsItsClassWhenTheTableLacksIt)
{
    auto classes = [](const MasterBook &b) { return b.classes(); };
    BookEntry a = person("甲", "1", "a");
    a["rclass"] = "批发";
    ASSERT_TRUE(receivers.save(a, Mode::Add).ok());
    BookEntry edited = a;
    edited["rclass"] = "零售";
    ASSERT_TRUE(receivers.save(edited, Mode::Edit).ok());
    BookEntry imported = person("乙", "2", "b");
    imported["rclass"] = "导入";
    ASSERT_TRUE(receivers.upsertMany({imported}).result.ok());
    const auto b = receivers.save(person("丙", "3", "c"), Mode::Add);
    ASSERT_TRUE(receivers.setClassById({b.id}, "VIP").ok());
    ASSERT_TRUE(goods.save({{"cname", "红茶"}, {"cshort", "茶"}, {"cclass", "饮品"}}, Mode::Add).ok());
    ASSERT_TRUE(goods.setClassByName({"红茶"}, "茶叶").ok());
    // The class is added once, and "_全部类别_" or no class adds nothing.
    BookEntry plain = person("丁", "4", "d");
    plain["rclass"] = kAllClasses;
    ASSERT_TRUE(receivers.save(plain, Mode::Add).ok());
    ASSERT_TRUE(receivers.save(person("戊", "5", "e"), Mode::Add).ok());
    EXPECT_EQ(receivers.save(a, Mode::Add).message, "收件人手机号码和地址重复!");
    EXPECT_EQ(classes(receivers), (std::vector<std::string>{kAllClasses, "VIP", "导入", "零售", "批发"}));
    EXPECT_EQ(classes(goods), (std::vector<std::string>{kAllClasses, "茶叶", "饮品"}));
    EXPECT_EQ(classes(senders), std::vector<std::string>{kAllClasses});

    // The class and the entry are one change: when the class cannot be
    // added, the entry is not saved either.
    {
        DbConnection db;
        ASSERT_TRUE(db.open(folder.databasePath()));
        ASSERT_TRUE(test::refuseWhen(db, "receiverClass", "insert", "1 = 1")) << db.lastError();
    }
    BookEntry refused = person("己", "6", "f");
    refused["rclass"] = "新类";
    EXPECT_EQ(receivers.save(refused, Mode::Add).message, "refused");
    EXPECT_FALSE(receivers.find(refused));
}

TEST_P(MasterBookTest, BatchClassChangeIsAllOrNothing)
{
    auto a = receivers.save(person("甲", "1", "a"), Mode::Add);
    auto b = receivers.save(person("乙", "2", "b"), Mode::Add);
    auto c = receivers.save(person("丙", "3", "c"), Mode::Add);
    BookResult r = receivers.setClassById({a.id, c.id}, "VIP");
    EXPECT_EQ(r.changed, 2);
    EXPECT_EQ(names(receivers.list("VIP")), (std::vector<std::string>{"丙", "甲"}));
    EXPECT_EQ(receivers.setClassById({}, "VIP").changed, 0);
    EXPECT_EQ(receivers.setClassById({b.id}, "").changed, 0); // no class chosen: nothing

    ASSERT_TRUE(goods.save({{"cname", "红茶"}, {"cshort", "茶"}}, Mode::Add).ok());
    ASSERT_TRUE(goods.save({{"cname", "绿茶"}, {"cshort", "茶"}}, Mode::Add).ok());
    EXPECT_EQ(goods.setClassByName({"红茶", "绿茶", "没有"}, "饮品").changed, 2);
    EXPECT_EQ(goods.list("饮品").size(), 2u);

    // A failing statement undoes the rows before it.
    {
        DbConnection db;
        ASSERT_TRUE(db.open(folder.databasePath()));
        ASSERT_TRUE(test::refuseWhen(db, "receiver", "update of rclass", "new.rID = " + std::to_string(c.id)))
            << db.lastError();
    }
    BookResult failed = receivers.setClassById({b.id, c.id}, "批发");
    EXPECT_EQ(failed.status, BookResult::Status::Failed);
    EXPECT_EQ(failed.message, "refused");
    EXPECT_TRUE(receivers.list("批发").empty());
}

TEST_P(MasterBookTest, BatchDeleteSaysExactlyWhichEntriesWentAndUndoesAFailure)
{
    for (const char *m : {"1", "2", "3"})
        ASSERT_TRUE(receivers.save(person("人", m, "址"), Mode::Add).ok());
    auto del = receivers.removeMany({person("", "1", "址"), person("", "9", "址"), person("", "3", "址")});
    ASSERT_TRUE(del.result.ok());
    EXPECT_EQ(del.result.changed, 2);
    EXPECT_EQ(del.deleted, (std::vector<bool>{true, false, true}));
    EXPECT_EQ(receivers.list().size(), 1u);

    ASSERT_TRUE(receivers.save(person("人", "4", "址"), Mode::Add).ok());
    {
        DbConnection db;
        ASSERT_TRUE(db.open(folder.databasePath()));
        ASSERT_TRUE(test::refuseWhen(db, "receiver", "delete", "old.rmobile = '2'")) << db.lastError();
    }
    auto failed = receivers.removeMany({person("", "4", "址"), person("", "2", "址")});
    EXPECT_EQ(failed.result.status, BookResult::Status::Failed);
    EXPECT_EQ(failed.deleted, (std::vector<bool>{false, false}));
    EXPECT_EQ(receivers.list().size(), 2u);
    EXPECT_EQ(receivers.remove(person("", "4", "址")).changed, 1);
}

TEST_P(MasterBookTest, GoodsNamesAreUniqueAndFiguresWithoutANumberAreZero)
{
    BookEntry tea{{"cname", "龙井茶"}, {"cshort", "龙井"}, {"cweight", "1.5"},
                  {"ccurNum", "abc"},  {"cpriceOut", ""},  {"cpriceIn", "-2.25"}};
    ASSERT_TRUE(goods.save(tea, Mode::Add).ok());
    EXPECT_EQ(goods.save({{"cname", "龙井茶"}, {"cshort", "x"}}, Mode::Add).message, "货品名称重复!");
    auto row = goods.find({{"cname", "龙井茶"}});
    ASSERT_TRUE(row);
    EXPECT_EQ(row->text("cweight"), "1.5");
    EXPECT_EQ(row->text("ccurNum"), "0");
    EXPECT_EQ(row->text("cpriceOut"), "0");
    EXPECT_EQ(row->text("cpriceIn"), "-2.25");
    EXPECT_EQ(row->text("cshortPY"), "lj");
    EXPECT_EQ(goods.search("lj").size(), 1u);
    EXPECT_EQ(goods.search("1.5").size(), 1u); // figures are matched as text

    BookEntry edit = tea;
    edit["cshort"] = "西湖龙井";
    edit["cweight"] = "2";
    ASSERT_EQ(goods.save(edit, Mode::Edit).changed, 1);
    row = goods.find({{"cname", "龙井茶"}});
    EXPECT_EQ(row->text("cshortPY"), "xhlj");
    EXPECT_EQ(row->text("cweight"), "2");
    EXPECT_EQ(goods.list().size(), 1u);
}

TEST_P(MasterBookTest, RegionsCascadeByCode)
{
    Regions regions(folder.databasePath());
    auto provinces = regions.provinces();
    ASSERT_FALSE(provinces.empty());
    EXPECT_EQ(provinces.front().name, "北京市");
    const std::int64_t zj = regions.provinceId("浙江省");
    ASSERT_NE(zj, 0);
    auto cities = regions.cities(zj);
    ASSERT_FALSE(cities.empty());
    EXPECT_EQ(cities.front().name, "杭州市");
    EXPECT_EQ(regions.cityId("杭州市"), cities.front().id);
    EXPECT_FALSE(regions.districts(cities.front().id).empty());
    EXPECT_TRUE(regions.cities(0).empty());
    EXPECT_TRUE(regions.districts(0).empty());
    EXPECT_EQ(regions.provinceId("没有的省"), 0);
}

ZENTRA_ON_BOTH_ENGINES(MasterBookTest);

}
}
