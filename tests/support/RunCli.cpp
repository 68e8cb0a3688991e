#include "support/RunCli.h"

#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zentra::test {

namespace {

// A started program: its pid and the reading ends of the pipes on its
// standard output and standard error (all -1 when it could not start).
struct Started {
    pid_t pid = -1;
    int out = -1;
    int err = -1;
};

// The pipes are close-on-exec, so a program started later (runConcurrently)
// never holds another one's pipe open.
Started start(const std::string &binary, const std::vector<std::string> &args, const std::vector<std::string> &env)
{
    int outPipe[2], errPipe[2];
    if (::pipe2(outPipe, O_CLOEXEC) != 0)
        return {};
    if (::pipe2(errPipe, O_CLOEXEC) != 0) {
        ::close(outPipe[0]);
        ::close(outPipe[1]);
        return {};
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
    if (pid < 0) {
        ::close(outPipe[0]);
        ::close(errPipe[0]);
        return {};
    }
    return {pid, outPipe[0], errPipe[0]};
}

CliResult finish(const Started &s)
{
    CliResult result;
    if (s.pid < 0)
        return result;
    // Both streams at once, so a program that fills one is never stuck.
    pollfd fds[2] = {{s.out, POLLIN, 0}, {s.err, POLLIN, 0}};
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
    for (const pollfd &p : fds)
        if (p.fd >= 0)
            ::close(p.fd);
    int status = 0;
    ::waitpid(s.pid, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

}

CliResult runProgram(const std::string &binary, const std::vector<std::string> &args,
                     const std::vector<std::string> &env)
{
    return finish(start(binary, args, env));
}

std::vector<CliResult> runConcurrently(const std::string &binary, const std::vector<std::vector<std::string>> &argLists,
                                       const std::vector<std::string> &env)
{
    std::vector<Started> started;
    for (const auto &args : argLists)
        started.push_back(start(binary, args, env));
    std::vector<CliResult> results;
    for (const Started &s : started)
        results.push_back(finish(s));
    return results;
}

}
