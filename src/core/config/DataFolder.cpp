#include "core/config/DataFolder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
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

bool writeFileAtomically(const std::string &path, std::string_view content, int mode, std::string *error)
{
    std::string tmpl = path + ".XXXXXX";
    int fd = ::mkstemp(tmpl.data());
    auto fail = [&](const std::string &what) {
        if (error)
            *error = what + ": " + std::strerror(errno);
        return false;
    };
    if (fd < 0)
        return fail(path);
    std::size_t done = 0;
    while (done < content.size()) {
        ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            int saved = errno;
            ::close(fd);
            ::unlink(tmpl.c_str());
            errno = saved;
            return fail(path);
        }
        done += static_cast<std::size_t>(n);
    }
    // mkstemp creates 0600; give the file the mode asked for.
    if (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0 || ::close(fd) != 0) {
        int saved = errno;
        ::unlink(tmpl.c_str());
        errno = saved;
        return fail(path);
    }
    if (::rename(tmpl.c_str(), path.c_str()) != 0) {
        int saved = errno;
        ::unlink(tmpl.c_str());
        errno = saved;
        return fail(path);
    }
    return true;
}

bool readFile(const std::string &path, std::string &content)
{
    // A folder opens as an empty stream; it is not a file that can be read.
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
        return false;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    content = ss.str();
    return true;
}

bool fileExists(const std::string &path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

}
