#pragma once

#include "core/config/PrinterOffset.h"

#include <string>
#include <vector>

namespace zentra {

struct AppState;
class ConfigFile;

// The values of the four pages of the settings sheet. Each page's values are
// read from the running program's settings, and applying a page writes its
// keys into section System of config.ini, in the page's own order, and makes
// them the running program's settings at once. A key that cannot be written
// does not stop the others; the reasons are collected in `errors`.

struct RoutineSettings {
    bool loginPass = false;
};

struct TemplateSettings {
    std::string fontHeight; // point size as chosen, "12"
    std::string fontName;
    std::string fontStyle;
    std::string fontColor; // "r,g,b"
    std::string moveInterval;
};

struct TaobaoSettings {
    bool tbInfoSelf = false;
    bool tbBrowserOpen = false;
    int tbRecognizeMethod = 0; // 0 split, 1 recognition, 2 smart recognition
};

struct PrintPageSettings {
    std::string printerName; // empty: none chosen
    bool noPrinterSelect = false;
    bool setPrintPageSize = false;
    std::string printerScale; // as typed in the edit
    PrinterOffset offset;     // of printerName
};

// The entries of the template page's drop-downs.
inline constexpr const char *kFontStyles = "正常;粗体;斜体;粗斜";
inline constexpr const char *kFontSizes = "6;7;8;9;10;11;12;13;14;15;16;17;18;20;22;24;30;36;48;60;72";
inline constexpr const char *kMoveIntervals = "1;2;3;4;5;6;7;8;9";
std::vector<std::string> splitEntries(const std::string &list); // at ";"

// The scale a typed factor is stored as: itself when in (0, 3], else 1.0.
double storedPrinterScale(const std::string &typed);
// "%f" of a factor, as the key holds it ("1.000000").
std::string formatPrinterScale(double scale);
// "%0.2f", as the print page's edit shows the slider's position.
std::string formatScaleEdit(double scale);

RoutineSettings routineSettings(const AppState &state);
TemplateSettings templateSettings(const AppState &state);
TaobaoSettings taobaoSettings(const AppState &state);
// The offset of the running program's printer comes from config.ini. The
// scale is the one printing uses ("1.00" for a scale never stored).
PrintPageSettings printPageSettings(const AppState &state, const ConfigFile &config);

void applyRoutine(const RoutineSettings &s, const ConfigFile &config, AppState &state,
                  std::vector<std::string> &errors);
void applyTemplate(const TemplateSettings &s, const ConfigFile &config, AppState &state,
                   std::vector<std::string> &errors);
void applyTaobao(const TaobaoSettings &s, const ConfigFile &config, AppState &state, std::vector<std::string> &errors);
void applyPrint(const PrintPageSettings &s, const ConfigFile &config, AppState &state,
                std::vector<std::string> &errors);

}
