#include "support/RunCli.h"

#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

namespace zentra::test {

CliResult runProgram(const std::string &binary, const std::vector<std::string> &args,
                     const std::vector<std::string> &env)
{
    CliResult result;
    int pipeFd[2];
    if (::pipe(pipeFd) != 0)
        return result;
    pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeFd[1], 1);
        ::close(pipeFd[0]);
        ::close(pipeFd[1]);
        for (const auto &e : env)
            ::putenv(const_cast<char *>(e.c_str()));
        std::vector<char *> argv;
        argv.push_back(const_cast<char *>(binary.c_str()));
        for (const auto &a : args)
            argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(binary.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(pipeFd[1]);
    char buf[4096];
    ssize_t n;
    while ((n = ::read(pipeFd[0], buf, sizeof buf)) > 0)
        result.out.append(buf, static_cast<std::size_t>(n));
    ::close(pipeFd[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

}
