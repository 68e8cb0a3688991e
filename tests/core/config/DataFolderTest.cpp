#include "core/config/DataFolder.h"
#include "core/data/Schema.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace zentra {
namespace {

// Whatever name leads to one of the data folder's own files, nothing we
// export may be written there; other files may.
TEST(DataFolder, ItsOwnFilesAreNeverAnExportsTarget)
{
    test::TempDir dir;
    DataFolder folder(dir.file("home"));
    ASSERT_TRUE(initDataFolder(folder));
    test::spit(folder.backupPath(), "backup");
    test::spit(folder.templateDir() + "顺丰.ttp", "template");
    ASSERT_EQ(::symlink(folder.path("data").c_str(), dir.file("dataLink").c_str()), 0);
    ASSERT_EQ(::symlink(folder.configPath().c_str(), dir.file("configLink").c_str()), 0);
    ASSERT_EQ(::link(folder.backupPath().c_str(), dir.file("backupHardLink").c_str()), 0);
    ASSERT_EQ(::link((folder.templateDir() + "顺丰.ttp").c_str(), dir.file("template.hard").c_str()), 0);

    const std::string refused[] = {
        folder.databasePath(),
        folder.path("data/data.db-journal"),
        folder.path("data/data.db-wal"),
        folder.path("data/backup.db"),
        folder.backupPath(),
        folder.configPath(),
        folder.path("config.ini.lock"),
        folder.templateDir() + "顺丰.ttp",
        folder.templateDir() + "新模板.ttp",
        folder.path("template//../data/./data.db"),
        folder.path("backup/") + "../config.ini",
        dir.file("dataLink/data.db"),
        dir.file("configLink"),
        dir.file("backupHardLink"),
        dir.file("template.hard"),
    };
    for (const std::string &p : refused)
        EXPECT_NE(dataFileOverwriteProblem(folder, p), "") << p;

    const std::string allowed[] = {
        dir.file("receivers.csv"),
        folder.path("receivers.csv"),
        folder.path("data/export.csv"),
        folder.templateDir() + "list.csv",
        dir.file("dataLink/other.db"),
        dir.file("no/such/folder/x.csv"),
    };
    for (const std::string &p : allowed)
        EXPECT_EQ(dataFileOverwriteProblem(folder, p), "") << p;
}

}
}
