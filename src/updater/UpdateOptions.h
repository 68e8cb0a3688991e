#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace zentra::updater {

// zentra-update [--batch] [--home DIR] [--dir DIR] [--base URL] [--no-restart] [--timeout MS]
//               | --help | --version
struct UpdateOptions {
    bool batch = false;
    bool restart = true;
    QString home;       // empty: the default data folder
    QString programDir; // empty: the folder of zentra-update
    QString base;       // empty: Update/baseUrl of config.ini
    int timeoutMs = 30000;
};

inline constexpr const char *kUpdateUsage =
    "usage: zentra-update [--batch] [--home DIR] [--dir DIR] [--base URL] [--no-restart] [--timeout MS]\n"
    "       zentra-update --help | --version\n";

// The options, or nothing with `error` set.
std::optional<UpdateOptions> parseUpdateOptions(const QStringList &arguments, QString *error);

}
