#include "core/config/DatabaseSetting.h"

#include "core/config/ConfigFile.h"
#include "core/config/DataFolder.h"
#include "core/data/DbLocation.h"

namespace zentra {

namespace {

constexpr const char *kSection = "Database";
constexpr const char *kKey = "url";

std::string passwordRefusal()
{
    return "config.ini [Database] url must not hold a password: keep it in ~/.pgpass, $PGPASSWORD or a "
           "service file";
}

}

std::string readDatabaseUrl(const ConfigFile &config)
{
    if (!fileExists(config.path()))
        return {};
    return config.readText(kSection, kKey);
}

bool writeDatabaseUrl(const ConfigFile &config, const std::string &url, std::string *error)
{
    if (isServerLocation(url) && parseServerLocation(url).hasPassword) {
        if (error)
            *error = passwordRefusal();
        return false;
    }
    return config.writeText(kSection, kKey, url, error);
}

bool chooseDatabase(DataFolder &folder, const std::string &argument, std::string *error)
{
    if (!argument.empty()) {
        folder.setDatabase(argument);
        return true;
    }
    const std::string url = readDatabaseUrl(ConfigFile(folder.configPath()));
    if (isServerLocation(url) && parseServerLocation(url).hasPassword) {
        if (error)
            *error = passwordRefusal();
        return false;
    }
    folder.setDatabase(url);
    return true;
}

}
