#pragma once

#include <optional>
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
};

// `localDigest` gives the digest of a file by its relative path (empty when it
// is missing or unreadable, which never matches).
template <typename DigestOf> FetchPlan planFetch(const std::vector<ListedFile> &list, DigestOf localDigest)
{
    FetchPlan plan;
    for (const ListedFile &entry : list) {
        auto relative = safeRelativePath(entry.path);
        if (!relative) {
            plan.refusedPath = entry.path.empty() ? std::string("|") : entry.path;
            plan.files.clear();
            return plan;
        }
        const std::string local = localDigest(*relative);
        if (local.empty() || local != entry.digest)
            plan.files.push_back({entry.digest, *relative});
    }
    return plan;
}

// Overall progress in percent after `done` of `total` files; 100 when there
// is nothing to do.
int overallPercent(int done, int total);

}
