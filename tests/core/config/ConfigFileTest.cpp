#include "core/config/AppState.h"
#include "core/config/ConfigFile.h"
#include "core/config/DataFolder.h"
#include "core/text/Gbk.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace zentra {
namespace {

using test::slurp;
using test::spit;

class ConfigFileTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string path = dir.file("config.ini");
    ConfigFile config{path};
};

TEST_F(ConfigFileTest, FlagsAreOnOnlyForOne)
{
    spit(path, "[System]\r\na=1\r\nb=2\r\nc=yes\r\nd=\r\ne=01\r\nf= 1 \r\n");
    const std::pair<const char *, bool> cases[] = {
        {"a", true}, {"b", false}, {"c", false}, {"d", false}, {"e", true}, {"f", true}, {"missing", false},
    };
    for (const auto &[key, on] : cases)
        EXPECT_EQ(config.readFlag("System", key), on) << key;
}

TEST_F(ConfigFileTest, IntegersTakeLeadingDigitsAndDefaultOnlyWhenMissing)
{
    spit(path, "[Order]\nOrderNum=123abc\nEmpty=\nWord=abc\nNeg=-7\n");
    EXPECT_EQ(config.readInt("Order", "OrderNum", 9), 123);
    EXPECT_EQ(config.readInt("Order", "Empty", 9), 0);
    EXPECT_EQ(config.readInt("Order", "Word", 9), 0);
    EXPECT_EQ(config.readInt("Order", "Neg", 9), -7);
    EXPECT_EQ(config.readInt("Order", "Missing", 9), 9);
    EXPECT_EQ(config.readInt("Nosuch", "OrderNum", 9), 9);
    EXPECT_EQ(ConfigFile(dir.file("absent.ini")).readInt("Order", "OrderNum", 4), 4);
}

TEST_F(ConfigFileTest, SectionsAndKeysMatchWithoutCase)
{
    spit(path, "[system]\nPRINTERNAME = HP  \n");
    EXPECT_EQ(config.readText("System", "printerName"), "HP");
}

TEST_F(ConfigFileTest, ChineseValuesSurviveAWriteAndARead)
{
    ASSERT_TRUE(config.writeText("Template", "Default", "顺丰速运(新).ttp"));
    EXPECT_EQ(config.readText("Template", "Default"), "顺丰速运(新).ttp");
    // The file holds GBK bytes and CR LF line ends.
    EXPECT_EQ(slurp(path), "[Template]\r\nDefault=" + utf8ToGbk("顺丰速运(新).ttp") + "\r\n");
}

TEST_F(ConfigFileTest, WritingAKeyKeepsEveryOtherLineInPlace)
{
    spit(path, "; shop settings\r\n[System]\r\nprinterName=HP\r\nloginPass=1\r\n\r\n[Order]\r\nOrderNum=5\r\n");
    ASSERT_TRUE(config.writeText("System", "loginpass", "0"));    // replace in place
    ASSERT_TRUE(config.writeText("System", "fontName", "宋体"));  // new key at the end of its section
    ASSERT_TRUE(config.writeText("Cargo", "CargoLock", "1"));     // new section at the end
    EXPECT_EQ(slurp(path), "; shop settings\r\n[System]\r\nprinterName=HP\r\nloginpass=0\r\nfontName=" +
                               utf8ToGbk("宋体") + "\r\n\r\n[Order]\r\nOrderNum=5\r\n[Cargo]\r\nCargoLock=1\r\n");
}

TEST_F(ConfigFileTest, EmptyValueIsKeptAsAPresentKey)
{
    ASSERT_TRUE(config.writeText("Order", "TradeTime", "2026-01-02 03:04:05"));
    ASSERT_TRUE(config.writeText("Order", "TradeTime", ""));
    EXPECT_EQ(slurp(path), "[Order]\r\nTradeTime=\r\n");
    EXPECT_EQ(config.readInt("Order", "TradeTime", 7), 0); // present, so not the default
}

TEST_F(ConfigFileTest, TextIsCutAt259BytesOnACharacterBoundary)
{
    std::string value = "a" + std::string(300, 'x');
    std::string chinese = "a";
    for (int i = 0; i < 200; ++i)
        chinese += "顺";
    spit(path, "[S]\nplain=" + value + "\nwide=" + utf8ToGbk(chinese) + "\n");
    EXPECT_EQ(config.readText("S", "plain"), value.substr(0, 259));
    // 1 + 129 * 2 = 259 bytes: the 130th character would not fit.
    EXPECT_EQ(utf8ToGbk(config.readText("S", "wide")).size(), 259u);
}

