#pragma once

#include <string>

namespace zentra {

class ConfigFile;

// The correction one printer needs because it feeds paper a little off: how
// far every printed item is moved, in millimetres (right and down are
// positive). Kept per printer name in section PrinterOffset of config.ini as
// "x,y"; printing on that printer moves every item by it, PDF output never.
struct PrinterOffset {
    double x = 0;
    double y = 0;

    static constexpr double kLimit = 20.0; // millimetres either way
    bool isZero() const { return x == 0 && y == 0; }
};

// Held within +-kLimit and rounded to a tenth of a millimetre; NaN reads as 0.
double clampOffset(double mm);

// "x,y" -> offset; a value that is not two numbers reads as no offset.
PrinterOffset parsePrinterOffset(const std::string &text);
std::string formatPrinterOffset(const PrinterOffset &offset); // "1.5,-0.3"

// No offset for an empty name or one without a key.
PrinterOffset readPrinterOffset(const ConfigFile &config, const std::string &printerName);
bool writePrinterOffset(const ConfigFile &config, const std::string &printerName, const PrinterOffset &offset,
                        std::string *error = nullptr);

}
