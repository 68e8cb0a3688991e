#include "support/RunCli.h"

#include <cstdlib>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zentra::test {

CliResult runProgram(const std::string &binary, const std::vector<std::string> &args,
                     const std::vector<std::string> &env)
{
    CliResult result;
    int outPipe[2], errPipe[2];
    if (::pipe(outPipe) != 0)
        return result;
    if (::pipe(errPipe) != 0) {
        ::close(outPipe[0]);
        ::close(outPipe[1]);
        return result;
    }
    pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(outPipe[1], 1);
        ::dup2(errPipe[1], 2);
        for (int fd : {outPipe[0], outPipe[1], errPipe[0], errPipe[1]})
            ::close(fd);
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
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    // Both streams at once, so a program that fills one is never stuck.
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    std::string *into[2] = {&result.out, &result.err};
    int open = 2;
    char buf[4096];
    while (open > 0) {
        if (::poll(fds, 2, -1) < 0)
            break;
        for (int k = 0; k < 2; ++k) {
            if (fds[k].fd < 0 || !(fds[k].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            const ssize_t n = ::read(fds[k].fd, buf, sizeof buf);
            if (n > 0) {
                into[k]->append(buf, static_cast<std::size_t>(n));
            } else {
                ::close(fds[k].fd);
                fds[k].fd = -1;
                --open;
            }
        }
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

}