TEST_F(ConfigFileTest, AFailedWriteLeavesTheOldFile)
{
    spit(path, "[S]\nk=old\n");
    ConfigFile unwritable(dir.file("no/such/dir/config.ini"));
    EXPECT_FALSE(unwritable.writeText("S", "k", "new"));
    EXPECT_EQ(config.readText("S", "k"), "old");
}

TEST_F(ConfigFileTest, StartupReadingFillsTheSystemSettings)
{
    AppState untouched;
    untouched.printerScale = 0.5f;
    readStartupSettings(untouched, config); // no file: nothing changes
    EXPECT_FLOAT_EQ(untouched.printerScale, 0.5f);

    spit(path, "[System]\r\nprinterName=" + utf8ToGbk("办公室打印机") +
                   "\r\nnoPrintreSel=1\r\nsetPrintPageSize=2\r\ntbInfoSelf=1\r\nloginPass=1\r\n"
                   "fontHeight=12.5\r\nfontName=" + utf8ToGbk("黑体") +
                   "\r\nfontStyle=" + utf8ToGbk("粗体") +
                   "\r\nfontColor=255,0,0\r\nmoveInterval=x\r\nprinterScale=1.250000\r\n");
    AppState s;
    readStartupSettings(s, config);
    EXPECT_EQ(s.printerName, "办公室打印机");
    EXPECT_TRUE(s.noPrinterSelect);
    EXPECT_FALSE(s.setPrintPageSize);
    EXPECT_TRUE(s.tbInfoSelf);
    EXPECT_FALSE(s.tbBrowserOpen);
    EXPECT_TRUE(s.loginPass);
    EXPECT_EQ(s.fontHeight, 12);
    EXPECT_EQ(s.fontName, "黑体");
    EXPECT_EQ(s.fontStyle, "粗体");
    EXPECT_EQ(s.fontColor, "255,0,0");
    EXPECT_EQ(s.moveInterval, 0);
    EXPECT_FLOAT_EQ(s.printerScale, 1.25f);
}

TEST_F(ConfigFileTest, MissingScaleReadsAsZero)
{
    spit(path, "[System]\r\nloginPass=0\r\n");
    AppState s;
    s.printerScale = 2.0f;
    readStartupSettings(s, config);
    EXPECT_FLOAT_EQ(s.printerScale, 0.0f);
}

