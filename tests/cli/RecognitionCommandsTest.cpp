#include "core/config/ConfigFile.h"
#include "core/config/DataFolder.h"
#include "core/data/DbConnection.h"
#include "core/data/Schema.h"
#include "core/recognition/RecognizedEntry.h"
#include "support/RunCli.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using zentra::test::runProgram;

const std::vector<std::string> kHome = {"--home", "/nonexistent-zentra-home", "recognise"};

std::vector<std::string> args(std::vector<std::string> more)
{
    std::vector<std::string> a = kHome;
    a.insert(a.end(), more.begin(), more.end());
    return a;
}

TEST(RecogniseCommand, PrintsOneObjectWithAllNineKeys)
{
    auto r = runProgram(ZENTRA_CLI, args({"--method", "standard", "李四 \"x\""}));
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "{\"name\":\"李四\",\"mobile\":\"\",\"phone\":\"\",\"post\":\"\",\"province\":\"\","
                     "\"city\":\"\",\"district\":\"\",\"address\":\"\",\"company\":\"\"}\n");
    r = runProgram(ZENTRA_CLI, args({"王五13912345678雁塔区科技路10号"}));
    EXPECT_EQ(r.out, "{\"name\":\"王五\",\"mobile\":\"13912345678\",\"phone\":\"\",\"post\":\"\","
                     "\"province\":\"陕西省\",\"city\":\"西安市\",\"district\":\"雁塔区\","
                     "\"address\":\"科技路10号\",\"company\":\"\"}\n");
    EXPECT_EQ(runProgram(ZENTRA_CLI, args({"--method", "fuzzy", "x"})).exitCode, 2);
    EXPECT_EQ(runProgram(ZENTRA_CLI, args({"a", "b"})).exitCode, 2);
}

TEST(RecogniseCommand, ReadsOneTextPerLineFromStandardInput)
{
    std::string cmd = std::string(ZENTRA_CLI) +
                      " --home /nonexistent-zentra-home recognise --method smart <<'EOF'\n李四 13800138000\n\n"
                      "EOF\n";
    FILE *p = popen(cmd.c_str(), "r");
    ASSERT_NE(p, nullptr);
    std::string out;
    char buf[256];
    while (std::size_t n = fread(buf, 1, sizeof buf, p))
        out.append(buf, n);
    EXPECT_EQ(pclose(p), 0);
    EXPECT_EQ(out, "{\"name\":\"李四\",\"mobile\":\"13800138000\",\"phone\":\"\",\"post\":\"\",\"province\":\"\","
                   "\"city\":\"\",\"district\":\"\",\"address\":\"\",\"company\":\"\"}\n"
                   "{\"name\":\"\",\"mobile\":\"\",\"phone\":\"\",\"post\":\"\",\"province\":\"\",\"city\":\"\","
                   "\"district\":\"\",\"address\":\"\",\"company\":\"\"}\n");
}

TEST(RecogniseCommand, WithoutAMethodUsesTheConfiguredOne)
{
    zentra::test::TempDir home;
    const std::string text = "王五13912345678雁塔区科技路10号";
    auto nameOf = [&] {
        auto r = runProgram(ZENTRA_CLI, {"--home", home.path(), "recognise", text});
        EXPECT_EQ(r.exitCode, 0);
        return r.out.substr(0, r.out.find(','));
    };
    EXPECT_EQ(nameOf(), "{\"name\":\"王五\"");
    ASSERT_TRUE(
        zentra::storeRecognizeMethod(zentra::ConfigFile(home.file("config.ini")), zentra::RecognizeMethod::Standard));
    EXPECT_EQ(nameOf(), "{\"name\":\"\"");
}

TEST(RecogniseCommand, PlacesComeFromTheDataFoldersRegionTables)
{
    zentra::test::TempDir home;
    zentra::DataFolder folder(home.path());
    ASSERT_TRUE(zentra::initDataFolder(folder));
    {
        zentra::DbConnection db;
        ASSERT_TRUE(db.open(folder.databasePath()));
        ASSERT_EQ(db.execute("insert into area(areaID, area, father) values(?, ?, ?)",
                             {std::int64_t(610199), "浐灞生态区", "610100"}),
                  1);
    }
    auto r = runProgram(ZENTRA_CLI, {"--home", home.path(), "recognise", "--method", "smart",
                                     "赵六 13912345678 浐灞生态区欧亚大道1号"});
    EXPECT_EQ(r.out, "{\"name\":\"赵六\",\"mobile\":\"13912345678\",\"phone\":\"\",\"post\":\"\","
                     "\"province\":\"陕西省\",\"city\":\"西安市\",\"district\":\"浐灞生态区\","
                     "\"address\":\"欧亚大道1号\",\"company\":\"\"}\n");
}

}
