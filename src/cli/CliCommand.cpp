#include "cli/CliCommand.h"

#include <iostream>

namespace zentra::cli {

bool mayWriteOutput(const CliContext &ctx, const std::string &path)
{
    if (path.empty()) // no file: the output goes to a print queue
        return true;
    const std::string problem = dataFileOverwriteProblem(ctx.folder, path);
    if (problem.empty())
        return true;
    std::cerr << "zentra-cli: " << problem << "\n";
    return false;
}

}