TEST_F(ConfigFileTest, WriterRefusesTextThatWouldPlantOtherLines)
{
    spit(path, "[System]\r\nloginPass=1\r\n");
    const std::string before = slurp(path);
    struct Case {
        const char *what;
        std::string section, key, value;
    };
    const Case cases[] = {
        {"CR LF in a value", "Receiver", "ReceiverName", "张三\r\n[Links]\r\nhomePage=http://evil"},
        {"LF in a value", "Receiver", "ReceiverName", "x\nloginPass=0"},
        {"NUL in a value", "Receiver", "ReceiverName", std::string("a\0b", 3)},
        {"line break in a key", "System", "a\nloginPass", "0"},
        {"= in a key", "System", "loginPass=0;x", "1"},
        {"key that reads as a section", "System", "[Links]", "1"},
        {"] in a section", "System]\r\n[Links", "k", "v"},
        {"empty key", "System", "", "v"},
        {"character outside GBK", "Template", "Default", "模板😀.ttp"},
        {"broken UTF-8", "Template", "Default", "\xE6\xA8"},
    };
    for (const Case &c : cases) {
        std::string error;
        EXPECT_FALSE(config.writeText(c.section, c.key, c.value, &error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
    }
    EXPECT_EQ(slurp(path), before);
}

TEST_F(ConfigFileTest, ValuesReadBackExactlyAsWritten)
{
    const std::string values[] = {"  leading", "trailing  ", " both ", "\"quoted\"", "'single'", "\"", "a=b",
                                  "[not a section]", "; not a comment", "中文 值"};
    for (const std::string &v : values) {
        ASSERT_TRUE(config.writeText("S", "k", v)) << v;
        EXPECT_EQ(config.readText("S", "k"), v);
    }
}

TEST_F(ConfigFileTest, AFileThatCannotBeReadIsNeverRewritten)
{
    // A folder, a FIFO, a link out of the data folder, a file over 1 MiB:
    // none is read (nothing blocks), and a write refuses instead of replacing
    // it with a file that holds only the new key.
    ::mkdir(dir.file("folder.ini").c_str(), 0700);
    ::mkfifo(dir.file("fifo.ini").c_str(), 0600);
    ::symlink("/dev/zero", dir.file("zero.ini").c_str());
    spit(dir.file("huge.ini"), "[S]\r\nk=v\r\n" + std::string(ConfigFile::kMaxFileBytes, ';'));
    for (const char *name : {"folder.ini", "fifo.ini", "zero.ini", "huge.ini"}) {
        ConfigFile f(dir.file(name));
        EXPECT_EQ(f.readText("S", "k"), "") << name;
        EXPECT_EQ(f.readInt("S", "k", 7), 7) << name;
        std::string error;
        EXPECT_FALSE(f.writeText("S", "k", "new", &error)) << name;
        EXPECT_NE(error.find(name), std::string::npos) << error;
    }
    EXPECT_EQ(slurp(dir.file("huge.ini")).size(), 10 + ConfigFile::kMaxFileBytes);
}

TEST_F(ConfigFileTest, ALinkInsideTheDataFolderIsFollowedAndKept)
{
    ::mkdir(dir.file("profiles").c_str(), 0700);
    spit(dir.file("profiles/shop.ini"), "[S]\r\nk=old\r\n");
    ::symlink("profiles/shop.ini", path.c_str());
    EXPECT_EQ(config.readText("S", "k"), "old");
    ASSERT_TRUE(config.writeText("S", "k", "new"));
    struct stat st;
    ASSERT_EQ(::lstat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(slurp(dir.file("profiles/shop.ini")), "[S]\r\nk=new\r\n");
}

TEST_F(ConfigFileTest, AReadOnlyFileIsNotReplaced)
{
    spit(path, "[S]\r\nk=old\r\n");
    ::chmod(path.c_str(), 0444);
    std::string error;
    EXPECT_FALSE(config.writeText("S", "k", "new", &error));
    EXPECT_NE(error.find("read-only"), std::string::npos) << error;
    EXPECT_EQ(config.readText("S", "k"), "old");
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);

    // A writable file keeps its own permissions across a write.
    ::chmod(path.c_str(), 0640);
    ASSERT_TRUE(config.writeText("S", "k", "new"));
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(ConfigFileTest, ConcurrentWritersKeepEveryKey)
{
    // Each writer is its own process, as when several commands run at once.
    constexpr int kWriters = 24;
    std::vector<pid_t> children;
    for (int i = 0; i < kWriters; ++i) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0)
            ::_exit(config.writeText("P", "k" + std::to_string(i), std::to_string(i)) ? 0 : 1);
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int i = 0; i < kWriters; ++i)
        EXPECT_EQ(config.readText("P", "k" + std::to_string(i)), std::to_string(i));
}

}
}

namespace zentra {
namespace {

TEST(ReadFile, FoldersAndMissingFilesAreNotRead)
{
    test::TempDir dir;
    std::string content = "untouched";
    EXPECT_FALSE(readFile(dir.path(), content));
    EXPECT_FALSE(readFile(dir.file("missing"), content));
    EXPECT_EQ(content, "untouched");
    test::spit(dir.file("f"), "abc");
    EXPECT_TRUE(readFile(dir.file("f"), content));
    EXPECT_EQ(content, "abc");

    // A FIFO is refused at once rather than waited on.
    ::mkfifo(dir.file("fifo").c_str(), 0600);
    std::string error;
    EXPECT_EQ(readRegularFile(dir.file("fifo"), content, 100, &error), ReadStatus::Failed);
    EXPECT_NE(error.find("not a regular file"), std::string::npos);
    EXPECT_EQ(readRegularFile(dir.file("f"), content, 2, &error), ReadStatus::Failed);
    EXPECT_EQ(readRegularFile(dir.file("missing"), content, 2, &error), ReadStatus::Missing);
    EXPECT_EQ(content, "abc");
}

}
}
