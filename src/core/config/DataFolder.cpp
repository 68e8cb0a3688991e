#include "core/config/DataFolder.h"

#include "core/data/DbLocation.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <algorithm>
#include <cstdint>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zentra {

DataFolder::DataFolder(std::string root) : root_(std::move(root))
{
    while (root_.size() > 1 && root_.back() == '/')
        root_.pop_back();
}

DataFolder DataFolder::resolve(const std::string &homeArg)
{
    if (!homeArg.empty())
        return DataFolder(homeArg);
    if (const char *env = std::getenv("ZENTRA_HOME"); env && *env)
        return DataFolder(env);
    if (const char *xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
        return DataFolder(std::string(xdg) + "/zentra");
    const char *home = std::getenv("HOME");
    return DataFolder(std::string(home && *home ? home : ".") + "/.local/share/zentra");
}

bool DataFolder::isSharedDatabase() const
{
    return isServerLocation(database_);
}

DataFolder DataFolder::ofDatabase(const std::string &databasePath)
{
    constexpr std::string_view tail = "/data/data.db";
    if (databasePath.size() > tail.size() && databasePath.ends_with(tail))
        return DataFolder(databasePath.substr(0, databasePath.size() - tail.size()));
    // A database kept elsewhere (the program never does): the folder above
    // the database's own.
    const std::size_t slash = databasePath.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : databasePath.substr(0, slash);
    return DataFolder(dir + "/..");
}

std::string DataFolder::path(const std::string &relative) const
{
    return root_ + "/" + relative;
}

namespace {

bool makeDirs(const std::string &dir, std::string *error)
{
    std::string partial;
    std::size_t pos = 0;
    while (pos != std::string::npos) {
        pos = dir.find('/', pos + 1);
        partial = dir.substr(0, pos);
        if (partial.empty())
            continue;
        if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) {
            if (error)
                *error = partial + ": " + std::strerror(errno);
            return false;
        }
    }
    return true;
}

}

bool DataFolder::ensureLayout(std::string *error) const
{
    for (const char *sub : {"", "/data", "/backup", "/template"})
        if (!makeDirs(root_ + sub, error))
            return false;
    return true;
}

namespace {

// The path with its folder resolved: realpath of the file when it exists,
// else realpath of its folder and the last name. Empty when the folder does
// not exist either (nothing can then be written there).
std::string resolvedPath(const std::string &path)
{
    char buf[PATH_MAX];
    if (::realpath(path.c_str(), buf))
        return buf;
    // A link to a file that is not there (yet): where writing through it would land.
    std::string p = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            break;
        const ssize_t n = ::readlink(p.c_str(), buf, sizeof buf - 1);
        if (n <= 0)
            break;
        const std::string target(buf, static_cast<std::size_t>(n));
        const std::size_t slash = p.rfind('/');
        p = target.starts_with('/') || slash == std::string::npos ? target : p.substr(0, slash + 1) + target;
    }
    while (p.size() > 1 && p.back() == '/')
        p.pop_back();
    const std::size_t slash = p.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : p.substr(0, slash);
    const std::string name = slash == std::string::npos ? p : p.substr(slash + 1);
    if (name.empty() || name == "." || name == ".." || !::realpath(dir.c_str(), buf))
        return {};
    const std::string folder = buf;
    return folder + (folder == "/" ? "" : "/") + name;
}

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}

