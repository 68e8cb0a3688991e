#include "core/config/DataFolder.h"
#include "core/data/Schema.h"
#include "core/templates/TemplateFile.h"
#include "core/templates/TemplateLibrary.h"
#include "core/templates/TemplateSync.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zentra {
namespace {

TEST(TemplateBytes, Base64KeepsEveryByte)
{
    const std::string cases[] = {"", "a", "ab", "abc", "abcd", std::string("\0\xff\x80\xb0\xa1<x/>", 9),
                                 "<?xml version=\"1.0\" encoding=\"gb2312\"?>\r\n"};
    for (const std::string &bytes : cases) {
        std::string back;
        ASSERT_TRUE(decodeBase64Strict(encodeBase64(bytes), back)) << bytes;
        EXPECT_EQ(back, bytes);
    }
    std::string out;
    for (const char *bad : {"abc", "a===", "ab=c", "ab\ncd==", "!!!!"})
        EXPECT_FALSE(decodeBase64Strict(bad, out)) << bad;
}

void setTime(const std::string &path, time_t seconds)
{
    struct timespec t[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), t, 0), 0);
}

// Two stations on one server database, each with its template/ folder.
class TemplateSyncTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (test::testServerUrl().empty())
            GTEST_SKIP() << "no PostgreSQL server given (set ZENTRA_TEST_PG_URL to run the server's cases)";
        ASSERT_TRUE(server.ok()) << server.error();
        a.setDatabase(server.url());
        b.setDatabase(server.url());
        std::string error;
        ASSERT_TRUE(initDataFolder(a, &error)) << error;
        ASSERT_TRUE(initDataFolder(b, &error)) << error;
    }
    std::string file(const DataFolder &f, const std::string &name) { return f.templateDir() + name + ".ttp"; }

    test::TempDir dir;
    test::ServerDatabase server;
    DataFolder a{dir.file("a")}, b{dir.file("b")};
};

TEST_F(TemplateSyncTest, TheFoldersFollowTheNewerSideAndDeletes)
{
    const std::string gbkBytes = "<?xml version=\"1.0\" encoding=\"gb2312\"?>\r\n<t name=\"\xcb\xb3\xb7\xe1\"/>\r\n";
    test::spit(file(a, "顺丰"), gbkBytes);
    setTime(file(a, "顺丰"), 1700000000);
    TemplateSyncResult r = syncTemplates(a);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.uploaded, 1);
    r = syncTemplates(b);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.written, 1);
    EXPECT_EQ(test::slurp(file(b, "顺丰")), gbkBytes); // byte for byte
    // In step: nothing more moves either way.
    r = syncTemplates(a);
    EXPECT_EQ(r.uploaded + r.written + r.removed, 0);
    r = syncTemplates(b);
    EXPECT_EQ(r.uploaded + r.written + r.removed, 0);

    // Changed at b later: a gets the change; an older change at a loses.
    test::spit(file(b, "顺丰"), "new");
    setTime(file(b, "顺丰"), 1700000500);
    test::spit(file(a, "顺丰"), "older");
    setTime(file(a, "顺丰"), 1700000100);
    EXPECT_EQ(syncTemplates(b).uploaded, 1);
    EXPECT_EQ(syncTemplates(a).written, 1);
    EXPECT_EQ(test::slurp(file(a, "顺丰")), "new");

    // Deleted at a (with its freight rates): gone from b at its next sync.
    const BatchResult deleted = deleteTemplates(a, {"顺丰"});
    ASSERT_TRUE(deleted.ok) << deleted.error;
    r = syncTemplates(b);
    EXPECT_EQ(r.removed, 1);
    EXPECT_FALSE(fileExists(file(b, "顺丰")));
    // Made again at b afterwards, it comes back everywhere.
    test::spit(file(b, "顺丰"), "again");
    EXPECT_EQ(syncTemplates(b).uploaded, 1);
    EXPECT_EQ(syncTemplates(a).written, 1);
    EXPECT_EQ(test::slurp(file(a, "顺丰")), "again");
}

TEST_F(TemplateSyncTest, ImportAtOneStationReachesTheOther)
{
    const std::string source = dir.file("中通.ttp");
    // A template our reader accepts: one written by our writer.
    Template t;
    t.imgWidth = "23";
    t.imgHeight = "12.7";
    ASSERT_TRUE(saveTemplateFile(source, t));
    const BatchResult imported = importTemplates(a, {source});
    ASSERT_TRUE(imported.ok) << imported.error;
    EXPECT_EQ(listTemplateFiles(b), std::vector<std::string>{});
    ASSERT_TRUE(syncTemplates(b).ok);
    EXPECT_EQ(listTemplateFiles(b), std::vector<std::string>{"中通.ttp"});
    EXPECT_EQ(test::slurp(file(b, "中通")), test::slurp(source));
}

}
}
