// Several stations on one shared PostgreSQL database, each a real zentra-cli
// process with a data folder of its own; and the copy of a database between
// the embedded file and the server. Skipped without a test server
// (ZENTRA_TEST_PG_URL).
#include "core/config/ConfigFile.h"
#include "core/data/DbConnection.h"
#include "core/data/Schema.h"
#include "core/templates/TemplateFile.h"
#include "core/waybill/PrintStore.h"
#include "support/RunCli.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <map>
#include <set>
#include <sstream>

namespace zentra {
namespace {

using test::runProgram;

TemplateItem textItem(int field, int top, std::string text)
{
    TemplateItem it;
    it.id = 100 + field;
    it.left = 40;
    it.top = top;
    it.right = 600;
    it.bottom = top + 30;
    it.text = std::move(text);
    return it;
}

std::vector<std::string> lines(const std::string &text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

class SharedDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (test::testServerUrl().empty())
            GTEST_SKIP() << "no PostgreSQL server given (set ZENTRA_TEST_PG_URL to run the stations' tests)";
        ASSERT_TRUE(server.ok()) << server.error();
    }

    // zentra-cli of station `station` (its own data folder) on the shared
    // database.
    test::CliResult cli(const std::string &station, std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--home", dir.file(station), "--database", server.url()});
        return runProgram(ZENTRA_CLI, args, {"QT_QPA_PLATFORM=offscreen"});
    }

    // A template whose page shows the order number (field 40) and the
    // receiver's name (field 20).
    std::string templateFile(const std::string &name)
    {
        Template t;
        t.imgWidth = "23";
        t.imgHeight = "12.7";
        t.items[40] = textItem(40, 40, "");
        t.items[20] = textItem(20, 100, "");
        const std::string path = dir.file(name + ".ttp");
        EXPECT_TRUE(saveTemplateFile(path, t));
        return path;
    }

    void addRows(const std::string &templateName, int count)
    {
        DbConnection db;
        ASSERT_TRUE(db.open(server.url()));
        Transaction tx(db);
        for (int i = 0; i < count; ++i) {
            WaybillRow row;
            row.cell(WaybillRow::TemplateName) = templateName;
            row.cell(WaybillRow::OrderNo) = "N" + std::to_string(10000 + i);
            row.cell(WaybillRow::ReceiverName) = "R" + std::to_string(i);
            row.cell(WaybillRow::PrintTime) = "2024-05-01 10:00:00";
            ASSERT_GT(insertWaybillRow(db, WaybillTable::PrintList, row), 0) << db.lastError();
        }
        ASSERT_TRUE(tx.commit());
    }

    static std::string pdfText(const std::string &pdf)
    {
        return runProgram("/usr/bin/pdftotext", {pdf, "-"}).out;
    }

