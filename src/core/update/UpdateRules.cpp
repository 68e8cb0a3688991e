#include "core/update/UpdateRules.h"

namespace zentra {

std::string versionKey(std::string_view versionFile)
{
    std::string_view key = versionFile.substr(0, 12);
    if (auto nul = key.find('\0'); nul != std::string_view::npos)
        key = key.substr(0, nul);
    return std::string(key);
}

bool sameVersion(std::string_view localVersionFile, std::string_view serverVersionFile)
{
    return versionKey(localVersionFile) == versionKey(serverVersionFile);
}

std::vector<ListedFile> parseFileList(std::string_view text)
{
    std::vector<ListedFile> files;
    std::size_t start = 0;
    for (std::size_t lf = text.find('\n'); lf != std::string_view::npos; lf = text.find('\n', start)) {
        std::string_view line = text.substr(start, lf - start);
        start = lf + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            continue;
        const std::size_t bar = line.find('|');
        if (bar == std::string_view::npos)
            files.push_back({std::string(line), std::string()});
        else
            files.push_back({std::string(line.substr(0, bar)), std::string(line.substr(bar + 1))});
    }
    return files;
}

std::optional<std::string> safeRelativePath(std::string_view listed)
{
    if (listed.empty() || listed.find('\0') != std::string_view::npos)
        return std::nullopt;
    const char first = listed.front();
    if (first == '/' || first == '\\')
        return std::nullopt;
    // A drive ("C:\x", "C:x") or any other colon form Windows reads as a stream
    // or device name; none belongs in a release file list.
    if (listed.find(':') != std::string_view::npos)
        return std::nullopt;
    const char last = listed.back();
    if (last == '/' || last == '\\')
        return std::nullopt;

    std::string relative;
    std::string_view part;
    std::size_t start = 0;
    while (start <= listed.size()) {
        std::size_t end = listed.find_first_of("/\\", start);
        if (end == std::string_view::npos)
            end = listed.size();
        part = listed.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".")
            continue;
        if (part == "..")
            return std::nullopt;
        if (!relative.empty())
            relative += '/';
        relative += part;
    }
    // "a/." names the folder a, not a file in it.
    if (relative.empty() || part == ".")
        return std::nullopt;
    return relative;
}

std::uint64_t maxReleaseFileBytes(std::string_view configuredMB)
{
    while (!configuredMB.empty() && (configuredMB.front() == ' ' || configuredMB.front() == '\t'))
        configuredMB.remove_prefix(1);
    while (!configuredMB.empty() && (configuredMB.back() == ' ' || configuredMB.back() == '\t'))
        configuredMB.remove_suffix(1);
    // Digits only, at most seven of them.
    std::uint64_t mb = 0;
    bool valid = !configuredMB.empty() && configuredMB.size() <= 7;
    for (char c : configuredMB) {
        if (c < '0' || c > '9') {
            valid = false;
            break;
        }
        mb = mb * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (!valid || mb == 0)
        mb = kDefaultMaxFileMB;
    return mb * 1024 * 1024;
}

int overallPercent(int done, int total)
{
    if (total <= 0)
        return 100;
    return static_cast<int>(static_cast<long long>(done) * 100 / total);
}

}
