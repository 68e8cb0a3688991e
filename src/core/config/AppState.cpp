#include "core/config/AppState.h"

#include "core/config/ConfigFile.h"
#include "core/config/DataFolder.h"

#include <cstdlib>

namespace zentra {

void readStartupSettings(AppState &s, const ConfigFile &config)
{
    if (!fileExists(config.path()))
        return;
    const std::string sys = "System";
    s.printerName = config.readText(sys, "printerName");
    s.noPrinterSelect = config.readFlag(sys, "noPrintreSel");
    s.setPrintPageSize = config.readFlag(sys, "setPrintPageSize");
    s.tbInfoSelf = config.readFlag(sys, "tbInfoSelf");
    s.tbBrowserOpen = config.readFlag(sys, "tbBrowserOpen");
    // 0, 1 or 2; anything else is the first method.
    const int method = config.readInt(sys, "tbRecognizeMethod", 0);
    s.tbRecognizeMethod = method >= 0 && method <= 2 ? method : 0;
    s.loginPass = config.readFlag(sys, "loginPass");
    s.fontHeight = std::atoi(config.readText(sys, "fontHeight").c_str());
    s.fontName = config.readText(sys, "fontName");
    s.fontStyle = config.readText(sys, "fontStyle");
    s.fontColor = config.readText(sys, "fontColor");
    s.moveInterval = std::atoi(config.readText(sys, "moveInterval").c_str());
    // strtod follows LC_NUMERIC, which the program keeps at "C" (the main
    // program resets it after Qt has applied the user's locale).
    s.printerScale = static_cast<float>(std::strtod(config.readText(sys, "printerScale").c_str(), nullptr));
}

bool writeNewFolderSettings(const ConfigFile &config, std::string *error)
{
    if (fileExists(config.path()))
        return true;
    return config.writeText("System", "setPrintPageSize", "1", error);
}

}
