#include "core/config/AppState.h"
#include "core/config/DataFolder.h"
#include "core/data/DbConnection.h"
#include "core/data/Schema.h"
#include "core/templates/FieldCatalogue.h"
#include "core/templates/TemplateFile.h"
#include "core/templates/TemplateLibrary.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace zentra {
namespace {

class TemplateLibraryTest : public test::EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        std::string error;
        ASSERT_TRUE(initDataFolder(folder, &error)) << error;
    }

    void addTemplate(const std::string &name)
    {
        Template t;
        t.imgWidth = "23";
        t.imgHeight = "12";
        ASSERT_TRUE(saveTemplateFile(folder.templateDir() + name + ".ttp", t));
    }
    void addFreight(const std::string &tmpName, int rows)
    {
        DbConnection db;
        ASSERT_TRUE(db.open(folder.databasePath()));
        for (int i = 0; i < rows; ++i)
            ASSERT_EQ(db.execute("insert into freight(provinceID, province, tmpName) values(?, ?, ?)",
                                 {i, "省" + std::to_string(i), tmpName}),
                      1);
    }
    int freightRows(const std::string &tmpName)
    {
        DbConnection db;
        EXPECT_TRUE(db.open(folder.databasePath()));
        return static_cast<int>(db.query("select id from freight where tmpName=?", {tmpName}).size());
    }

    test::TempDir dir;
    DataFolder folder{folderAt(dir.path())};
};

ZENTRA_ON_BOTH_ENGINES(TemplateLibraryTest);

