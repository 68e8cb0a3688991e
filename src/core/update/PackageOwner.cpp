#include "core/update/PackageOwner.h"

#include "core/config/DataFolder.h"

#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <optional>
#include <sys/stat.h>
#include <vector>

namespace zentra {

namespace {

// A list of a large package (a kernel, a font collection) is a few MiB.
constexpr std::size_t kMaxListBytes = 64u << 20;

std::string baseName(const std::string &path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool sameFile(const struct stat &a, const std::string &path)
{
    struct stat b;
    return ::stat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// A file asked about: the names its listed path may end in (its own and, when
// it is a link, its target's) and the file it is on disk.
struct Wanted {
    std::string path;
    std::vector<std::string> names;
    struct stat file;
};

std::optional<Wanted> wanted(const std::string &path)
{
    Wanted w{path, {baseName(path)}, {}};
    if (path.empty() || ::stat(path.c_str(), &w.file) != 0)
        return std::nullopt;
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) && baseName(resolved) != w.names.front())
        w.names.push_back(baseName(resolved));
    return w;
}

// Whether a line of `list` names the file: only the lines that end in one of
// its names are candidates, so a list is scanned without a look at the disk
// for each of its lines.
bool listsFile(const std::string &list, const Wanted &w)
{
    for (const std::string &name : w.names) {
        const std::string needle = "/" + name + "\n";
        for (auto at = list.find(needle); at != std::string::npos; at = list.find(needle, at + 1)) {
            const auto start = list.rfind('\n', at) + 1;
            const std::string line = list.substr(start, at + needle.size() - 1 - start);
            if (line == w.path || sameFile(w.file, line))
                return true;
        }
    }
    return false;
}

// The package whose list names any of `files`; every list is read once.
std::string firstOwner(const std::vector<Wanted> &files, const std::string &adminDir)
{
    if (files.empty())
        return {};
    const std::string infoDir = adminDir + "/info";
    DIR *dir = ::opendir(infoDir.c_str());
    if (!dir)
        return {};
    std::string owner;
    while (const dirent *entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() <= 5 || name.compare(name.size() - 5, 5, ".list") != 0)
            continue;
        std::string list;
        if (readRegularFile(infoDir + "/" + name, list, kMaxListBytes) != ReadStatus::Ok)
            continue;
        // Every line, the first and a last one without a line feed too,
        // between two line feeds.
        list.insert(list.begin(), '\n');
        list.push_back('\n');
        for (const Wanted &w : files)
            if (listsFile(list, w))
                owner = name.substr(0, name.size() - 5);
        if (!owner.empty())
            break;
    }
    ::closedir(dir);
    return owner;
}

}

std::string dpkgAdminDir()
{
    const char *dir = std::getenv("DPKG_ADMINDIR");
    return dir && *dir ? std::string(dir) : std::string("/var/lib/dpkg");
}

std::string owningPackage(const std::string &file, const std::string &adminDir)
{
    std::vector<Wanted> files;
    if (auto w = wanted(file))
        files.push_back(std::move(*w));
    return firstOwner(files, adminDir);
}

bool packageManagedPrograms(const std::string &programDir, const std::string &adminDir)
{
    std::vector<Wanted> files;
    for (const char *program : {"zentra-update", "zentra"})
        if (auto w = wanted(programDir + "/" + program))
            files.push_back(std::move(*w));
    return !firstOwner(files, adminDir).empty();
}

}
