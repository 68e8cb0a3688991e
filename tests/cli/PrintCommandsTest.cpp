#include "core/config/ConfigFile.h"
#include "core/data/DbConnection.h"
#include "core/templates/TemplateFile.h"
#include "support/RunCli.h"
#include "support/TempDir.h"
#include "support/TestTemplates.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>

namespace zentra {
namespace {

using test::runProgram;

// One extracted word of a page: its top-left corner in points.
struct Word {
    int page;
    double x, y;
    std::string text;
};

std::vector<Word> pdfWords(const std::string &pdf)
{
    auto r = runProgram("/usr/bin/pdftotext", {"-bbox", pdf, "-"});
    std::vector<Word> words;
    static const std::regex pageRe("<page ");
    static const std::regex wordRe(R"re(<word xMin="([\d.]+)" yMin="([\d.]+)"[^>]*>([^<]*)</word>)re");
    int page = 0;
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);) {
        std::smatch m;
        if (std::regex_search(line, pageRe))
            ++page;
        else if (std::regex_search(line, m, wordRe))
            words.push_back({page, std::stod(m[1]), std::stod(m[2]), m[3]});
    }
    return words;
}

const Word *findWord(const std::vector<Word> &words, const std::string &text, int page = 1)
{
    for (const auto &w : words)
        if (w.text == text && w.page == page)
            return &w;
    return nullptr;
}

class PrintCommandsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(cli({"init"}).exitCode, 0); }

    test::CliResult cli(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--home", home});
        return runProgram(ZENTRA_CLI, args, {"QT_QPA_PLATFORM=offscreen"});
    }
    void saveTemplate(const std::string &name, std::initializer_list<TemplateItem> items, std::string left = "0")
    {
        Template t;
        t.imgWidth = "23";
        t.imgHeight = "12.7";
        t.leftMargin = std::move(left);
        for (const auto &it : items)
            t.items[static_cast<std::size_t>(it.fieldIndex())] = it;
        ASSERT_TRUE(saveTemplateFile(home + "/template/" + name + ".ttp", t));
    }
    test::TempDir dir;
    std::string home = dir.file("shop");
    std::string pdf = dir.file("out.pdf");
};

TEST_F(PrintCommandsTest, PrintPlacesTheTemplatesTextsAndSetValues)
{
    saveTemplate("sf", {test::textItem(20, 96, 48, "Receiver"), test::textItem(40, 192, 96, "Order")}, "1");
    auto r = cli({"print", "--template", "sf", "--pdf", pdf, "--set", "40=A123", "--set", "59=ignored"});
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "1 page\n");
    const auto words = pdfWords(pdf);
    const Word *receiver = findWord(words, "Receiver");
    const Word *order = findWord(words, "A123");
    ASSERT_TRUE(receiver && order);
    // One inch in, plus the 1 cm margin (37 screen pixels), at 600 dpi.
    EXPECT_NEAR(receiver->x, (600 + 231) * 72.0 / 600, 0.2);
    EXPECT_NEAR(order->x, (1200 + 231) * 72.0 / 600, 0.2);
    EXPECT_EQ(findWord(words, "Order"), nullptr);
    EXPECT_EQ(findWord(words, "ignored"), nullptr);
}

TEST_F(PrintCommandsTest, SettingsScaleAndPaperComeFromTheConfiguration)
{
    saveTemplate("sf", {test::textItem(20, 96, 48, "Receiver")});
    const ConfigFile config(home + "/config.ini");
    ASSERT_TRUE(config.writeText("System", "printerScale", "2.000000"));
    ASSERT_TRUE(config.writeText("System", "setPrintPageSize", "1"));
    ASSERT_EQ(cli({"print", "--template", "sf", "--pdf", pdf, "--dpi", "300"}).exitCode, 0);
    const auto words = pdfWords(pdf);
    const Word *receiver = findWord(words, "Receiver");
    ASSERT_TRUE(receiver);
    EXPECT_NEAR(receiver->x, 144.0, 0.3); // two inches at scale 2
    auto info = runProgram("/usr/bin/pdfinfo", {pdf});
    EXPECT_NE(info.out.find("652 x 360 pts"), std::string::npos) << info.out;
}

