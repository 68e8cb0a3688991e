#include "core/data/DbConnection.h"
#include "core/templates/TemplateFile.h"
#include "core/waybill/HistoryStore.h"
#include "support/RunCli.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <ctime>

namespace zentra {
namespace {

using test::runProgram;

class PrintListCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(cli({"init"}).exitCode, 0);
        Template t;
        t.imgWidth = "23";
        t.imgHeight = "12.7";
        TemplateItem it;
        it.id = 120; // receiver name
        it.right = 300;
        it.bottom = 30;
        t.items[20] = it;
        ASSERT_TRUE(saveTemplateFile(home + "/template/sf.ttp", t));
        ASSERT_TRUE(db.open(home + "/data/data.db"));
    }

    test::CliResult cli(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--home", home});
        return runProgram(ZENTRA_CLI, args, {"QT_QPA_PLATFORM=offscreen"});
    }

    std::int64_t add(const char *table, const char *tmpl, const char *receiver, const char *express,
                     const std::string &time = "2024-03-05 10:00:00")
    {
        EXPECT_EQ(db.execute(std::string("insert into ") + table +
                                 "(templateName, rname, expressNo, printTime, orderprice) values(?,?,?,?,12.5)",
                             {tmpl, receiver, express, time}),
                  1);
        return db.lastInsertId();
    }

    std::string ids(const char *table)
    {
        std::string out;
        for (const DbRow &r : db.query(std::string("select printId from ") + table + " order by printId"))
            out += r.text("printId") + " ";
        return out;
    }

    test::TempDir dir;
    std::string home = dir.file("shop");
    std::string pdf = dir.file("out.pdf");
    DbConnection db;
};

}

TEST_F(PrintListCommandsTest, ListsRowsAsJsonLinesInTheDialogsOrder)
{
    const auto a = add("printList", "sf", "Wang \"W\"", "E2");
    add("printList", "sf", "Li", "E1");
    auto r = cli({"print-list", "list"});
    ASSERT_EQ(r.exitCode, 0);
    const std::string second = r.out.substr(r.out.find('\n') + 1);
    EXPECT_EQ(r.out.rfind(
                  "{\"templateName\":\"sf\",\"rname\":\"Li\",\"sname\":\"\",\"orderNo\":\"\",\"expressNo\":\"E1\",", 0),
              0u)
        << r.out;
    EXPECT_NE(second.find("\"rname\":\"Wang \\\"W\\\"\""), std::string::npos) << r.out;
    EXPECT_NE(second.find("\"orderprice\":\"12.5\",\"postfee\":\"\""), std::string::npos);
    EXPECT_NE(second.find("\"printId\":\"" + std::to_string(a) + "\""), std::string::npos);
    EXPECT_NE(second.find("\"sself4\":\"\"}"), std::string::npos);

    r = cli({"print-list", "list", "--search", "wang"});
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1);
    EXPECT_EQ(cli({"print-list", "list", "--search", "nobody"}).out, "");
}

TEST_F(PrintListCommandsTest, EditsAndDeletesRowsByPrintId)
{
    const auto a = add("printList", "sf", "A", "1"), b = add("printList", "sf", "B", "2");
    EXPECT_EQ(cli({"print-list", "set-express", std::to_string(a), "SF'9"}).exitCode, 0);
    EXPECT_EQ(db.query("select expressNo from printList where printId = ?", {static_cast<long long>(a)})[0].at(0),
              "SF'9");
    EXPECT_EQ(cli({"print-list", "set-express", "999", "x"}).exitCode, 1);

    auto r = cli({"print-list", "delete", std::to_string(a), "999"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "1\n");
    EXPECT_EQ(ids("printList"), std::to_string(b) + " ");

    const auto h = add("printHistory", "sf", "H", "3");
    EXPECT_EQ(cli({"history", "delete", std::to_string(h)}).out, "1\n");
    EXPECT_EQ(ids("printHistory"), "");
}

TEST_F(PrintListCommandsTest, PrintsTheAskedRowsAndMovesOnlyThePrintedOnes)
{
    const auto a = add("printList", "sf", "Wang", "E1");
    const auto b = add("printList", "sf", "Li", "E2");
    const auto c = add("printList", "missing", "Zhao", "E3");
    const auto d = add("printList", "sf", "Sun", "E4");

    auto r = cli({"print-list", "--pdf", pdf, "--ids", std::to_string(d) + "," + std::to_string(b), "--keep"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "2 pages\n");
    EXPECT_EQ(ids("printHistory"), "");

    // The row without a template is not printed, so it stays in the list.
    r = cli({"print-list", "--pdf", pdf, "--ids", std::to_string(a) + "," + std::to_string(c)});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "1 page\n");
    EXPECT_EQ(ids("printList"), std::to_string(b) + " " + std::to_string(c) + " " + std::to_string(d) + " ");
    EXPECT_EQ(ids("printHistory"), std::to_string(a) + " ");

    // An id not in the list prints nothing.
    r = cli({"print-list", "--pdf", pdf, "--ids", std::to_string(a)});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");

    r = cli({"print-list", "--pdf", pdf});
    EXPECT_EQ(r.out, "2 pages\n");
    EXPECT_EQ(ids("printList"), std::to_string(c) + " ");

    for (const auto &bad : std::vector<std::vector<std::string>>{{"print-list", "--pdf", pdf, "--ids", ""},
                                                                 {"print-list", "--pdf", pdf, "--ids", "1,,2"},
                                                                 {"print-list", "--pdf", pdf, "--ids", "x"},
                                                                 {"print-list", "delete"},
                                                                 {"print-list", "delete", "0"},
                                                                 {"print-list", "set-express", "1"},
                                                                 {"history", "list", "--from", "2024-03-05"},
                                                                 {"history", "list", "--to"}})
        EXPECT_EQ(cli(bad).exitCode, 2) << bad.back();
}

TEST_F(PrintListCommandsTest, HistoryListsThePeriodByReceiverWithExclusiveBounds)
{
    add("printHistory", "sf", "Wang", "1", "2024-03-05 10:00:00");
    add("printHistory", "sf", "Li", "2", "2024-03-05 11:00:00");
    add("printHistory", "sf", "Zhao", "3", "2024-03-05 12:00:00");
    add("printHistory", "sf", "Wangwu", "4", "2024-03-06 12:00:00");
    auto r = cli({"history", "list", "--from", "2024-03-05 10:00:00", "--to", "2024-03-06 12:00:00"});
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 2);
    EXPECT_LT(r.out.find("\"Li\""), r.out.find("\"Zhao\""));
    EXPECT_EQ(r.out.find("\"Wang\""), std::string::npos);

    r = cli({"history", "list", "--from", "2024-01-01 00:00:00", "--to", "2025-01-01 00:00:00", "--search", "WANG"});
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 2);
    EXPECT_LT(r.out.find("\"Wang\""), r.out.find("\"Wangwu\""));

    // By default this month up to the end of today: a row printed now is in,
    // last year's is not.
    add("printHistory", "sf", "Today", "5", timeText(std::time(nullptr) - 1));
    r = cli({"history", "list"});
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << r.out;
    EXPECT_NE(r.out.find("\"Today\""), std::string::npos);
}

}
