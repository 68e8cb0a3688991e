#include "core/update/Md5.h"
#include "support/RunCli.h"
#include "support/TempDir.h"
#include "support/LocalHttpServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <thread>

namespace zentra {
namespace {

using test::LocalHttpServer;
using test::slurp;
using test::spit;
namespace fs = std::filesystem;

const std::string kTitle = "Zentra在线更新系统...\n正在获取最新版本信息...\n获取最新版本信息成功！\n";
const std::string kOffer = kTitle + "当前版本需要在线升级!\n获取要更新的列表文件成功！\n";

class UpdaterBatchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::mkdir(home.c_str(), 0700);
        ::mkdir(program.c_str(), 0755);
        spit(home + "/Version.txt", "1.0.0.0");
        server.serve("/update/Version.txt", "1.0.0.1");
    }

    test::CliResult update(std::vector<std::string> extra = {})
    {
        std::vector<std::string> args = {"--batch", "--home", home,           "--dir",     program,
                                         "--base",  base(),   "--no-restart", "--timeout", "2000"};
        args.insert(args.end(), extra.begin(), extra.end());
        return test::runProgram(ZENTRA_UPDATE, args);
    }

    std::string base() const { return server.origin() + "/update/"; }

    // Puts a release file on the server and returns its file list line.
    std::string release(const std::string &listed, const std::string &urlPath, const std::string &content)
    {
        server.serve("/update/" + urlPath, content);
        return md5Hex(content) + "|" + listed + "\r\n";
    }

    test::TempDir dir;
    std::string home = dir.file("home");
    std::string program = dir.file("program");
    LocalHttpServer server;
};

TEST_F(UpdaterBatchTest, EqualFirstTwelveBytesFetchNothingMore)
{
    spit(home + "/Version.txt", "1.2.3.4-release-a");
    server.serve("/update/Version.txt", "1.2.3.4-releaseZZ\r\n");
    auto r = update();
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, kTitle + "当前已为最新版本，不需要升级!\n当前已为最新版本，不需要升级!\n");
    EXPECT_EQ(server.requests(), std::vector<std::string>{"/update/Version.txt"});
    // The staged version file is deleted, so the empty staging folder goes too.
    EXPECT_FALSE(fs::exists(home + "/tmp"));
}

TEST_F(UpdaterBatchTest, AnyOtherVersionOffersTheUpdate)
{
    const std::pair<const char *, const char *> cases[] = {
        {"1.0.0.0", "1.0.0.1"}, {"1.0.0.1", "1.0.0.0"}, {"1.0.0.0", "1.0.0.0\r\n"}, {nullptr, "1.0.0.0"}};
    for (const auto &[local, serverVersion] : cases) {
        if (local)
            spit(home + "/Version.txt", local);
        else
            fs::remove(home + "/Version.txt");
        server.serve("/update/Version.txt", serverVersion);
        server.serve("/update/FileList.txt", "");
        auto r = update();
        EXPECT_EQ(r.exitCode, 0) << serverVersion;
        EXPECT_EQ(r.out, kOffer + "本次更新需要下载0个文件！\n你已将软件升级为最新版本!\n")
            << (local ? local : "(none)") << " / " << serverVersion;
    }
}

TEST_F(UpdaterBatchTest, ChangedAndMissingFilesAreFetchedAndInstalled)
{
    spit(program + "/zentra", "same");
    spit(program + "/zentra-cli", "old cli");
    std::string list = release("zentra", "zentra", "same") + release("zentra-cli", "zentra-cli", "new cli") +
                       release("share\\help\\img\\logo.png", "share/help/img/logo.png", "png bytes") +
                       release("docs\\read me#1.txt", "docs/read%20me%231.txt", "escaped") +
                       "ffff|not taken without a line feed";
    server.serve("/update/FileList.txt", list);
    auto r = update();
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, kOffer + "本次更新需要下载3个文件！\n你已将软件升级为最新版本!\n");
    EXPECT_EQ(server.requests(),
              (std::vector<std::string>{"/update/Version.txt", "/update/FileList.txt", "/update/zentra-cli",
                                        "/update/share/help/img/logo.png", "/update/docs/read%20me%231.txt"}));
    EXPECT_EQ(slurp(program + "/zentra"), "same");
    EXPECT_EQ(slurp(program + "/zentra-cli"), "new cli");
    EXPECT_EQ(slurp(program + "/share/help/img/logo.png"), "png bytes");
    EXPECT_EQ(slurp(program + "/docs/read me#1.txt"), "escaped");
    // The two text files stay staged; the release files do not.
    EXPECT_EQ(slurp(home + "/tmp/Version.txt"), "1.0.0.1");
    EXPECT_TRUE(fs::exists(home + "/tmp/FileList.txt"));
    EXPECT_FALSE(fs::exists(home + "/tmp/share"));
    EXPECT_FALSE(fs::exists(home + "/tmp/zentra-cli"));
}

