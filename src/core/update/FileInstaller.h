#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zentra {

// Files below a root folder, addressed by relative paths that
// `safeRelativePath` accepted. Every folder level on the way is created; a
// path that would still end outside the root (a folder on the way is a link
// to elsewhere) is refused.

// Creates the folders of `relative` (not its last part) below `root`, which
// must exist, and checks that the file's folder lies inside `root`.
bool makeFoldersFor(const std::string &root, const std::string &relative, std::string *error = nullptr);

// Writes a staged download to root/relative, creating its folders.
bool stageFile(const std::string &root, const std::string &relative, std::string_view content,
               std::string *error = nullptr);

// Removes root/relative and then each of its folders that is left empty, up to
// (not including) root.
void removeStaged(const std::string &root, const std::string &relative);

// Replaces files of the program folder in two steps, so a failure never leaves
// a half-written program file and a half-done set is as rare as it can be:
// `prepare` writes each new content beside its target (flushed to disk), and
// `commit` then renames every prepared file over its target. A running program
// can be replaced this way; it keeps its old file until it ends.
//
// A target keeps its permissions; a new file is executable when it starts like
// a program (ELF or "#!"), else 0644. Prepared files that are not committed are
// removed on destruction.
class FileInstaller {
public:
    explicit FileInstaller(std::string programDir) : root_(std::move(programDir)) {}
    ~FileInstaller() { discard(); }
    FileInstaller(const FileInstaller &) = delete;
    FileInstaller &operator=(const FileInstaller &) = delete;

    bool prepare(const std::string &relative, std::string_view content, std::string *error = nullptr);

    // Renames in the order prepared; stops at the first failure (the files
    // renamed before it stay replaced, the rest are discarded).
    bool commit(std::string *error = nullptr);

    void discard();

private:
    struct Prepared {
        std::string temporary;
        std::string target;
    };
    std::string root_;
    std::vector<Prepared> prepared_;
};

}
