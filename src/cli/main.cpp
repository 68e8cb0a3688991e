// zentra-cli: the command line over the same core as the main program, for
// automation and checks. Usage: zentra-cli [--home DIR] [--database URL] COMMAND [ARGS...]
#include "cli/CliCommand.h"
#include "core/Version.h"

#include "core/config/DatabaseSetting.h"

#include <clocale>
#include <cstring>
#include <iostream>

namespace zentra::cli {

std::vector<CliCommandInfo> &cliCommands()
{
    static std::vector<CliCommandInfo> commands;
    return commands;
}

CliRegistration::CliRegistration(std::string name, std::string usage, CliHandler handler)
{
    cliCommands().push_back({std::move(name), std::move(usage), std::move(handler)});
}

}

namespace {

void printUsage(std::ostream &out)
{
    out << "usage: zentra-cli [--home DIR] [--database URL] COMMAND [ARGS...]\n"
           "       zentra-cli --help | --version\n\ncommands:\n";
    for (const auto &c : zentra::cli::cliCommands())
        out << "  " << c.usage << "\n";
}

int usage()
{
    printUsage(std::cerr);
    return 2;
}

}

int main(int argc, char **argv)
{
    std::setlocale(LC_ALL, "C");
    std::string home, database;
    int i = 1;
    for (; i < argc; ++i) {
        if (std::strcmp(argv[i], "--home") == 0 && i + 1 < argc)
            home = argv[++i];
        else if (std::strncmp(argv[i], "--home=", 7) == 0)
            home = argv[i] + 7;
        else if (std::strcmp(argv[i], "--database") == 0 && i + 1 < argc)
            database = argv[++i];
        else if (std::strncmp(argv[i], "--database=", 11) == 0)
            database = argv[i] + 11;
        else
            break;
    }
    if (i >= argc)
        return usage();
    // The data folder and its database: --database, else config.ini's
    // [Database] url, else the embedded data/data.db.
    zentra::DataFolder folder = zentra::DataFolder::resolve(home);
    std::string error;
    if (!zentra::chooseDatabase(folder, database, &error)) {
        std::cerr << "zentra-cli: " << error << "\n";
        return 1;
    }
    std::string name = argv[i++];
    // Answered before any data folder is looked at.
    if (name == "--help" || name == "-h") {
        printUsage(std::cout);
        return 0;
    }
    if (name == "--version") {
        std::cout << "zentra-cli " << zentra::kVersion << "\n";
        return 0;
    }
    // A command may have verbs registered on their own ("print-list list"):
    // the two-word name is looked for first, then the command itself.
    if (i < argc) {
        const std::string verb = name + " " + argv[i];
        for (auto &c : zentra::cli::cliCommands())
            if (c.name == verb) {
                zentra::cli::CliContext ctx{folder, {argv + i + 1, argv + argc}};
                return c.handler(ctx);
            }
    }
    for (auto &c : zentra::cli::cliCommands()) {
        if (c.name != name)
            continue;
        zentra::cli::CliContext ctx{folder, {argv + i, argv + argc}};
        return c.handler(ctx);
    }
    std::cerr << "zentra-cli: unknown command '" << name << "'\n";
    return usage();
}