TEST_F(UpdaterBatchTest, AWrongDigestReplacesNothing)
{
    spit(program + "/a", "old a");
    spit(program + "/b", "old b");
    server.serve("/update/a", "new a");
    server.serve("/update/b", "tampered b");
    server.serve("/update/FileList.txt", md5Hex("new a") + "|a\r\n" + md5Hex("new b") + "|b\r\n");
    auto r = update();
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, kOffer + "本次更新需要下载2个文件！\nerror:" + base() + "b\n连接服务器失败！\n");
    // Not even the good file before it: no half-updated installation.
    EXPECT_EQ(slurp(program + "/a"), "old a");
    EXPECT_EQ(slurp(program + "/b"), "old b");
    EXPECT_FALSE(fs::exists(home + "/tmp/b"));
}

TEST_F(UpdaterBatchTest, AFileThatCannotBeInstalledKeepsTheOthersOld)
{
    spit(program + "/a", "old a");
    spit(program + "/zentra", "a file where the list wants a folder");
    server.serve("/update/FileList.txt", release("a", "a", "new a") + release("zentra\\x", "zentra/x", "x"));
    auto r = update();
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.starts_with(kOffer + "本次更新需要下载2个文件！\n" + program + "/zentra/x")) << r.out;
    EXPECT_TRUE(r.out.ends_with("\n升级失败！\n")) << r.out;
    EXPECT_EQ(slurp(program + "/a"), "old a");
    EXPECT_EQ(slurp(program + "/zentra"), "a file where the list wants a folder");
    EXPECT_EQ(std::distance(fs::directory_iterator(program), fs::directory_iterator()), 2);
}

TEST_F(UpdaterBatchTest, PathsLeavingTheProgramFolderAreRefusedBeforeAnyDownload)
{
    spit(dir.file("x"), "outside");
    for (const std::string bad : {"..\\..\\x", "../x", "/etc/x", "C:\\x"}) {
        server.serve("/update/FileList.txt", release("ok", "ok", "fine") + md5Hex("evil") + "|" + bad + "\r\n");
        auto r = update();
        EXPECT_EQ(r.exitCode, 1) << bad;
        EXPECT_EQ(r.out, kOffer + "不安全的文件路径：" + bad + "\n连接服务器失败！\n") << bad;
        EXPECT_EQ(server.requests().back(), "/update/FileList.txt");
        EXPECT_FALSE(fs::exists(program + "/ok"));
        EXPECT_EQ(slurp(dir.file("x")), "outside");
    }
}

TEST_F(UpdaterBatchTest, MissingOrBrokenAnswersFailToConnect)
{
    server.serve("/update/FileList.txt", release("a", "a", "content a"));
    struct Case {
        const char *path;
        int status;
        LocalHttpServer::Behaviour behaviour;
        bool retried; // a request that got no answer at all is sent again
    };
    const Case cases[] = {
        {"/update/Version.txt", 404, LocalHttpServer::Behaviour::Answer, false},
        {"/update/FileList.txt", 500, LocalHttpServer::Behaviour::Answer, false},
        {"/update/a", 404, LocalHttpServer::Behaviour::Answer, false},
        {"/update/Version.txt", 200, LocalHttpServer::Behaviour::Close, true},
        {"/update/a", 200, LocalHttpServer::Behaviour::Close, true},
    };
    for (const Case &c : cases) {
        LocalHttpServer broken;
        broken.serve("/update/Version.txt", "1.0.0.1");
        broken.serve("/update/FileList.txt", md5Hex("content a") + "|a\r\n");
        broken.serve("/update/a", "content a");
        broken.serve(c.path, "", c.status);
        broken.misbehave(c.path, c.behaviour);
        auto r = test::runProgram(ZENTRA_UPDATE, {"--batch", "--home", home, "--dir", program, "--base",
                                                  broken.origin() + "/update", "--no-restart"});
        EXPECT_EQ(r.exitCode, 1) << c.path;
        const std::string tail = "error:" + broken.origin() + c.path + "\n连接服务器失败！\n";
        EXPECT_TRUE(r.out.ends_with(tail)) << c.path << "\n" << r.out;
        const auto requests = broken.requests();
        // Qt's HTTP layer resends once on its own when a fresh connection is
        // dropped, so a retried request comes 2 to 4 times, never more.
        const auto sent = std::count(requests.begin(), requests.end(), c.path);
        if (c.retried) {
            EXPECT_GE(sent, 2) << c.path;
            EXPECT_LE(sent, 4) << c.path;
        } else {
            EXPECT_EQ(sent, 1) << c.path;
        }
        EXPECT_FALSE(fs::exists(program + "/a"));
    }
}

