#pragma once

#include <QStringList>

#include <memory>
#include <optional>

namespace zentra {
struct AppState;
class DataFolder;
}

namespace zentra::ui {

class CMainFrame;
class Dialogs;
class ShellServices;

// The program's start-up: finds and, on first start, creates the data folder;
// checks the database as the restore checks a backup; reads config.ini into
// AppState; runs the login when it is switched on; makes
// and shows the main window. It owns the main window.
class CQuorvelApp {
public:
    CQuorvelApp(AppState &state, Dialogs &dialogs, ShellServices &shell);
    ~CQuorvelApp();

    // `arguments` without the program name; "--home DIR" picks the data
    // folder. Returns nothing when the main window is up and the event loop
    // should run, or the exit code to end with (1 when the login was
    // cancelled, also the setting of admin's password it needs first, or the
    // data folder cannot be made).
    std::optional<int> initInstance(const QStringList &arguments);

    CMainFrame *mainFrame() const { return frame_.get(); }
    const DataFolder *dataFolder() const { return folder_.get(); }

    // Uses a CJK font for the whole interface when one is installed.
    static void applyInterfaceFont();

private:
    // Names a damaged database before anything reads it, and offers the
    // restore from backup/backup.bak when that backup is good. False when
    // the database is still damaged.
    bool checkDatabaseAtStart();
    // Puts the waybill canvas and the design panel into the main window and
    // connects the window's canvas and design commands to them.
    void plugCanvas();

    AppState &state_;
    Dialogs &dialogs_;
    ShellServices &shell_;
    std::unique_ptr<DataFolder> folder_;
    std::unique_ptr<CMainFrame> frame_;
};

}
