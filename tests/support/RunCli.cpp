#include "support/RunCli.h"

#include <cstdlib>
#include <fcntl.h>
#include <utility>
#include <sys/wait.h>
#include <unistd.h>

namespace zentra::test {

namespace {

// Starts the program with its standard output on a pipe: the pid and the
// pipe's reading end, or -1 for both.
std::pair<pid_t, int> start(const std::string &binary, const std::vector<std::string> &args,
                            const std::vector<std::string> &env)
{
    int pipeFd[2];
    if (::pipe2(pipeFd, O_CLOEXEC) != 0)
        return {-1, -1};
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
    if (pid < 0) {
        ::close(pipeFd[0]);
        return {-1, -1};
    }
    return {pid, pipeFd[0]};
}

CliResult finish(pid_t pid, int fd)
{
    CliResult result;
    if (pid < 0)
        return result;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof buf)) > 0)
        result.out.append(buf, static_cast<std::size_t>(n));
    ::close(fd);
    int status = 0;
    ::waitpid(pid, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

}

CliResult runProgram(const std::string &binary, const std::vector<std::string> &args,
                     const std::vector<std::string> &env)
{
    const auto [pid, fd] = start(binary, args, env);
    return finish(pid, fd);
}

std::vector<CliResult> runConcurrently(const std::string &binary, const std::vector<std::vector<std::string>> &argLists,
                                       const std::vector<std::string> &env)
{
    std::vector<std::pair<pid_t, int>> started;
    for (const auto &args : argLists)
        started.push_back(start(binary, args, env));
    std::vector<CliResult> results;
    for (const auto &[pid, fd] : started)
        results.push_back(finish(pid, fd));
    return results;
}

}
