#include "core/update/PackageOwner.h"

#include "core/config/DataFolder.h"

#include <climits>
#include <cstdlib>
#include <dirent.h>
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

// Whether a line of `list` names the file `target`: the lines that end in one
// of `names` are the only candidates, so a list is scanned without a look at
// the disk for each of its lines.
bool listsFile(std::string list, const std::vector<std::string> &names, const std::string &file,
               const struct stat &target)
{
    list.insert(list.begin(), '\n');
    list.push_back('\n');
    for (const std::string &name : names) {
        const std::string needle = "/" + name + "\n";
        for (auto at = list.find(needle); at != std::string::npos; at = list.find(needle, at + 1)) {
            const auto start = list.rfind('\n', at) + 1;
            const std::string line = list.substr(start, at + needle.size() - 1 - start);
            if (line == file || sameFile(target, line))
                return true;
        }
    }
    return false;
}

}

std::string dpkgAdminDir()
{
    const char *dir = std::getenv("DPKG_ADMINDIR");
    return dir && *dir ? std::string(dir) : std::string("/var/lib/dpkg");
}

std::string owningPackage(const std::string &file, const std::string &adminDir)
{
    struct stat target;
    if (file.empty() || ::stat(file.c_str(), &target) != 0)
        return {};
    std::vector<std::string> names = {baseName(file)};
    char resolved[PATH_MAX];
    if (::realpath(file.c_str(), resolved) && baseName(resolved) != names.front())
        names.push_back(baseName(resolved));

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
        if (listsFile(std::move(list), names, file, target)) {
            owner = name.substr(0, name.size() - 5);
            break;
        }
    }
    ::closedir(dir);
    return owner;
}

bool packageManagedPrograms(const std::string &programDir, const std::string &adminDir)
{
    for (const char *program : {"zentra-update", "zentra"})
        if (!owningPackage(programDir + "/" + program, adminDir).empty())
            return true;
    return false;
}

}
