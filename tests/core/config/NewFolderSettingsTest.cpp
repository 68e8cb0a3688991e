#include "core/config/AppState.h"
#include "core/config/ConfigFile.h"
#include "core/config/DataFolder.h"
#include "core/data/Schema.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace zentra {
namespace {

using test::slurp;
using test::spit;

// Every template carries its paper size, so a new data folder prints on it;
// a folder that already has settings keeps them, a missing key included.
TEST(NewFolderSettings, ANewFolderPrintsOnTheTemplatesPaperAnOldOneKeepsItsSettings)
{
    const struct {
        const char *name;
        const char *config;   // config.ini before the first start; nullptr: none
        bool database;        // a database there already
        const char *expected; // setPrintPageSize after the first start
        bool flag;            // as the start-up reading takes it
    } cases[] = {
        {"new folder", nullptr, false, "1", true},
        {"settings brought along, off", "[System]\r\nsetPrintPageSize=0\r\n", false, "0", false},
        {"settings without the key", "[System]\r\nprinterName=HP\r\n", false, "", false},
        {"existing shop without settings", nullptr, true, "", false},
    };
    for (const auto &c : cases) {
        test::TempDir dir;
        const DataFolder folder(dir.file("shop"));
        ASSERT_TRUE(folder.ensureLayout());
        if (c.config)
            spit(folder.configPath(), c.config);
        if (c.database) {
            ASSERT_TRUE(initDataFolder(folder));
            std::filesystem::remove(folder.configPath());
        }
        ASSERT_TRUE(initDataFolder(folder)) << c.name;
        const ConfigFile config(folder.configPath());
        EXPECT_EQ(config.readText("System", "setPrintPageSize"), c.expected) << c.name;
        AppState state;
        readStartupSettings(state, config);
        EXPECT_EQ(state.setPrintPageSize, c.flag) << c.name;
        if (c.config) {
            EXPECT_EQ(slurp(folder.configPath()), c.config) << c.name;
        }
    }
}

}
}
