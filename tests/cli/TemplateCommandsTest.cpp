#include "support/RunCli.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

namespace zentra {
namespace {

test::CliResult cli(const std::vector<std::string> &args)
{
    return test::runProgram(ZENTRA_CLI, args);
}

const std::string kTemplate = "<templateInfo>\r\n"
                              "    <imageInfo>\r\n"
                              "        <ImgData>TWFu&#x0D;&#x0A;TQ==</ImgData>\r\n"
                              "        <ImgWidth>23.5</ImgWidth>\r\n"
                              "        <ImgHeight>12</ImgHeight>\r\n"
                              "        <LeftMargin>1</LeftMargin>\r\n"
                              "        <TopMargin>0</TopMargin>\r\n"
                              "    </imageInfo>\r\n"
                              "    <ceditInfo>\r\n"
                              "        <editID>140</editID>\r\n"
                              "        <editName>&quot;订单&quot;&#x0D;&#x0A;号</editName>\r\n"
                              "        <left>260</left>\r\n"
                              "        <top>20</top>\r\n"
                              "        <right>360</right>\r\n"
                              "        <bottom>40</bottom>\r\n"
                              "        <fontName>宋体</fontName>\r\n"
                              "        <fontSize>72</fontSize>\r\n"
                              "        <FontColor>255,0,0</FontColor>\r\n"
                              "        <Italic>1</Italic>\r\n"
                              "        <Bold>0</Bold>\r\n"
                              "    </ceditInfo>\r\n"
                              "</templateInfo>\r\n";

TEST(TemplateCommands, ShowPrintsTheTemplateAsJson)
{
    test::TempDir dir;
    test::spit(dir.file("a.ttp"), kTemplate);
    auto run = cli({"template", "show", dir.file("a.ttp")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "{\"root\":\"templateInfo\",\"imgWidth\":\"23.5\",\"imgHeight\":\"12\",\"leftMargin\":\"1\","
                       "\"topMargin\":\"0\",\"imgBytes\":4,\"items\":[{\"id\":140,\"text\":\"\\\"订单\\\"\\r\\n号\","
                       "\"left\":260,\"top\":20,\"right\":360,\"bottom\":40,\"fontName\":\"宋体\",\"fontSize\":72,"
                       "\"color\":[255,0,0],\"italic\":true,\"bold\":false}]}\n");
}

TEST(TemplateCommands, CopyRewritesByteForByte)
{
    test::TempDir dir;
    test::spit(dir.file("a.ttp"), kTemplate);
    EXPECT_EQ(cli({"template", "copy", dir.file("a.ttp"), dir.file("b.ttp")}).exitCode, 0);
    EXPECT_EQ(test::slurp(dir.file("b.ttp")), kTemplate);
}

TEST(TemplateCommands, CopyRefusesADamagedFileInsteadOfDroppingItems)
{
    test::TempDir dir;
    std::string secondItem = kTemplate.substr(kTemplate.find("    <ceditInfo>"));
    secondItem = secondItem.substr(0, secondItem.find("</templateInfo>"));
    const std::string twoItems =
        kTemplate.substr(0, kTemplate.find("</templateInfo>")) + secondItem + "</templateInfo>\r\n";
    const std::string damaged[] = {
        // A mismatched tag in the first item: the tolerant reader keeps what
        // came before it.
        std::string(twoItems).replace(twoItems.find("</left>"), 7, "</lefty>"),
        // A NUL inside an item ends what the reader sees.
        std::string(twoItems).replace(twoItems.find("<top>"), 1, std::string(1, '\0')),
    };
    for (const std::string &content : damaged) {
        test::spit(dir.file("bad.ttp"), content);
        ::unlink(dir.file("out.ttp").c_str());
        EXPECT_EQ(cli({"template", "copy", dir.file("bad.ttp"), dir.file("out.ttp")}).exitCode, 1);
        EXPECT_FALSE(std::ifstream(dir.file("out.ttp")).good());
        // Showing stays tolerant, as loading on the canvas is.
        EXPECT_EQ(cli({"template", "show", dir.file("bad.ttp")}).exitCode, 0);
    }
    // Trailing NULs lose nothing and copy.
    test::spit(dir.file("padded.ttp"), kTemplate + std::string(8, '\0'));
    EXPECT_EQ(cli({"template", "copy", dir.file("padded.ttp"), dir.file("out.ttp")}).exitCode, 0);
    EXPECT_EQ(test::slurp(dir.file("out.ttp")), kTemplate);
}

TEST(TemplateCommands, FailuresAndWrongUsage)
{
    test::TempDir dir;
    test::spit(dir.file("a.ttp"), kTemplate);
    test::spit(dir.file("junk.ttp"), "no xml here");
    struct Case {
        std::vector<std::string> args;
        int exitCode;
    };
    const Case cases[] = {
        {{"template", "show", dir.file("missing.ttp")}, 1},
        {{"template", "show", dir.file("junk.ttp")}, 1},
        {{"template", "copy", dir.file("missing.ttp"), dir.file("out.ttp")}, 1},
        {{"template", "copy", dir.file("a.ttp"), dir.file("no/folder/out.ttp")}, 1},
        {{"template"}, 2},
        {{"template", "show"}, 2},
        {{"template", "frobnicate", "x"}, 2},
    };
    for (const Case &c : cases)
        EXPECT_EQ(cli(c.args).exitCode, c.exitCode) << c.args.back();
    EXPECT_FALSE(std::ifstream(dir.file("out.ttp")).good());
}

}
}
