#include "core/config/DataFolder.h"

#include "core/data/DbLocation.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <algorithm>
#include <cstdint>
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
