#pragma once

#include "core/update/Md5.h"

#include <cstdint>
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

// A download on its way to root/relative, written as it arrives so no more
// than one piece of it is ever held in memory. The bytes go to a new file
// beside the target (the target itself, or a link planted in its place, is
// removed when the download opens); they are counted against a cap and
// digested on the way. `keep` renames the file into place; a download that
// is not kept leaves nothing behind.
class StagedDownload {
public:
    enum class Append { Ok, TooLarge, Failed };

    StagedDownload() = default;
    ~StagedDownload() { discard(); }
    StagedDownload(const StagedDownload &) = delete;
    StagedDownload &operator=(const StagedDownload &) = delete;

    // Starts afresh (anything written before is dropped).
    bool open(const std::string &root, const std::string &relative, std::uint64_t maxBytes,
              std::string *error = nullptr);
    bool isOpen() const { return fd_ >= 0; }
    // TooLarge when the download would go over its cap (nothing of these
    // bytes is written); Failed when the disk refused them.
    Append append(std::string_view bytes, std::string *error = nullptr);
    std::uint64_t size() const { return size_; }
    // The MD5 of everything appended; the download takes no more bytes after.
    std::string digest();
    bool keep(std::string *error = nullptr);
    void discard();

private:
    std::string target_;
    std::string temporary_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
    std::uint64_t maxBytes_ = 0;
    Md5 md5_;
    std::string digest_;
};

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

    // The same from a staged file, copied piece by piece; the copy is
    // digested as it is written, and one that does not match `digest` is not
    // prepared (DigestDiffers).
    enum class FromFile { Ok, DigestDiffers, Failed };
    FromFile prepareFile(const std::string &relative, const std::string &source, const std::string &digest,
                         std::string *error = nullptr);

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
