#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace zentra {

// The rules the updater applies to what the update server sends: the version
// file, the file list and the paths it names. No network, no files.

// A release is identified by the first 12 bytes of its Version.txt, read as
// NUL-terminated text (a shorter file counts up to its end, a NUL ends it
// early). Equal keys mean the installed release is the server's.
std::string versionKey(std::string_view versionFile);
bool sameVersion(std::string_view localVersionFile, std::string_view serverVersionFile);

// One line of FileList.txt: "digest|path". `path` is as listed (Windows
// separators and all); the digest is everything before the first '|'.
struct ListedFile {
    std::string digest;
    std::string path;
};

// Lines end with LF (a CR before it is dropped); a last line without a line
// feed is not taken, as it may be cut off. Empty lines are skipped. A line
// without '|' has an empty path, which `safeRelativePath` refuses.
std::vector<ListedFile> parseFileList(std::string_view text);

// A listed path as a relative path with '/' separators, or nothing when it
// could point outside the folder it is relative to: empty, absolute (also
// "C:..." and "\\server"), a ".." part, a NUL byte, or no file name at the end.
// Backslashes count as separators; "." parts and doubled separators drop out.
std::optional<std::string> safeRelativePath(std::string_view listed);

// What the updater has to fetch: the listed files whose local digest differs
// from the listed one, in list order, with their safe relative paths.
struct PendingFile {
    std::string digest;
    std::string relative;
};

struct FetchPlan {
    std::vector<PendingFile> files;
    // The first listed path that `safeRelativePath` refused; empty when none.
    // A plan with a refused path must not be carried out at all.
    std::string refusedPath;
    // The first file listed twice with two different digests; empty when
    // none. Such a list cannot be followed either.
    std::string conflictingPath;
};

// `localDigest` gives the digest of a file by its relative path (empty when it
// is missing or unreadable, which never matches). A file listed more than
// once (under any spelling of its path) is planned, and fetched, once.
template <typename DigestOf> FetchPlan planFetch(const std::vector<ListedFile> &list, DigestOf localDigest)
{
    FetchPlan plan;
    std::set<std::pair<std::string, std::string>> seen; // relative path, digest
    std::set<std::string> seenPaths;
    for (const ListedFile &entry : list) {
        auto relative = safeRelativePath(entry.path);
        if (!relative) {
            plan.refusedPath = entry.path.empty() ? std::string("|") : entry.path;
            plan.files.clear();
            return plan;
        }
        if (seen.count({*relative, entry.digest}))
            continue;
        if (!seenPaths.insert(*relative).second) {
            plan.conflictingPath = entry.path;
            plan.files.clear();
            return plan;
        }
        seen.insert({*relative, entry.digest});
        const std::string local = localDigest(*relative);
        if (local.empty() || local != entry.digest)
            plan.files.push_back({entry.digest, *relative});
    }
    return plan;
}

// The largest download of each kind. The version file is short text and the
// file list a line per file; a release file may be as large as config.ini's
// Update/maxFileMB allows (megabytes, 512 when unset or not a number above 0).
inline constexpr std::uint64_t kMaxVersionFileBytes = 64 * 1024;
inline constexpr std::uint64_t kMaxFileListBytes = 8 * 1024 * 1024;
inline constexpr std::uint64_t kDefaultMaxFileMB = 512;
std::uint64_t maxReleaseFileBytes(std::string_view configuredMB);

// Overall progress in percent after `done` of `total` files; 100 when there
// is nothing to do.
int overallPercent(int done, int total);

}