std::string dataFileOverwriteProblem(const DataFolder &folder, const std::string &path)
{
    static const char *const kOwnFiles[] = {
        "data/data.db",   "data/data.db-journal",   "data/data.db-wal",   "data/data.db-shm",
        "data/backup.db", "data/backup.db-journal", "data/backup.db-wal", "data/backup.db-shm",
        "backup/backup.bak", "config.ini", "config.ini.lock"};
    const std::string problem =
        path + ": 这是数据文件夹自己的文件（数据库、备份、设置或模板），不能写入";
    const std::string target = resolvedPath(path);
    struct stat targetStat;
    const bool exists = ::stat(path.c_str(), &targetStat) == 0;
    for (const char *own : kOwnFiles) {
        const std::string ownPath = folder.path(own);
        if (!target.empty() && target == resolvedPath(ownPath))
            return problem;
        struct stat ownStat;
        if (exists && ::stat(ownPath.c_str(), &ownStat) == 0 && sameFile(targetStat, ownStat))
            return problem;
    }
    // Template files: any ".ttp" inside the template folder, and any second
    // name of one.
    const std::string templates = resolvedPath(folder.path("template"));
    if (!target.empty() && !templates.empty() && target.size() > templates.size() + 1 &&
        target.compare(0, templates.size() + 1, templates + "/") == 0 && target.ends_with(".ttp"))
        return problem;
    if (exists && S_ISREG(targetStat.st_mode) && targetStat.st_nlink > 1) {
        // Only a file with several names can be a template under another name.
        const std::string dir = folder.path("template");
        if (DIR *d = ::opendir(dir.c_str())) {
            bool same = false;
            while (dirent *e = ::readdir(d)) {
                struct stat st;
                if (!same && ::stat((dir + "/" + e->d_name).c_str(), &st) == 0 && sameFile(st, targetStat))
                    same = true;
            }
            ::closedir(d);
            if (same)
                return problem;
        }
    }
    return {};
}

bool isWritableFile(const std::string &path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return errno == ENOENT;
    if (::geteuid() == 0)
        return (st.st_mode & 0222) != 0;
    return ::access(path.c_str(), W_OK) == 0;
}

bool writeFileAtomically(const std::string &path, std::string_view content, int mode, std::string *error)
{
    auto fail = [&](const std::string &what) {
        if (error)
            *error = what;
        return false;
    };
    struct stat old;
    if (::stat(path.c_str(), &old) == 0) {
        if (!S_ISREG(old.st_mode))
            return fail(path + ": not a regular file");
        if (!isWritableFile(path))
            return fail(path + ": the file is read-only");
        mode = static_cast<int>(old.st_mode & 07777);
    }
    std::string tmpl = path + ".XXXXXX";
    int fd = ::mkstemp(tmpl.data());
    auto failErrno = [&](bool cleanUp) {
        const int saved = errno;
        if (cleanUp)
            ::unlink(tmpl.c_str());
        return fail(path + ": " + std::strerror(saved));
    };
    if (fd < 0)
        return failErrno(false);
    std::size_t done = 0;
    while (done < content.size()) {
        ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int saved = errno;
            ::close(fd);
            errno = saved;
            return failErrno(true);
        }
        done += static_cast<std::size_t>(n);
    }
    // mkstemp creates 0600; give the file the mode asked for (or the old one's).
    if (::fchmod(fd, static_cast<mode_t>(mode)) != 0 || ::fsync(fd) != 0) {
        const int saved = errno;
        ::close(fd);
        errno = saved;
        return failErrno(true);
    }
    if (::close(fd) != 0 || ::rename(tmpl.c_str(), path.c_str()) != 0)
        return failErrno(true);
    return true;
}

ReadStatus readRegularFile(const std::string &path, std::string &content, std::size_t maxBytes, std::string *error)
{
    auto fail = [&](const std::string &why) {
        if (error)
            *error = path + ": " + why;
        return ReadStatus::Failed;
    };
    // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused
    // below like every other file that is not a regular one.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        if (errno == ENOENT) {
            if (error)
                *error = path + ": " + std::strerror(errno);
            return ReadStatus::Missing;
        }
        return fail(std::strerror(errno));
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return fail(std::strerror(errno));
    if (!S_ISREG(st.st_mode))
        return fail(S_ISDIR(st.st_mode) ? "is a folder" : "not a regular file");
    if (static_cast<std::uint64_t>(st.st_size) > maxBytes)
        return fail("larger than " + std::to_string(maxBytes) + " bytes");
    std::string data;
    data.resize(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    for (;;) {
        if (done == data.size()) {
            // The file may have grown since fstat: read on, within the limit.
            if (data.size() >= maxBytes + 1)
                break;
            data.resize(std::min<std::size_t>(maxBytes + 1, data.size() + 65536));
        }
        const ssize_t n = ::read(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(std::strerror(errno));
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    if (done > maxBytes)
        return fail("larger than " + std::to_string(maxBytes) + " bytes");
    data.resize(done);
    content = std::move(data);
    return ReadStatus::Ok;
}

bool readFile(const std::string &path, std::string &content)
{
    return readRegularFile(path, content, kMaxTemplateFileBytes) == ReadStatus::Ok;
}

bool fileExists(const std::string &path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

}
