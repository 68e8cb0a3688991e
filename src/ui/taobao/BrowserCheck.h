#pragma once

#include <QString>

namespace zentra::ui {

// What decides whether the order pages' browser can start on this machine.
// The browser engine does not report these problems: it ends the whole
// process (as root without its sandbox switched off, or without its helper
// program), so they are looked at before the first browser window is made.
struct BrowserEnvironment {
    bool root = false;               // the program runs as root
    bool sandboxSwitchedOff = false; // whoever started it switched the sandbox off on purpose
    bool helperFound = true;         // the engine's helper program is where the engine looks
    QString helperPath;              // where it was looked for
};

// The environment of this process: user ids, QTWEBENGINE_DISABLE_SANDBOX,
// "--no-sandbox" in QTWEBENGINE_CHROMIUM_FLAGS or the command line, and
// QtWebEngineProcess (QTWEBENGINEPROCESS_PATH, Qt's program folder, ours).
BrowserEnvironment currentBrowserEnvironment();

// Why the browser cannot start, as the user is told it; empty when it can.
// As root the browser is refused, not run without its sandbox: it shows the
// marketplace's pages and holds the shop's login, and a page that broke out
// of an unsandboxed browser would own the machine. Only a sandbox switched
// off on purpose by whoever started the program lets it run as root.
QString browserStartProblem(const BrowserEnvironment &env);

}