TEST_F(UpdaterBatchTest, AStalledServerEndsByTheTimeOut)
{
    server.misbehave("/update/Version.txt", LocalHttpServer::Behaviour::Stall);
    auto r = update({"--timeout", "200"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out,
              "Zentra在线更新系统...\n正在获取最新版本信息...\nerror:" + base() + "Version.txt\n连接服务器失败！\n");
    EXPECT_EQ(server.requests().size(), 2u);
}

// The names of everything below `folder`, relative to it, sorted.
std::vector<std::string> filesBelow(const std::string &folder)
{
    std::vector<std::string> names;
    if (!fs::exists(folder))
        return names;
    for (const auto &entry : fs::recursive_directory_iterator(folder))
        names.push_back(fs::relative(entry.path(), folder).string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(UpdaterBatchTest, AnAnswerOverItsCapFailsAndLeavesNothingStaged)
{
    // Release files may be 1 MB here.
    spit(home + "/config.ini", "[Update]\r\nmaxFileMB=1\r\n");
    const std::string mb(1024 * 1024, 'm');
    struct Case {
        const char *what;
        std::function<void(LocalHttpServer &)> setUp;
        std::string failedPath;
        std::vector<std::string> staged; // what tmp/ holds afterwards
    };
    const Case cases[] = {
        {"endless version file", [](LocalHttpServer &s) { s.endless("/update/Version.txt", 8 << 20); },
         "Version.txt", {}},
        {"endless file list", [](LocalHttpServer &s) { s.endless("/update/FileList.txt", 24 << 20); },
         "FileList.txt", {"Version.txt"}},
        {"endless release file", [](LocalHttpServer &s) { s.endless("/update/a", 8 << 20); }, "a",
         {"Version.txt", "FileList.txt"}},
        {"release file one byte over", [&](LocalHttpServer &s) { s.serve("/update/a", mb + "!"); }, "a",
         {"FileList.txt", "Version.txt"}},
    };
    for (const Case &c : cases) {
        fs::remove_all(home + "/tmp");
        LocalHttpServer s;
        s.serve("/update/Version.txt", "1.0.0.1");
        s.serve("/update/a", "content a");
        s.serve("/update/FileList.txt", md5Hex("content a") + "|a\r\n");
        c.setUp(s);
        auto r = test::runProgram(ZENTRA_UPDATE, {"--batch", "--home", home, "--dir", program, "--base",
                                                  s.origin() + "/update/", "--no-restart"});
        EXPECT_EQ(r.exitCode, 1) << c.what;
        EXPECT_TRUE(r.out.ends_with("error:" + s.origin() + "/update/" + c.failedPath + "\n连接服务器失败！\n"))
            << c.what << "\n" << r.out;
        auto expected = c.staged;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(filesBelow(home + "/tmp"), expected) << c.what;
        EXPECT_FALSE(fs::exists(program + "/a")) << c.what;
    }

    // A file of exactly the cap is fine.
    server.serve("/update/FileList.txt", release("a", "a", mb));
    auto r = update();
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(slurp(program + "/a"), mb);
}

TEST_F(UpdaterBatchTest, ATricklingServerIsDroppedDespiteSendingEverySoOften)
{
    // A byte every 100 ms never lets 1 s pass without data, yet is far below
    // any usable rate.
    const std::string slowly(30, 'b');
    server.serve("/update/FileList.txt", release("a", "a", "content a") + release("b", "b", slowly));
    server.slow("/update/b", slowly, 100);
    auto r = update({"--timeout", "1000"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, kOffer + "本次更新需要下载2个文件！\nerror:" + base() + "b\n连接服务器失败！\n");
    EXPECT_FALSE(fs::exists(program + "/a"));
    EXPECT_EQ(filesBelow(home + "/tmp"), (std::vector<std::string>{"FileList.txt", "Version.txt", "a"}));

    server.slow("/update/Version.txt", std::string(40, '9'), 100);
    r = update({"--timeout", "1000"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.ends_with("error:" + base() + "Version.txt\n连接服务器失败！\n")) << r.out;
}

TEST_F(UpdaterBatchTest, AFileListedTwiceIsFetchedOnce)
{
    const std::string line = release("bin\\tool", "bin/tool", "tool v2");
    server.serve("/update/FileList.txt", line + line + md5Hex("tool v2") + "|.\\bin\\\\tool\r\n" + line);
    auto r = update();
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(r.out, kOffer + "本次更新需要下载1个文件！\n你已将软件升级为最新版本!\n");
    const auto requests = server.requests();
    EXPECT_EQ(std::count(requests.begin(), requests.end(), "/update/bin/tool"), 1);
    EXPECT_EQ(slurp(program + "/bin/tool"), "tool v2");

    // Twice with two digests: the list contradicts itself, nothing is fetched.
    server.serve("/update/FileList.txt", line + md5Hex("tool v3") + "|bin/tool\r\n");
    spit(program + "/bin/tool", "tool v1");
    r = update();
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, kOffer + "文件列表重复列出：bin/tool\n连接服务器失败！\n");
    EXPECT_EQ(slurp(program + "/bin/tool"), "tool v1");
    EXPECT_EQ(server.requests().back(), "/update/FileList.txt");
}

TEST_F(UpdaterBatchTest, WithoutAnHttpBaseAddressNothingIsFetched)
{
    for (const std::string &configured :
         {std::string(), std::string("ftp://127.0.0.1/update/"), std::string("not a url")}) {
        if (!configured.empty())
            spit(home + "/config.ini", "[Update]\r\nbaseUrl=" + configured + "\r\n");
        auto r = test::runProgram(ZENTRA_UPDATE, {"--batch", "--home", home, "--dir", program, "--no-restart"});
        EXPECT_EQ(r.exitCode, 1) << configured;
        EXPECT_EQ(r.out, "Zentra在线更新系统...\n正在获取最新版本信息...\n连接服务器失败！\n") << configured;
    }
    EXPECT_TRUE(server.requests().empty());

    // The base address from config.ini, without its last slash.
    spit(home + "/config.ini", "[Update]\r\nbaseUrl=" + server.origin() + "/update\r\n");
    server.serve("/update/Version.txt", "1.0.0.0");
    auto r = test::runProgram(ZENTRA_UPDATE, {"--batch", "--home", home, "--dir", program, "--no-restart"});
    EXPECT_EQ(r.exitCode, 0) << r.out;
}

TEST_F(UpdaterBatchTest, AtTheEndZentraStartsWithTheSameDataFolder)
{
    server.serve("/update/Version.txt", "1.0.0.0");
    const std::string started = dir.file("started");
    spit(program + "/zentra",
         "#!/bin/sh\necho \"$@\" > " + started + ".part && mv " + started + ".part " + started + "\n");
    ::chmod((program + "/zentra").c_str(), 0755);
    auto r = test::runProgram(ZENTRA_UPDATE, {"--batch", "--home", home, "--dir", program, "--base", base()});
    EXPECT_EQ(r.exitCode, 0);
    // It runs detached: wait for it, for at most 10 s.
    for (int i = 0; i < 200 && !fs::exists(started); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(slurp(started), "--home " + home + "\n");
}

TEST_F(UpdaterBatchTest, AProgramFolderThePackageManagerOwnsIsNeverUpdated)
{
    server.serve("/update/Version.txt", "1.0.0.0");
    const std::string started = dir.file("started");
    spit(program + "/zentra", "#!/bin/sh\ntouch " + started + "\n");
    ::chmod((program + "/zentra").c_str(), 0755);
    spit(program + "/zentra-update", "program");
    // A dpkg database of our own whose package lists the program folder, as
    // /var/lib/dpkg/info/zentra.list lists /usr/bin.
    const std::string admin = dir.file("admin");
    ::mkdir(admin.c_str(), 0755);
    ::mkdir((admin + "/info").c_str(), 0755);
    spit(admin + "/info/zentra.list", "/.\n" + program + "\n" + program + "/zentra\n" + program + "/zentra-update\n");
    const std::vector<std::string> env = {"DPKG_ADMINDIR=" + admin};
    const std::vector<std::string> args = {"--batch", "--home", home, "--dir", program, "--base", base()};

    auto r = test::runProgram(ZENTRA_UPDATE, args, env);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "请使用系统的软件包管理器升级本软件\n");
    EXPECT_TRUE(server.requests().empty());
    EXPECT_EQ(slurp(home + "/Version.txt"), "1.0.0.0");
    EXPECT_FALSE(fs::exists(home + "/tmp"));
    // zentra would be started detached: give it the time it takes below.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_FALSE(fs::exists(started));

    // Unlisted (an unpacked copy, an install to a prefix) it runs as always
    // and starts zentra at the end.
    spit(admin + "/info/zentra.list", "/.\n/usr/bin/zentra\n");
    r = test::runProgram(ZENTRA_UPDATE, args, env);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(server.requests(), std::vector<std::string>{"/update/Version.txt"});
    for (int i = 0; i < 200 && !fs::exists(started); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(fs::exists(started));
}

}
}
