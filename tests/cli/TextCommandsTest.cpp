#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace {

struct CliRun {
    std::string out;
    int code = -1;
};

std::string quote(const std::string &s)
{
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

CliRun cli(const std::string &args)
{
    CliRun r;
    std::string cmd = std::string(ZENTRA_CLI) + " --home /nonexistent-zentra-home " + args + " 2>/dev/null";
    FILE *p = popen(cmd.c_str(), "r");
    if (!p)
        return r;
    std::array<char, 256> buf;
    while (std::size_t n = fread(buf.data(), 1, buf.size(), p))
        r.out.append(buf.data(), n);
    int status = pclose(p);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

TEST(TextCommands, PinyinPrintsTheInitialsOnOneLine)
{
    const std::pair<const char *, const char *> cases[] = {
        {"张三Li", "zsLi\n"},
        {"朱镕基", "zj\n"},
        {"a b", "a b\n"},
    };
    for (const auto &[text, expected] : cases) {
        CliRun r = cli("pinyin " + quote(text));
        EXPECT_EQ(r.code, 0) << text;
        EXPECT_EQ(r.out, expected) << text;
    }
    EXPECT_EQ(cli("pinyin").code, 2);
}

TEST(TextCommands, CapitalsPrintsTheTidiedFormOnOneLine)
{
    const std::pair<const char *, const char *> cases[] = {
        {"1005", "壹仟零伍元\n"},
        {"123.45", "壹佰贰拾叁元肆角伍分\n"},
        {"10000000000000", "\n"},
        {"abc", "\n"},
    };
    for (const auto &[amount, expected] : cases) {
        CliRun r = cli("capitals " + quote(amount));
        EXPECT_EQ(r.code, 0) << amount;
        EXPECT_EQ(r.out, expected) << amount;
    }
    EXPECT_EQ(cli("capitals").code, 2);
}

}
