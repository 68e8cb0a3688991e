#include "core/data/ServerMaintenance.h"

#include "core/config/DataFolder.h"
#include "core/data/DbConnection.h"
#include "core/data/DbLocation.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace zentra {

namespace {

using namespace maintenance_text;

bool isExecutable(const std::string &path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// Runs `argv` (argv[0] a full path), its output and errors collected; the
// exit status, or -1 when it could not be started.
int run(const std::vector<std::string> &argv, std::string &output)
{
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        output = std::strerror(errno);
        return -1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 2);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    std::vector<char *> args;
    for (const std::string &a : argv)
        args.push_back(const_cast<char *>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (rc != 0) {
        ::close(pipeFds[0]);
        output = argv[0] + ": " + std::strerror(rc);
        return -1;
    }
    char buf[4096];
    ssize_t n;
    while ((n = ::read(pipeFds[0], buf, sizeof buf)) > 0 || (n < 0 && errno == EINTR))
        if (n > 0)
            output.append(buf, static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    while (!output.empty() && (output.back() == '\n' || output.back() == ' '))
        output.pop_back();
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string parentOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

bool isDirectory(const std::string &path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// What a missing tool means to the user.
std::string missingTool(const char *tool)
{
    return std::string(tool) + " is not installed: the backup of a PostgreSQL database needs the PostgreSQL client "
                               "tools (Debian package postgresql-client)";
}

}

std::string findPostgresTool(const std::string &name)
{
    if (const char *dir = std::getenv("ZENTRA_PG_BIN"); dir && *dir) {
        const std::string p = std::string(dir) + "/" + name;
        return isExecutable(p) ? p : std::string();
    }
    if (const char *path = std::getenv("PATH")) {
        std::string all = path;
        std::size_t start = 0;
        while (start <= all.size()) {
            std::size_t colon = all.find(':', start);
            if (colon == std::string::npos)
                colon = all.size();
            const std::string dir = all.substr(start, colon - start);
            if (!dir.empty() && isExecutable(dir + "/" + name))
                return dir + "/" + name;
            start = colon + 1;
        }
    }
    for (const char *dir : {"/usr/lib/postgresql/17/bin", "/usr/lib/postgresql/16/bin", "/usr/lib/postgresql/15/bin"})
        if (isExecutable(std::string(dir) + "/" + name))
            return std::string(dir) + "/" + name;
    return {};
}

std::string serverBackupPath(const DataFolder &folder)
{
    return folder.path("backup/backup.dump");
}

MaintenanceResult backupServerDatabase(const DataFolder &folder)
{
    const std::string url = folder.databasePath();
    const std::string target = serverBackupPath(folder);
    if (!isDirectory(parentOf(target)))
        return {false, kBackupFailed, parentOf(target) + ": no such folder"};
    const std::string tool = findPostgresTool("pg_dump");
    if (tool.empty())
        return {false, kBackupFailed, missingTool("pg_dump")};
    // Written beside the old backup and renamed over it when complete: a
    // good backup is never replaced by a broken one.
    std::string tmp = target + ".XXXXXX";
    const int fd = ::mkstemp(tmp.data());
    if (fd < 0)
        return {false, kBackupFailed, target + ": " + std::strerror(errno)};
    ::close(fd);
    std::string output;
    const int rc =
        run({tool, "--format=custom", "--no-owner", "--no-comments", "--file=" + tmp, "--dbname=" + url}, output);
    if (rc != 0) {
        ::unlink(tmp.c_str());
        return {false, kBackupFailed, describeLocation(url) + ": " + (output.empty() ? "pg_dump failed" : output)};
    }
    ::chmod(tmp.c_str(), 0600);
    if (std::rename(tmp.c_str(), target.c_str()) != 0) {
        const std::string why = std::strerror(errno);
        ::unlink(tmp.c_str());
        return {false, kBackupFailed, target + ": " + why};
    }
    return {true, kBackupOk, {}};
}

MaintenanceResult restoreServerDatabase(const DataFolder &folder)
{
    const std::string url = folder.databasePath();
    const std::string source = serverBackupPath(folder);
    struct stat st;
    if (::stat(source.c_str(), &st) != 0)
        return {false, kRestoreFailed, source + ": " + std::strerror(errno)};
    const std::string tool = findPostgresTool("pg_restore");
    if (tool.empty())
        return {false, kRestoreFailed, missingTool("pg_restore")};
    // Only a readable archive of our tables replaces the database.
    std::string listing;
    if (run({tool, "--list", source}, listing) != 0)
        return {false, kRestoreFailed, source + ": " + listing};
    if (listing.find(" TABLE ") == std::string::npos || listing.find(" receiver ") == std::string::npos)
        return {false, kRestoreFailed, source + ": not a backup of this program's database"};
    // One transaction: the database is replaced whole or stays as it was.
    std::string output;
    const int rc = run({tool, "--clean", "--if-exists", "--single-transaction", "--no-owner", "--no-comments",
                        "--exit-on-error", "--dbname=" + url, source},
                       output);
    if (rc != 0)
        return {false, kRestoreFailed, describeLocation(url) + ": " + (output.empty() ? "pg_restore failed" : output)};
    return {true, kRestoreOk, {}};
}

MaintenanceResult compactServerDatabase(const DataFolder &folder)
{
    DbConnection db;
    if (!db.open(folder.databasePath()))
        return {false, db.lastError(), {}};
    // Without FULL: the tables stay usable by the other stations meanwhile.
    if (!db.executeScript("VACUUM (ANALYZE)"))
        return {false, describeLocation(folder.databasePath()) + ": " + db.lastError(), {}};
    return {true, kCompactOk, {}};
}

}
