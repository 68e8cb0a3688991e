#pragma once

#include <array>
#include <string>

namespace zentra {

class ConfigFile;

// The one process-wide state of the main program: settings read at start-up,
// the logged-in user and its permission flags, the current template and the
// modes and marks that several windows share. The program makes one at
// start-up and hands it by reference to whoever needs it; only the UI thread
// touches it.
struct AppState {
    static constexpr int kPermissionCount = 50;

    std::string connectionString; // path of data/data.db
    bool tbBrowserOpen = false;
    int tbRecognizeMethod = 0; // 0 split at commas and spaces, 1 recognition, 2 smart recognition
    std::array<unsigned char, kPermissionCount> permissions{}; // 1 = allowed
    bool setPrintPageSize = false;
    bool noPrinterSelect = false;
    bool loginPass = false;
    bool tbInfoSelf = false;
    bool waybillModified = false;
    bool templateModified = false;
    float printerScale = 0.0f;
    int moveInterval = 0;
    int fontHeight = 0;
    int designMode = 0;
    int canvasPrintJob = 0; // 1 canvas, 2 ticked print-list rows, 3 all rows
    bool skipExitConfirm = false;
    std::string currentTemplateName;
    std::string currentUser;
    std::string fontName;
    std::string fontStyle;
    std::string fontColor;
    std::string printerName;

    bool allowed(int index) const
    {
        return index >= 0 && index < kPermissionCount && permissions[static_cast<std::size_t>(index)] == 1;
    }
    void allowAll() { permissions.fill(1); }
};

// The start-up reading: fills the fields kept in section System of the
// configuration file, in the order the keys are listed there. A missing file
// leaves every field as it is.
void readStartupSettings(AppState &state, const ConfigFile &config);

// The settings a new data folder starts with, written when it has no
// configuration file yet: every template carries its paper size, so jobs go
// out on it (setPrintPageSize=1). An existing file keeps its values, the
// missing key included (it reads as 0). False when the file cannot be written.
bool writeNewFolderSettings(const ConfigFile &config, std::string *error = nullptr);

}
