#include "core/update/Md5.h"
#include "core/update/UpdateRules.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <map>

namespace zentra {
namespace {

TEST(Md5Test, DigestsOfTheReferenceSuite)
{
    const std::pair<std::string, const char *> cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto &[text, digest] : cases)
        EXPECT_EQ(md5Hex(text), digest) << text;
}

TEST(Md5Test, PiecesAcrossBlockAndPaddingBoundariesGiveTheSameDigest)
{
    for (std::size_t length : {55u, 56u, 63u, 64u, 65u, 119u, 120u, 1000u}) {
        std::string data(length, '\0');
        for (std::size_t i = 0; i < length; ++i)
            data[i] = static_cast<char>(i * 7 + 3);
        Md5 pieces;
        for (std::size_t at = 0; at < length; at += 13)
            pieces.add(std::string_view(data).substr(at, 13));
        EXPECT_EQ(pieces.hexDigest(), md5Hex(data)) << length;
    }
}

TEST(Md5Test, FileDigestIsEmptyForWhatCannotBeRead)
{
    test::TempDir dir;
    test::spit(dir.file("a.bin"), "abc");
    EXPECT_EQ(fileDigest(dir.file("a.bin")), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(fileDigest(dir.file("missing")), "");
    EXPECT_EQ(fileDigest(dir.path()), "");
}

TEST(VersionTest, OnlyTheFirstTwelveBytesUpToANulCount)
{
    struct Case {
        std::string local, server;
        bool same;
    };
    const Case cases[] = {
        {"1.0.0.0", "1.0.0.0", true},
        {"1.0.0.0", "1.0.0.1", false},
        {"1.0.0.1", "1.0.0.0", false}, // older on the server still differs
        {"1.0.0.0", "1.0.0.0\r\n", false},
        {"123456789012", "123456789012 and more", true},
        {"12345678901", "123456789012", false},
        {std::string("1.0\0xx", 6), std::string("1.0\0yy", 6), true},
        {"", "", true},
        {"", "1", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(sameVersion(c.local, c.server), c.same) << c.local << " / " << c.server;
}

TEST(FileListTest, LinesSplitAtTheFirstBarAndNeedALineFeed)
{
    const auto files = parseFileList("aaa|zentra\r\n"
                                     "bbb|help\\index.html\r\n"
                                     "\r\n"
                                     "ccc|odd|name\n"
                                     "nobar\r\n"
                                     "ddd|cut off");
    ASSERT_EQ(files.size(), 4u);
    EXPECT_EQ(files[0].digest, "aaa");
    EXPECT_EQ(files[0].path, "zentra");
    EXPECT_EQ(files[1].path, "help\\index.html");
    EXPECT_EQ(files[2].digest, "ccc");
    EXPECT_EQ(files[2].path, "odd|name");
    EXPECT_EQ(files[3].digest, "nobar");
    EXPECT_EQ(files[3].path, "");
    EXPECT_TRUE(parseFileList("").empty());
    EXPECT_TRUE(parseFileList("abc|x").empty());
}

TEST(FileListTest, PathsThatCouldLeaveTheFolderAreRefused)
{
    const std::pair<const char *, const char *> cases[] = {
        {"zentra", "zentra"},
        {"help\\index.html", "help/index.html"},
        {"a\\b/c.txt", "a/b/c.txt"},
        {".\\lib\\x.so", "lib/x.so"},
        {"a\\\\b", "a/b"},
        {"..x\\y..", "..x/y.."},
        {"", nullptr},
        {"/etc/passwd", nullptr},
        {"\\x", nullptr},
        {"\\\\server\\share\\x", nullptr},
        {"C:\\x", nullptr},
        {"C:x", nullptr},
        {"..\\..\\x", nullptr},
        {"a\\..\\..\\x", nullptr},
        {"a/../b", nullptr},
        {"..", nullptr},
        {".", nullptr},
        {"a\\", nullptr},
        {"a/.", nullptr},
    };
    for (const auto &[listed, expected] : cases) {
        const auto relative = safeRelativePath(listed);
        if (expected)
            EXPECT_EQ(relative.value_or("(refused)"), expected) << listed;
        else
            EXPECT_FALSE(relative) << listed << " -> " << *relative;
    }
    EXPECT_FALSE(safeRelativePath(std::string("a\0b", 3)));
}

TEST(FileListTest, PlanFetchesChangedAndMissingFilesInListOrder)
{
    const std::map<std::string, std::string> local = {{"zentra", "d1"}, {"lib/a.so", "old"}};
    auto digestOf = [&](const std::string &relative) {
        auto it = local.find(relative);
        return it == local.end() ? std::string() : it->second;
    };
    const auto plan = planFetch(parseFileList("d1|zentra\r\nnew|lib\\a.so\r\nd3|share\\b\\c.txt\r\n"), digestOf);
    EXPECT_TRUE(plan.refusedPath.empty());
    ASSERT_EQ(plan.files.size(), 2u);
    EXPECT_EQ(plan.files[0].relative, "lib/a.so");
    EXPECT_EQ(plan.files[0].digest, "new");
    EXPECT_EQ(plan.files[1].relative, "share/b/c.txt");

    // A listed empty digest never matches a missing file's empty digest.
    EXPECT_EQ(planFetch(parseFileList("|missing\r\n"), digestOf).files.size(), 1u);
}

TEST(FileListTest, OneUnsafePathRefusesTheWholePlan)
{
    auto none = [](const std::string &) { return std::string(); };
    const auto plan = planFetch(parseFileList("d1|zentra\r\nd2|..\\..\\x\r\nd3|y\r\n"), none);
    EXPECT_EQ(plan.refusedPath, "..\\..\\x");
    EXPECT_TRUE(plan.files.empty());
    EXPECT_EQ(planFetch(parseFileList("d1\r\n"), none).refusedPath, "|");
}

TEST(FileListTest, AFileListedTwiceIsPlannedOnceAndTwoDigestsRefuseThePlan)
{
    int asked = 0;
    auto none = [&](const std::string &) {
        ++asked;
        return std::string();
    };
    auto plan = planFetch(parseFileList("d1|bin\\a\r\nd2|b\r\nd1|bin/a\r\nd1|.\\bin\\\\a\r\nd2|b\r\n"), none);
    ASSERT_EQ(plan.files.size(), 2u);
    EXPECT_EQ(plan.files[0].relative, "bin/a");
    EXPECT_EQ(plan.files[1].relative, "b");
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(plan.conflictingPath.empty());

    plan = planFetch(parseFileList("d1|bin\\a\r\nd2|b\r\nd9|bin/a\r\n"), none);
    EXPECT_EQ(plan.conflictingPath, "bin/a");
    EXPECT_TRUE(plan.files.empty());
}

TEST(FileListTest, TheReleaseFileCapComesFromConfigInMegabytes)
{
    const std::pair<const char *, std::uint64_t> cases[] = {
        {"", 512}, {"1", 1},   {" 64 ", 64},     {"2048", 2048}, {"0", 512},         {"-5", 512},
        {"1.5", 512}, {"abc", 512}, {"12MB", 512}, {"9999999", 9999999}, {"99999999", 512},
    };
    for (const auto &[configured, mb] : cases)
        EXPECT_EQ(maxReleaseFileBytes(configured), mb * 1024 * 1024) << configured;
}

TEST(FileListTest, OverallPercentWithoutFilesIsDone)
{
    EXPECT_EQ(overallPercent(0, 0), 100);
    EXPECT_EQ(overallPercent(1, 3), 33);
    EXPECT_EQ(overallPercent(3, 3), 100);
}

}
}
