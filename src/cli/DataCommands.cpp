// init, config get/set, backup, restore, compact.
#include "cli/CliCommand.h"
#include "core/config/ConfigFile.h"
#include "core/config/DatabaseSetting.h"
#include "core/data/Maintenance.h"
#include "core/data/Schema.h"

#include <iostream>

namespace zentra::cli {
namespace {

bool sameKey(const std::string &a, const char *b)
{
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if ((a[i] | 0x20) != (b[i] | 0x20))
            return false;
    return i == a.size() && !b[i];
}

int init(CliContext &ctx)
{
    std::string error;
    if (!initDataFolder(ctx.folder, &error)) {
        std::cout << error << "\n";
        return 1;
    }
    std::cout << ctx.folder.root() << "\n";
    return 0;
}

int config(CliContext &ctx)
{
    const auto &a = ctx.args;
    if (a.size() == 3 && a[0] == "get") {
        std::cout << ConfigFile(ctx.folder.configPath()).readText(a[1], a[2]) << "\n";
        return 0;
    }
    if (a.size() == 4 && a[0] == "set") {
        std::string error;
        const ConfigFile file(ctx.folder.configPath());
        // The database's URL never takes a password along.
        const bool url = sameKey(a[1], "Database") && sameKey(a[2], "url");
        if (!ctx.folder.ensureLayout(&error) ||
            !(url ? writeDatabaseUrl(file, a[3], &error) : file.writeText(a[1], a[2], a[3], &error))) {
            std::cerr << "zentra-cli: config set: " << error << "\n";
            return 1;
        }
        return 0;
    }
    std::cerr << "usage: zentra-cli config get SECTION KEY | config set SECTION KEY VALUE\n";
    return 2;
}

int report(const MaintenanceResult &r)
{
    std::cout << r.message << "\n";
    if (!r.detail.empty())
        std::cerr << "zentra-cli: " << r.detail << "\n";
    return r.ok ? 0 : 1;
}

const CliRegistration regInit("init", "init", init);
const CliRegistration regConfig("config", "config get SECTION KEY | config set SECTION KEY VALUE", config);
const CliRegistration regBackup("backup", "backup", [](CliContext &c) { return report(backupDatabase(c.folder)); });
const CliRegistration regRestore("restore", "restore", [](CliContext &c) { return report(restoreDatabase(c.folder)); });
const CliRegistration regCompact("compact", "compact", [](CliContext &c) { return report(compactDatabase(c.folder)); });

}
}
