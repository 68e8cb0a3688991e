#include "core/update/FileInstaller.h"
#include "core/update/Md5.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace zentra {
namespace {

using test::slurp;
using test::spit;
namespace fs = std::filesystem;

int modeOf(const std::string &path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

// Everything in a folder, to show that nothing else was written there.
std::vector<std::string> listing(const std::string &root)
{
    std::vector<std::string> names;
    for (const auto &entry : fs::recursive_directory_iterator(root))
        names.push_back(fs::relative(entry.path(), root).string());
    std::sort(names.begin(), names.end());
    return names;
}

class FileInstallerTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string program = dir.file("program");
    void SetUp() override { ::mkdir(program.c_str(), 0755); }
};

TEST_F(FileInstallerTest, CommitReplacesFilesAndCreatesEveryFolderLevel)
{
    spit(program + "/zentra", "old");
    ::chmod((program + "/zentra").c_str(), 0750);
    FileInstaller installer(program);
    ASSERT_TRUE(installer.prepare("zentra", "new program"));
    ASSERT_TRUE(installer.prepare("share/help/deep/index.html", "<html>"));
    ASSERT_TRUE(installer.prepare("tool", "#!/bin/sh\n"));
    // Nothing is replaced before the commit.
    EXPECT_EQ(slurp(program + "/zentra"), "old");
    EXPECT_FALSE(fs::exists(program + "/share/help/deep/index.html"));
    ASSERT_TRUE(installer.commit());

    EXPECT_EQ(slurp(program + "/zentra"), "new program");
    EXPECT_EQ(modeOf(program + "/zentra"), 0750);
    EXPECT_EQ(slurp(program + "/share/help/deep/index.html"), "<html>");
    EXPECT_EQ(modeOf(program + "/share/help/deep/index.html"), 0644);
    EXPECT_EQ(modeOf(program + "/tool"), 0755);
    EXPECT_EQ(listing(program), (std::vector<std::string>{"share", "share/help", "share/help/deep",
                                                          "share/help/deep/index.html", "tool", "zentra"}));
}

TEST_F(FileInstallerTest, ARunningProgramsFileStaysReadableWhileReplaced)
{
    spit(program + "/zentra", "old");
    FILE *running = std::fopen((program + "/zentra").c_str(), "rb");
    ASSERT_TRUE(running);
    FileInstaller installer(program);
    ASSERT_TRUE(installer.prepare("zentra", "new"));
    ASSERT_TRUE(installer.commit());
    char buf[8] = {};
    EXPECT_EQ(std::fread(buf, 1, sizeof buf, running), 3u);
    EXPECT_STREQ(buf, "old");
    std::fclose(running);
    EXPECT_EQ(slurp(program + "/zentra"), "new");
}

TEST_F(FileInstallerTest, DiscardedOrUncommittedFilesLeaveTheOldOnes)
{
    spit(program + "/zentra", "old");
    {
        FileInstaller installer(program);
        ASSERT_TRUE(installer.prepare("zentra", "new"));
    }
    EXPECT_EQ(slurp(program + "/zentra"), "old");
    EXPECT_EQ(listing(program), std::vector<std::string>{"zentra"});
}

TEST_F(FileInstallerTest, AFolderLinkedOutsideIsRefused)
{
    const std::string outside = dir.file("outside");
    ::mkdir(outside.c_str(), 0755);
    ASSERT_EQ(::symlink(outside.c_str(), (program + "/lib").c_str()), 0);
    FileInstaller installer(program);
    std::string error;
    EXPECT_FALSE(installer.prepare("lib/x.so", "bad", &error));
    EXPECT_NE(error.find("outside"), std::string::npos) << error;
    EXPECT_FALSE(installer.prepare("lib/sub/x.so", "bad"));
    EXPECT_TRUE(fs::is_empty(outside));
    // A link that stays inside is fine.
    ::mkdir((program + "/real").c_str(), 0755);
    ASSERT_EQ(::symlink("real", (program + "/alias").c_str()), 0);
    EXPECT_TRUE(installer.prepare("alias/y", "ok"));
}

TEST_F(FileInstallerTest, StagedFilesGoWithTheirEmptyFolders)
{
    const std::string staging = dir.file("tmp");
    ::mkdir(staging.c_str(), 0700);
    spit(staging + "/Version.txt", "1.0");
    ASSERT_TRUE(stageFile(staging, "a/b/c.bin", "data"));
    ASSERT_TRUE(stageFile(staging, "a/d.bin", "more"));
    EXPECT_EQ(slurp(staging + "/a/b/c.bin"), "data");
    removeStaged(staging, "a/b/c.bin");
    EXPECT_EQ(listing(staging), (std::vector<std::string>{"Version.txt", "a", "a/d.bin"}));
    removeStaged(staging, "a/d.bin");
    EXPECT_EQ(listing(staging), std::vector<std::string>{"Version.txt"});
}

TEST_F(FileInstallerTest, StagingReplacesALinkInsteadOfWritingThroughIt)
{
    const std::string staging = dir.file("tmp");
    ::mkdir(staging.c_str(), 0700);
    spit(dir.file("victim"), "keep");
    ASSERT_EQ(::symlink(dir.file("victim").c_str(), (staging + "/x").c_str()), 0);
    ASSERT_TRUE(stageFile(staging, "x", "staged"));
    EXPECT_EQ(slurp(dir.file("victim")), "keep");
    EXPECT_EQ(slurp(staging + "/x"), "staged");
}

TEST_F(FileInstallerTest, AStagedDownloadIsKeptWholeOrNotAtAll)
{
    const std::string staging = dir.file("tmp");
    ::mkdir(staging.c_str(), 0700);
    spit(dir.file("victim"), "keep");
    ::mkdir((staging + "/bin").c_str(), 0700);
    ASSERT_EQ(::symlink(dir.file("victim").c_str(), (staging + "/bin/tool").c_str()), 0);
    {
        StagedDownload d;
        ASSERT_TRUE(d.open(staging, "bin/tool", 10));
        // The planted link is gone at once; nothing is written through it.
        EXPECT_FALSE(fs::is_symlink(staging + "/bin/tool"));
        EXPECT_EQ(d.append("12345"), StagedDownload::Append::Ok);
        EXPECT_EQ(d.append("678901"), StagedDownload::Append::TooLarge);
        EXPECT_EQ(d.append("67890"), StagedDownload::Append::Ok);
        EXPECT_EQ(d.append("x"), StagedDownload::Append::TooLarge);
        EXPECT_EQ(d.size(), 10u);
        EXPECT_EQ(d.digest(), md5Hex("1234567890"));
        EXPECT_FALSE(fs::exists(staging + "/bin/tool"));
        ASSERT_TRUE(d.keep());
    }
    EXPECT_EQ(slurp(staging + "/bin/tool"), "1234567890");
    EXPECT_EQ(slurp(dir.file("victim")), "keep");

    // Dropped, or never kept: neither the new bytes nor the old file stay.
    for (bool explicitly : {true, false}) {
        {
            StagedDownload d;
            ASSERT_TRUE(d.open(staging, "bin/tool", 100));
            EXPECT_EQ(d.append("partial"), StagedDownload::Append::Ok);
            if (explicitly)
                d.discard();
        }
        EXPECT_EQ(listing(staging), (std::vector<std::string>{"bin"}));
        spit(staging + "/bin/tool", "older");
    }
}

TEST_F(FileInstallerTest, APreparedFileFromStagingMustMatchItsDigest)
{
    const std::string staged = dir.file("staged");
    spit(staged, "#!/bin/sh\necho new\n");
    spit(program + "/keep", "old");
    FileInstaller installer(program);
    EXPECT_EQ(installer.prepareFile("keep", staged, md5Hex("something else")),
              FileInstaller::FromFile::DigestDiffers);
    EXPECT_EQ(installer.prepareFile("missing", dir.file("nothing"), md5Hex("")), FileInstaller::FromFile::Failed);
    EXPECT_EQ(listing(program), std::vector<std::string>{"keep"});
    ASSERT_EQ(installer.prepareFile("bin/run", staged, md5Hex("#!/bin/sh\necho new\n")),
              FileInstaller::FromFile::Ok);
    ASSERT_TRUE(installer.commit());
    EXPECT_EQ(slurp(program + "/bin/run"), "#!/bin/sh\necho new\n");
    EXPECT_EQ(modeOf(program + "/bin/run"), 0755);
    EXPECT_EQ(slurp(program + "/keep"), "old");
}

}
}