    test::TempDir dir;
    test::ServerDatabase server;
};

TEST_F(SharedDatabaseTest, TwoStationsPrintingOneListPrintEveryRowOnce)
{
    ASSERT_EQ(cli("a", {"init"}).exitCode, 0);
    ASSERT_EQ(cli("a", {"template", "import", templateFile("顺丰")}).exitCode, 0);
    ASSERT_EQ(cli("b", {"init"}).exitCode, 0);
    addRows("顺丰", 200);

    const std::string pdfA = dir.file("a.pdf"), pdfB = dir.file("b.pdf");
    auto a = std::async(std::launch::async, [&] { return cli("a", {"print-list", "--pdf", pdfA}); });
    auto b = std::async(std::launch::async, [&] { return cli("b", {"print-list", "--pdf", pdfB}); });
    const test::CliResult ra = a.get(), rb = b.get();
    ASSERT_EQ(ra.exitCode, 0) << ra.out;
    ASSERT_EQ(rb.exitCode, 0) << rb.out;
    const int pagesA = std::atoi(ra.out.c_str()), pagesB = std::atoi(rb.out.c_str());
    EXPECT_EQ(pagesA + pagesB, 200) << ra.out << rb.out;

    // Every order number on paper exactly once, in one of the two files.
    std::string text = (pagesA ? pdfText(pdfA) : std::string()) + (pagesB ? pdfText(pdfB) : std::string());
    for (int i = 0; i < 200; ++i) {
        const std::string number = "N" + std::to_string(10000 + i);
        std::size_t found = 0;
        for (std::size_t at = text.find(number); at != std::string::npos; at = text.find(number, at + 1))
            ++found;
        EXPECT_EQ(found, 1u) << number;
    }
    // And every row in the history exactly once, none left in the list.
    DbConnection db;
    ASSERT_TRUE(db.open(server.url()));
    EXPECT_EQ(db.query("select count(*) from printList")[0].at(0), "0");
    EXPECT_EQ(db.query("select count(*), count(distinct orderNo) from printHistory")[0].at(0), "200");
    EXPECT_EQ(db.query("select count(distinct orderNo) from printHistory")[0].at(0), "200");
    EXPECT_EQ(db.query("select count(*) from printClaim")[0].at(0), "0");
}

TEST_F(SharedDatabaseTest, RowsClaimedByAnotherStationAreShownAndPassedOver)
{
    ASSERT_EQ(cli("a", {"init"}).exitCode, 0);
    ASSERT_EQ(cli("a", {"template", "import", templateFile("圆通")}).exitCode, 0);
    addRows("圆通", 3);
    // Another station is printing the first row (its claim runs for ten minutes).
    DbConnection db;
    ASSERT_TRUE(db.open(server.url()));
    const std::string first = db.query("select min(printId) from printList")[0].at(0);
    ASSERT_EQ(db.execute("insert into printClaim(printId, claimStation, claimJob, claimExpires) "
                         "values(?, 'packing-2', 'job', " + db.dialect().epochNow() + " + 600)",
                         {std::stoll(first)}),
              1);
    const auto listed = cli("a", {"print-list", "list"});
    ASSERT_EQ(listed.exitCode, 0);
    const auto rows = lines(listed.out);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_NE(rows[0].find("\"claimedBy\":\"packing-2\""), std::string::npos) << rows[0];
    EXPECT_EQ(rows[1].find("claimedBy"), std::string::npos) << rows[1];

    // Asked for by id, the claimed row is refused and nothing prints.
    const std::string pdf = dir.file("a.pdf");
    const auto refused = cli("a", {"print-list", "--pdf", pdf, "--ids", first});
    EXPECT_EQ(refused.exitCode, 1);
    // The whole list prints the two others and leaves the claimed one.
    const auto printed = cli("a", {"print-list", "--pdf", pdf});
    ASSERT_EQ(printed.exitCode, 0);
    EXPECT_EQ(printed.out, "2 pages\n");
    EXPECT_EQ(db.query("select printId from printList")[0].at(0), first);

    // A claim that ran out (a station that died) no longer holds the row.
    ASSERT_EQ(db.execute("update printClaim set claimExpires = " + db.dialect().epochNow() + " - 1"), 1);
    EXPECT_EQ(cli("a", {"print-list", "--pdf", pdf}).out, "1 page\n");
    EXPECT_EQ(db.query("select count(*) from printList")[0].at(0), "0");
}

TEST_F(SharedDatabaseTest, TwoStationsTakingOrderNumbersNeverShareOne)
{
    ASSERT_EQ(cli("a", {"init"}).exitCode, 0);
    ASSERT_EQ(cli("a", {"order-number", "set", "100000"}).exitCode, 0);
    ASSERT_EQ(cli("b", {"order-number", "show"}).out, "100000\n");

    auto a = std::async(std::launch::async, [&] { return cli("a", {"order-number", "take", "1000"}); });
    auto b = std::async(std::launch::async, [&] { return cli("b", {"order-number", "take", "1000"}); });
    const test::CliResult ra = a.get(), rb = b.get();
    ASSERT_EQ(ra.exitCode, 0);
    ASSERT_EQ(rb.exitCode, 0);
    std::vector<std::string> all = lines(ra.out);
    const std::vector<std::string> fromB = lines(rb.out);
    EXPECT_EQ(all.size(), 1000u);
    EXPECT_EQ(fromB.size(), 1000u);
    all.insert(all.end(), fromB.begin(), fromB.end());
    const std::set<std::string> distinct(all.begin(), all.end());
    EXPECT_EQ(distinct.size(), 2000u);
    EXPECT_EQ(*distinct.begin(), "100000");
    EXPECT_EQ(*distinct.rbegin(), "101999");
    EXPECT_EQ(cli("a", {"order-number", "show"}).out, "102000\n");
}

// A waybill printed at once (not through the print list) takes the shop's
// number too: two stations never print the same one.
TEST_F(SharedDatabaseTest, WaybillsPrintedAtOnceTakeTheShopsOrderNumbers)
{
    for (const char *station : {"a", "b"}) {
        ASSERT_EQ(cli(station, {"init"}).exitCode, 0);
        ASSERT_EQ(cli(station, {"config", "set", "Order", "AutoOrderNum", "1"}).exitCode, 0);
    }
    ASSERT_EQ(cli("a", {"template", "import", templateFile("中通")}).exitCode, 0);
    ASSERT_EQ(cli("a", {"order-number", "set", "500"}).exitCode, 0);
    std::string printed;
    int run = 0;
    for (const char *station : {"a", "b", "a"}) {
        const std::string pdf = dir.file(station + std::to_string(++run) + ".pdf");
        const auto r = cli(station, {"compose", "--template", "中通", "--print", "--pdf", pdf});
        ASSERT_EQ(r.exitCode, 0) << r.out;
        printed += pdfText(pdf);
    }
    for (const char *number : {"500", "501", "502"})
        EXPECT_NE(printed.find(number), std::string::npos) << number << " in " << printed;
    EXPECT_EQ(cli("b", {"order-number", "show"}).out, "503\n");
    // --json only shows the next number.
    EXPECT_NE(cli("b", {"compose", "--template", "中通", "--json"}).out.find("503"), std::string::npos);
    EXPECT_EQ(cli("a", {"order-number", "show"}).out, "503\n");
}

TEST_F(SharedDatabaseTest, ATemplateAddedAtOneStationPrintsARowAtTheOther)
{
    ASSERT_EQ(cli("a", {"init"}).exitCode, 0);
    ASSERT_EQ(cli("b", {"init"}).exitCode, 0);
    // Station a makes the template and a print-list row on it.
    ASSERT_EQ(cli("a", {"template", "import", templateFile("中通")}).exitCode, 0);
    ASSERT_EQ(cli("a", {"receiver", "add", "name=张三", "mobile=13800000000", "address=某路1号"})
                  .exitCode,
              0);
    const auto added = cli("a", {"compose", "--template", "中通", "--receiver", "1", "--order-no", "Z-42", "--add"});
    ASSERT_EQ(added.exitCode, 0) << added.out;
    // Station b never had it, and prints the row.
    const std::string pdf = dir.file("b.pdf");
    const auto printed = cli("b", {"print-list", "--pdf", pdf});
    ASSERT_EQ(printed.exitCode, 0) << printed.out;
    EXPECT_EQ(printed.out, "1 page\n");
    const std::string text = pdfText(pdf);
    EXPECT_NE(text.find("Z-42"), std::string::npos) << text;
    EXPECT_NE(text.find("张三"), std::string::npos) << text;
    // Its file is byte for byte the one imported at station a.
    EXPECT_EQ(test::slurp(dir.file("b/template/中通.ttp")), test::slurp(dir.file("中通.ttp")));

    // Deleted at station b, it goes from station a's folder at its next start.
    ASSERT_EQ(cli("b", {"template", "delete", "中通"}).exitCode, 0);
    EXPECT_EQ(cli("a", {"template", "list"}).out.find("中通"), std::string::npos);
}

// The rows of every table of the database at `location`, each table's rows
// sorted into one text.
std::map<std::string, std::string> everyRow(const std::string &location)
{
    DbConnection db;
    EXPECT_TRUE(db.open(location)) << db.lastError();
    std::map<std::string, std::string> all;
    for (const SchemaTable &t : schemaTables()) {
        if (t.name == "dbInfo")
            continue;
        std::vector<std::string> rows;
        for (const DbRow &r : db.query("select * from " + t.name)) {
            std::string line;
            for (std::size_t i = 0; i < r.size(); ++i)
                line += r.at(i) + "\x1f";
            rows.push_back(line);
        }
        std::sort(rows.begin(), rows.end());
        for (const std::string &r : rows)
            all[t.name] += r + "\n";
    }
    return all;
}

void expectSameRows(const std::map<std::string, std::string> &a, const std::map<std::string, std::string> &b,
                    const std::string &except = {})
{
    for (const SchemaTable &t : schemaTables()) {
        if (t.name == "dbInfo" || t.name == except)
            continue;
        const auto x = a.find(t.name), y = b.find(t.name);
        const std::string rowsA = x == a.end() ? std::string() : x->second;
        const std::string rowsB = y == b.end() ? std::string() : y->second;
        EXPECT_TRUE(rowsA == rowsB) << t.name << ":\n" << rowsA.substr(0, 600) << "\nvs\n" << rowsB.substr(0, 600);
    }
}

TEST_F(SharedDatabaseTest, ACopyToTheServerAndBackGivesTheSameRows)
{
    // A station's embedded database with something in every book and list.
    const std::string home = dir.file("solo");
    auto solo = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"--home", home});
        return runProgram(ZENTRA_CLI, args, {"QT_QPA_PLATFORM=offscreen"});
    };
    ASSERT_EQ(solo({"init"}).exitCode, 0);
    ASSERT_EQ(solo({"template", "import", templateFile("韵达")}).exitCode, 0);
    ASSERT_EQ(solo({"receiver", "add", "name=O'Brien 张", "mobile=1", "address=100%_路"}).exitCode, 0);
    ASSERT_EQ(solo({"sender", "add", "name=李四", "mobile=2", "address=店"}).exitCode, 0);
    ASSERT_EQ(solo({"cargo", "add", "name=茶叶", "short=茶", "weight=0.1"}).exitCode, 0);
    ASSERT_EQ(solo({"freight", "set", "韵达", "广东省", "12", "6.5", "99"}).exitCode, 0);
    ASSERT_EQ(solo({"compose", "--template", "韵达", "--receiver", "1", "--sender", "1", "--goods", "茶叶", "--add"})
                  .exitCode,
              0);
    ASSERT_EQ(solo({"compose", "--template", "韵达", "--receiver", "1", "--add"}).exitCode, 0);
    ASSERT_EQ(solo({"print-list", "--pdf", dir.file("p.pdf"), "--ids", "1"}).exitCode, 0);
    ASSERT_EQ(solo({"user", "add", "zhang", "pw"}).exitCode, 0);
    const std::string file = home + "/data/data.db";

    const auto up = solo({"db", "copy", "--to", server.url()});
    ASSERT_EQ(up.exitCode, 0) << up.out;
    EXPECT_NE(up.out.find("printHistory\t1\t1\n"), std::string::npos) << up.out;
    // The station now works on the server, and its template went along.
    EXPECT_EQ(ConfigFile(home + "/config.ini").readText("Database", "url"), server.url());
    EXPECT_EQ(solo({"db", "info"}).out.substr(0, 11), "postgresql\t");
    EXPECT_NE(cli("other", {"template", "list"}).out.find("韵达"), std::string::npos);

    const std::string back = dir.file("back.db");
    const auto down = solo({"db", "copy", "--to", back});
    ASSERT_EQ(down.exitCode, 0) << down.out;
    // Every row of every table came back as it was; the templates now
    // travel in the database too.
    const auto original = everyRow(file);
    expectSameRows(everyRow(server.url()), original, "templateFile");
    const auto copied = everyRow(back);
    expectSameRows(copied, original, "templateFile");
    EXPECT_EQ(copied.at("templateFile"), everyRow(server.url()).at("templateFile"));
    EXPECT_NE(copied.at("templateFile").find("韵达"), std::string::npos);

    // A copy never goes into a database that holds data, nor over a file.
    EXPECT_EQ(solo({"--database", file, "db", "copy", "--to", server.url()}).exitCode, 1);
    EXPECT_EQ(solo({"--database", file, "db", "copy", "--to", back}).exitCode, 1);
}

TEST_F(SharedDatabaseTest, ACopyThatFailsLeavesItsTargetMarkedUnusable)
{
    const std::string home = dir.file("solo");
    ASSERT_EQ(runProgram(ZENTRA_CLI, {"--home", home, "init"}).exitCode, 0);
    {
        // A row the server refuses: text that is not UTF-8, which SQLite
        // keeps as it was given.
        DbConnection db;
        ASSERT_TRUE(db.open(home + "/data/data.db"));
        ASSERT_EQ(db.execute("insert into receiver(rname) values(?)", {std::string("bad\xff")}), 1);
    }
    const auto r = runProgram(ZENTRA_CLI, {"--home", home, "db", "copy", "--to", server.url()});
    EXPECT_EQ(r.exitCode, 1);
    // The station keeps its file, and no program takes the half copy for a database.
    EXPECT_EQ(ConfigFile(home + "/config.ini").readText("Database", "url"), "");
    const auto refused = cli("other", {"init"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.out.find("不可用"), std::string::npos) << refused.out;
}

}
}