TEST_F(PrintCommandsTest, QuietWithoutADesktopSessionAndLeavesNoRuntimeFolder)
{
    saveTemplate("sf", {test::textItem(20, 96, 48, "Receiver")});
    const std::string tmp = dir.file("tmp");
    std::filesystem::create_directory(tmp);
    const std::string err = dir.file("err.txt");
    // As from cron or ssh: no runtime folder in the environment.
    auto r = runProgram("/bin/sh",
                        {"-c", "f=$1; shift; unset XDG_RUNTIME_DIR; exec \"$@\" 2>\"$f\"", "sh", err, ZENTRA_CLI,
                         "--home", home, "print", "--template", "sf", "--pdf", pdf},
                        {"QT_QPA_PLATFORM=offscreen", "TMPDIR=" + tmp});
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "1 page\n");
    EXPECT_EQ(test::slurp(err), "");
    EXPECT_TRUE(std::filesystem::is_empty(tmp));
}

TEST_F(PrintCommandsTest, WrongUseAndMissingTemplate)
{
    const struct {
        std::vector<std::string> args;
        int exitCode;
    } cases[] = {
        {{"print", "--pdf", "x.pdf"}, 2},
        {{"print", "--template", "sf"}, 2},
        {{"print", "--template", "sf", "--pdf", "x.pdf", "--dpi", "0"}, 2},
        {{"print", "--template", "sf", "--pdf", "x.pdf", "--set", "60=x"}, 2},
        {{"print", "--template", "none", "--pdf", "x.pdf"}, 1},
        {{"print", "--template", "../shop/config", "--pdf", "x.pdf"}, 1},
        {{"print-list"}, 2},
    };
    for (const auto &c : cases)
        EXPECT_EQ(cli(c.args).exitCode, c.exitCode) << c.args.back();
}

TEST_F(PrintCommandsTest, APdfThatCannotBeWrittenIsNotReportedAsPrinted)
{
    saveTemplate("sf", {test::textItem(20, 96, 0, "x")});
    for (const char *target : {"/dev/full", "/no/such/folder/x.pdf"}) {
        auto r = cli({"print", "--template", "sf", "--pdf", target});
        EXPECT_EQ(r.exitCode, 1) << target;
        EXPECT_EQ(r.out, "") << target;
    }
}

TEST_F(PrintCommandsTest, PrintListPrintsEveryRowWithItsTemplate)
{
    saveTemplate("sf", {test::textItem(20, 96, 0, ""), test::textItem(51, 0, 100, ""), test::textItem(55, 100, 100, ""),
                        test::textItem(56, 0, 200, "")});
    saveTemplate("yt", {test::textItem(40, 0, 0, "")}, "2");
    DbConnection db;
    ASSERT_TRUE(db.open(home + "/data/data.db"));
    const char *insert =
        "insert into printList(templateName, rname, orderNo, expressNo, protectMoney, printTime) values(?,?,?,?,?,?)";
    ASSERT_EQ(db.execute(insert, {"sf", "Wang", "O1", "E2", 1005.0, "2024-03-05 07:08:09"}), 1);
    ASSERT_EQ(db.execute(insert, {"yt", "Li", "O2", "E1", 0.0, ""}), 1);
    ASSERT_EQ(db.execute(insert, {"missing", "Zhao", "O3", "E3", 0.0, ""}), 1);
    db.close();

    // The row whose template is missing is not printed, and the command
    // says it did not print everything.
    auto r = cli({"print-list", "--pdf", pdf});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "2 pages\n");
    const auto words = pdfWords(pdf);
    // Ordered by express number: E1 (yt), E2 (sf), E3 (no template file).
    const Word *order = findWord(words, "O2", 1);
    ASSERT_TRUE(order);
    EXPECT_NEAR(order->x, 468 * 72.0 / 600, 0.2); // 2 cm margin: 75 screen pixels
    EXPECT_TRUE(findWord(words, "Wang", 2));
    EXPECT_TRUE(findWord(words, "伍", 2));   // 元 digit of 壹仟零伍元
    EXPECT_TRUE(findWord(words, "╳", 2));    // no 万 digit
    EXPECT_TRUE(findWord(words, "2024", 2)); // year of the print time
    for (const auto &w : words)
        EXPECT_NE(w.page, 3) << w.text;

    auto empty = test::TempDir();
    EXPECT_EQ(runProgram(ZENTRA_CLI, {"--home", empty.file("none"), "print-list", "--pdf", pdf}).exitCode, 1);
}

}
}
