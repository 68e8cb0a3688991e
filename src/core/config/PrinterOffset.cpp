#include "core/config/PrinterOffset.h"

#include "core/config/ConfigFile.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace zentra {

namespace {
constexpr const char *kSection = "PrinterOffset";
}

double clampOffset(double mm)
{
    if (std::isnan(mm))
        return 0;
    if (mm > PrinterOffset::kLimit)
        mm = PrinterOffset::kLimit;
    if (mm < -PrinterOffset::kLimit)
        mm = -PrinterOffset::kLimit;
    const double tenths = std::round(mm * 10) / 10;
    return tenths == 0 ? 0 : tenths; // no "-0.0"
}

PrinterOffset parsePrinterOffset(const std::string &text)
{
    const char *begin = text.c_str();
    char *end = nullptr;
    const double x = std::strtod(begin, &end);
    if (end == begin)
        return {};
    while (*end == ' ')
        ++end;
    if (*end != ',')
        return {};
    const char *second = end + 1;
    const double y = std::strtod(second, &end);
    if (end == second)
        return {};
    while (*end == ' ')
        ++end;
    if (*end != '\0')
        return {};
    return {clampOffset(x), clampOffset(y)};
}

std::string formatPrinterOffset(const PrinterOffset &offset)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.1f,%.1f", clampOffset(offset.x), clampOffset(offset.y));
    return buf;
}

PrinterOffset readPrinterOffset(const ConfigFile &config, const std::string &printerName)
{
    if (printerName.empty())
        return {};
    return parsePrinterOffset(config.readText(kSection, printerName));
}

bool writePrinterOffset(const ConfigFile &config, const std::string &printerName, const PrinterOffset &offset,
                        std::string *error)
{
    if (printerName.empty())
        return true;
    return config.writeText(kSection, printerName, formatPrinterOffset(offset), error);
}

}
