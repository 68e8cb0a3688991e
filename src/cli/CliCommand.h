#pragma once

#include "core/config/DataFolder.h"

#include <functional>
#include <string>
#include <vector>

namespace zentra::cli {

// What a subcommand gets: the data folder chosen by --home / ZENTRA_HOME /
// XDG_DATA_HOME, and its own arguments (after the command name).
struct CliContext {
    DataFolder folder;
    std::vector<std::string> args;
};

// A subcommand returns the process exit code: 0 on success, 1 on failure,
// 2 for wrong usage.
using CliHandler = std::function<int(CliContext &)>;

// Each subcommand lives in its own file and registers itself with a static
// CliRegistration, so adding one touches no shared table. A name of two words
// ("print-list list") registers one verb of a command on its own; it is found
// before the one-word command of the same first word.
struct CliRegistration {
    CliRegistration(std::string name, std::string usage, CliHandler handler);
};

struct CliCommandInfo {
    std::string name;
    std::string usage;
    CliHandler handler;
};
std::vector<CliCommandInfo> &cliCommands();

// False, with the reason on standard error, when `path` (a file the command
// is asked to write) is one of the data folder's own files.
bool mayWriteOutput(const CliContext &ctx, const std::string &path);

}
