#include "support/RunCli.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace zentra {
namespace {

using test::runProgram;

// template list / new / delete / import / export on a data folder of its own.
class TemplateFolderCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(cli({"init"}).exitCode, 0);
        test::spit(picture, "\x89PNG not really a picture");
    }
    test::CliResult cli(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--home", home});
        return runProgram(ZENTRA_CLI, args);
    }
    test::CliResult make(const std::string &name, std::vector<std::string> extra = {})
    {
        std::vector<std::string> args{"template", "new", name, "--image", picture, "--width", "23", "--height", "12"};
        args.insert(args.end(), extra.begin(), extra.end());
        return cli(args);
    }
    test::TempDir dir;
    std::string home = dir.file("shop");
    std::string picture = dir.file("sheet.png");
};

TEST_F(TemplateFolderCommandsTest, NewWritesTheTemplateAndListShowsIt)
{
    ASSERT_EQ(cli({"config", "set", "System", "fontName", "黑体"}).exitCode, 0);
    auto r = make("顺丰", {"--fields", "41,20"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, home + "/template/顺丰.ttp\n");
    EXPECT_EQ(make("b").exitCode, 0);
    EXPECT_EQ(cli({"template", "list"}).out, "b.ttp\n顺丰.ttp\n");

    const std::string show = cli({"template", "show", home + "/template/顺丰.ttp"}).out;
    EXPECT_NE(show.find("\"leftMargin\":\"0\",\"topMargin\":\"0\""), std::string::npos) << show;
    EXPECT_NE(show.find("\"id\":120,\"text\":\"收件人姓名\",\"left\":260,\"top\":20"), std::string::npos) << show;
    EXPECT_NE(show.find("\"id\":141"), std::string::npos);
    EXPECT_NE(show.find("\"fontName\":\"黑体\""), std::string::npos);
}

TEST_F(TemplateFolderCommandsTest, NewRefusesWithTheWizardsMessages)
{
    struct Case {
        std::vector<std::string> args;
        std::string out;
    };
    const Case cases[] = {
        {{"template", "new", "a", "--width", "1", "--height", "1"}, "请导入图片\n"},
        {{"template", "new", "", "--image", picture, "--width", "1", "--height", "1"}, "请输入模板名称\n"},
        {{"template", "new", "a", "--image", picture, "--height", "1"}, "请输入图片宽度\n"},
        {{"template", "new", "a", "--image", picture, "--width", "1"}, "请输入图片高度\n"},
    };
    for (const Case &c : cases) {
        auto r = cli(c.args);
        EXPECT_EQ(r.exitCode, 1) << c.out;
        EXPECT_EQ(r.out, c.out);
    }
    EXPECT_EQ(cli({"template", "list"}).out, "");

    EXPECT_EQ(make("Ems").exitCode, 0);
    auto again = make("Ems");
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_EQ(again.out, "相同名称的模板已经存在\n");
    EXPECT_EQ(make("Ems", {"--force"}).exitCode, 0);
    EXPECT_EQ(make("ems").exitCode, 0); // another name: case counts
    EXPECT_EQ(cli({"template", "list"}).out, "Ems.ttp\nems.ttp\n");
    EXPECT_EQ(make("x", {"--fields", "1,abc"}).exitCode, 2);
}

TEST_F(TemplateFolderCommandsTest, DeleteImportAndExportPrintTheirMessages)
{
    ASSERT_EQ(make("a").exitCode, 0);
    ASSERT_EQ(make("b").exitCode, 0);
    test::TempDir out;
    EXPECT_EQ(cli({"template", "export", "a", "b.ttp", "--to", out.path()}).exitCode, 0);
    EXPECT_EQ(test::slurp(out.file("a.ttp")), test::slurp(home + "/template/a.ttp"));

    auto del = cli({"template", "delete", "a", "b", "c"});
    EXPECT_EQ(del.exitCode, 1);
    EXPECT_TRUE(del.out.starts_with("已删除模板 a\n已删除模板 b\n模板 c 无法删除")) << del.out;
    EXPECT_EQ(cli({"template", "list"}).out, "");

    auto failedExport = cli({"template", "export", "a", "--to", out.path()});
    EXPECT_EQ(failedExport.exitCode, 1);
    EXPECT_TRUE(failedExport.out.starts_with("模板导出失败!\n"));

    auto imported = cli({"template", "import", out.file("a.ttp"), out.file("b.ttp")});
    EXPECT_EQ(imported.exitCode, 0);
    EXPECT_EQ(imported.out, "模板导入成功!\n");
    EXPECT_EQ(cli({"template", "list"}).out, "a.ttp\nb.ttp\n");

    test::spit(out.file("bad.ttp"), "not a template");
    auto bad = cli({"template", "import", out.file("bad.ttp")});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_EQ(bad.out, "模板导入失败!\n" + out.file("bad.ttp") + ": holds no template\n");
}

}
}
