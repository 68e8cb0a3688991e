#include "core/users/SystemSettings.h"

#include "core/config/AppState.h"
#include "core/config/ConfigFile.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace zentra {

namespace {

constexpr const char *kSystem = "System";

void write(const ConfigFile &config, const char *key, const std::string &value, std::vector<std::string> &errors)
{
    std::string error;
    if (!config.writeText(kSystem, key, value, &error))
        errors.push_back(std::string(key) + ": " + error);
}

void writeFlag(const ConfigFile &config, const char *key, bool on, std::vector<std::string> &errors)
{
    write(config, key, on ? "1" : "0", errors);
}

}

std::vector<std::string> splitEntries(const std::string &list)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t semi = list.find(';', start);
        const std::string entry = list.substr(start, semi == std::string::npos ? std::string::npos : semi - start);
        if (!entry.empty())
            out.push_back(entry);
        if (semi == std::string::npos)
            break;
        start = semi + 1;
    }
    return out;
}

double storedPrinterScale(const std::string &typed)
{
    const double v = std::strtod(typed.c_str(), nullptr);
    return v > 0 && v <= 3.0 ? v : 1.0; // NaN fails both tests
}

std::string formatPrinterScale(double scale)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%f", scale);
    return buf;
}

std::string formatScaleEdit(double scale)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%0.2f", scale);
    return buf;
}

RoutineSettings routineSettings(const AppState &state)
{
    return {state.loginPass};
}

TemplateSettings templateSettings(const AppState &state)
{
    return {std::to_string(state.fontHeight), state.fontName, state.fontStyle, state.fontColor,
            std::to_string(state.moveInterval)};
}

TaobaoSettings taobaoSettings(const AppState &state)
{
    return {state.tbInfoSelf, state.tbBrowserOpen, state.tbRecognizeMethod};
}

PrintPageSettings printPageSettings(const AppState &state, const ConfigFile &config)
{
    PrintPageSettings s;
    s.printerName = state.printerName;
    s.noPrinterSelect = state.noPrinterSelect;
    s.setPrintPageSize = state.setPrintPageSize;
    // The factor printing uses: one never stored (0.0) or out of range
    // prints as 1.0, and the page says so.
    s.printerScale = formatScaleEdit(storedPrinterScale(formatPrinterScale(state.printerScale)));
    s.offset = readPrinterOffset(config, state.printerName);
    return s;
}

void applyRoutine(const RoutineSettings &s, const ConfigFile &config, AppState &state, std::vector<std::string> &errors)
{
    writeFlag(config, "loginPass", s.loginPass, errors);
    state.loginPass = s.loginPass;
}

void applyTemplate(const TemplateSettings &s, const ConfigFile &config, AppState &state,
                   std::vector<std::string> &errors)
{
    write(config, "fontHeight", s.fontHeight, errors);
    state.fontHeight = std::atoi(s.fontHeight.c_str());
    write(config, "fontName", s.fontName, errors);
    state.fontName = s.fontName;
    write(config, "fontStyle", s.fontStyle, errors);
    state.fontStyle = s.fontStyle;
    write(config, "fontColor", s.fontColor, errors);
    state.fontColor = s.fontColor;
    write(config, "moveInterval", s.moveInterval, errors);
    state.moveInterval = std::atoi(s.moveInterval.c_str());
}

void applyTaobao(const TaobaoSettings &s, const ConfigFile &config, AppState &state, std::vector<std::string> &errors)
{
    const int method = s.tbRecognizeMethod >= 0 && s.tbRecognizeMethod <= 2 ? s.tbRecognizeMethod : 0;
    writeFlag(config, "tbInfoSelf", s.tbInfoSelf, errors);
    writeFlag(config, "tbBrowserOpen", s.tbBrowserOpen, errors);
    write(config, "tbRecognizeMethod", std::to_string(method), errors);
    state.tbInfoSelf = s.tbInfoSelf;
    state.tbBrowserOpen = s.tbBrowserOpen;
    state.tbRecognizeMethod = method;
}

void applyPrint(const PrintPageSettings &s, const ConfigFile &config, AppState &state, std::vector<std::string> &errors)
{
    write(config, "printerName", s.printerName, errors);
    state.printerName = s.printerName;
    const double scale = storedPrinterScale(s.printerScale);
    write(config, "printerScale", formatPrinterScale(scale), errors);
    state.printerScale = static_cast<float>(scale);
    writeFlag(config, "noPrintreSel", s.noPrinterSelect, errors);
    state.noPrinterSelect = s.noPrinterSelect;
    writeFlag(config, "setPrintPageSize", s.setPrintPageSize, errors);
    state.setPrintPageSize = s.setPrintPageSize;
    std::string error;
    if (!writePrinterOffset(config, s.printerName, s.offset, &error))
        errors.push_back("PrinterOffset: " + error);
}

}