TEST(NewTemplateChecks, FirstFailureInTheWizardsOrder)
{
    struct Case {
        NewTemplateInput in;
        std::string message;
    };
    const Case cases[] = {
        {{"", "", "", ""}, "请导入图片"},
        {{"", "", "", "AAAA"}, "请输入模板名称"},
        {{"顺丰", "", "12", "AAAA"}, "请输入图片宽度"},
        {{"顺丰", "23", "", "AAAA"}, "请输入图片高度"},
        {{"顺丰", "23", "12", "AAAA"}, ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(newTemplateProblem(c.in), c.message) << c.message;
    EXPECT_EQ(backgroundProblem("", "", ""), "请导入图片");
    EXPECT_EQ(backgroundProblem("AAAA", "", ""), "请输入图片宽度");
    EXPECT_EQ(backgroundProblem("AAAA", "1", ""), "请输入图片高度");
    EXPECT_EQ(backgroundProblem("AAAA", "1", "2"), "");
}

TEST(NewTemplateChecks, SizesArePositiveAndAtMostAHundredMetres)
{
    const char *const kWidth = "图片宽度应大于0厘米且不超过10000厘米";
    const char *const kHeight = "图片高度应大于0厘米且不超过10000厘米";
    struct Case {
        const char *width, *height, *message;
    };
    const Case cases[] = {
        {"0", "12", kWidth},      {"23", "-5", kHeight},    {"-0", "12", kWidth},
        {"0.0", "0", kWidth},     {".", "12", kWidth},      {"-", "12", kWidth},
        {"10000.01", "1", kWidth}, {"1", "1e9", kHeight},    {"23", "12", ""},
        {"0.5", "10000", ""},     {"23.", "12.7", ""},      {"23", "", "请输入图片高度"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(newTemplateProblem({"顺丰", c.width, c.height, "AAAA"}), c.message) << c.width << " " << c.height;
        EXPECT_EQ(backgroundProblem("AAAA", c.width, c.height), c.message) << c.width << " " << c.height;
    }
}

TEST(NewTemplate, ItemsAtTheirDefaultPlacesWithTheConfiguredFontAndNoMargins)
{
    AppState settings;
    settings.fontHeight = 12;
    settings.fontName = "黑体";
    settings.fontStyle = "粗体";
    settings.fontColor = "0,0,255";
    const Template t = buildNewTemplate({"a", "23.5", "12", "TWFu"}, {41, 20, 17, 20}, settings);
    EXPECT_EQ(t.imgWidth, "23.5");
    EXPECT_EQ(t.imgHeight, "12");
    EXPECT_EQ(t.leftMargin, "0");
    EXPECT_EQ(t.topMargin, "0");
    EXPECT_EQ(t.imgData, "TWFu");
    int count = 0;
    for (const auto &item : t.items)
        count += item.has_value();
    EXPECT_EQ(count, 2); // slot 17 has no field; 20 only once
    ASSERT_TRUE(t.items[41]);
    EXPECT_EQ(*t.items[41], makeDefaultItem(41, settings));
    EXPECT_EQ(t.items[41]->fontName, "黑体");
    EXPECT_TRUE(t.items[41]->bold);
}

TEST_P(TemplateLibraryTest, ListsOnlyTtpFilesByName)
{
    addTemplate("b");
    addTemplate("a");
    addTemplate("A");
    test::spit(folder.templateDir() + "c.TTP", "x");
    test::spit(folder.templateDir() + "d.ttp.bak", "x");
    test::spit(folder.templateDir() + "e.x.ttp", "x");
    ::mkdir((folder.templateDir() + "sub.ttp").c_str(), 0700);
    EXPECT_EQ(listTemplateFiles(folder), (std::vector<std::string>{"A.ttp", "a.ttp", "b.ttp", "e.x.ttp"}));
    EXPECT_EQ(templateNameOfFile("e.x.ttp"), "e.x");
    EXPECT_EQ(templateNameOfFile("f.ttp.ttp"), "f");
}

TEST_P(TemplateLibraryTest, NameTakenOnlyOnAnExactMatch)
{
    addTemplate("Shunfeng");
    EXPECT_TRUE(templateNameTaken(folder, "Shunfeng"));
    EXPECT_FALSE(templateNameTaken(folder, "shunfeng"));
    EXPECT_FALSE(templateNameTaken(folder, "Shun"));
}

TEST_P(TemplateLibraryTest, DeletingTwoTemplatesRemovesBothFilesAndTheirFreightRows)
{
    addTemplate("a");
    addTemplate("b");
    addTemplate("c");
    addFreight("a", 2);
    addFreight("b", 3);
    addFreight("c", 1);
    const BatchResult r = deleteTemplates(folder, {"a", "b"});
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.done, 2u);
    EXPECT_EQ(listTemplateFiles(folder), std::vector<std::string>{"c.ttp"});
    EXPECT_EQ(freightRows("a"), 0);
    EXPECT_EQ(freightRows("b"), 0);
    EXPECT_EQ(freightRows("c"), 1);
}

TEST_P(TemplateLibraryTest, AFailedDeleteLeavesFileAndRowsAndStops)
{
    // A folder in the file's place cannot be unlinked, not even by root.
    ::mkdir((folder.templateDir() + "a.ttp").c_str(), 0700);
    addTemplate("b");
    addFreight("a", 2);
    addFreight("b", 2);
    addFreight("gone", 1);
    const BatchResult r = deleteTemplates(folder, {"a", "b"});
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.failed, "a");
    EXPECT_EQ(r.done, 0u);
    EXPECT_TRUE(fileExists(folder.templateDir() + "b.ttp"));
    EXPECT_EQ(freightRows("a"), 2);
    EXPECT_EQ(freightRows("b"), 2);

    EXPECT_FALSE(deleteTemplates(folder, {"gone"}).ok); // no file: its rows stay too
    EXPECT_EQ(freightRows("gone"), 1);
}

TEST_P(TemplateLibraryTest, ImportReplacesWithoutAskingAndRefusesDamagedFiles)
{
    addTemplate("a");
    test::TempDir outside;
    Template t;
    t.imgWidth = "99";
    ASSERT_TRUE(saveTemplateFile(outside.file("a.ttp"), t));
    ASSERT_TRUE(saveTemplateFile(outside.file("new.ttp"), t));
    test::spit(outside.file("junk.ttp"), "no template here");

    BatchResult r = importTemplates(folder, {outside.file("a.ttp"), outside.file("new.ttp")});
    EXPECT_TRUE(r.ok) << r.error;
    Template back;
    ASSERT_TRUE(readTemplateFile(folder.templateDir() + "a.ttp", back));
    EXPECT_EQ(back.imgWidth, "99");

    r = importTemplates(folder, {outside.file("junk.ttp"), outside.file("a.ttp")});
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.failed, outside.file("junk.ttp"));
    EXPECT_NE(r.error.find("junk.ttp"), std::string::npos);
    EXPECT_FALSE(fileExists(folder.templateDir() + "junk.ttp"));
}

TEST_P(TemplateLibraryTest, ExportCopiesOverExistingFilesAndStopsAtTheFirstFailure)
{
    addTemplate("a");
    addTemplate("b");
    test::TempDir out;
    test::spit(out.file("a.ttp"), "old");
    BatchResult r = exportTemplates(folder, {"a.ttp", "b.ttp"}, out.path());
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_EQ(test::slurp(out.file("a.ttp")), test::slurp(folder.templateDir() + "a.ttp"));
    EXPECT_TRUE(fileExists(out.file("b.ttp")));

    r = exportTemplates(folder, {"a.ttp", "missing.ttp", "b.ttp"}, out.file("sub"));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.failed, "a.ttp"); // the target folder does not exist
}

}
}
