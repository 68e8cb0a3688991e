#pragma once

#include <string>
#include <vector>

namespace zentra::test {

struct CliResult {
    int exitCode = -1;
    std::string out; // standard output
    std::string err; // standard error
};

// Runs `binary` with the arguments (no shell quoting issues: each argument is
// passed as is) and collects its standard output and exit code.
CliResult runProgram(const std::string &binary, const std::vector<std::string> &args,
                     const std::vector<std::string> &env = {});

}
