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
// passed as is) and collects its standard output, standard error and exit code.
CliResult runProgram(const std::string &binary, const std::vector<std::string> &args,
                     const std::vector<std::string> &env = {});

// Starts one process of `binary` per argument list, all before waiting for
// any, and collects each one's output, error output and exit code (in the same order).
std::vector<CliResult> runConcurrently(const std::string &binary, const std::vector<std::vector<std::string>> &argLists,
                                       const std::vector<std::string> &env = {});

}
