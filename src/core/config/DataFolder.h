#pragma once

#include <string>

namespace zentra {

// The folder that holds everything a shop keeps: data/, backup/, template/,
// config.ini and Version.txt. It stands where a Windows installation keeps its
// program folder, so every path is built from it where it is used.
class DataFolder {
public:
    explicit DataFolder(std::string root);

    // --home DIR, else $ZENTRA_HOME, else $XDG_DATA_HOME/zentra, else
    // ~/.local/share/zentra. `homeArg` may be empty.
    static DataFolder resolve(const std::string &homeArg);

    // The folder whose databasePath() is `databasePath` (for code that is
    // given only the database, such as the book dialogs).
    static DataFolder ofDatabase(const std::string &databasePath);

    const std::string &root() const { return root_; }

    // root + "/" + relative, e.g. path("data/data.db").
    std::string path(const std::string &relative) const;

    // Where the database is: the embedded data/data.db, or the server URL
    // (or other database file) chosen by setDatabase(). Every operation
    // opens it by this text (see DbConnection::open).
    std::string databasePath() const { return database_.empty() ? embeddedDatabasePath() : database_; }
    std::string embeddedDatabasePath() const { return path("data/data.db"); }
    // Empty: the embedded file again.
    void setDatabase(std::string location) { database_ = std::move(location); }
    // Whether the database is a server's, shared by several stations.
    bool isSharedDatabase() const;
    std::string configPath() const { return path("config.ini"); }
    std::string templateDir() const { return path("template/"); }
    std::string backupPath() const { return path("backup/backup.bak"); }
    std::string compactTargetPath() const { return path("data/backup.db"); }
    std::string versionPath() const { return path("Version.txt"); }

    // Creates the folder and its data/, backup/ and template/ subfolders, owner
    // only (0700), when missing. Existing folders keep their permissions.
    bool ensureLayout(std::string *error = nullptr) const;

private:
    std::string root_;
    std::string database_;
};

// Why a file the user names for output (an export, a PDF, a copy) must not
// be written there: the path is, or resolves to (through links, "..", or a
// second name of the same file), one of the data folder's own files: the
// database and its journals, the compaction target, the backup, config.ini
// and its lock, or a template file. Empty when it may be written.
std::string dataFileOverwriteProblem(const DataFolder &folder, const std::string &path);

// Writes `content` to `path` by writing a temporary file in the same folder and
// renaming it over the old one, so readers see the old or the new file, never a
// half-written one. An existing file keeps its permissions, and one that is
// read-only (no write permission for us, or no write bit at all when we run as
// root) is not replaced. Returns false (and leaves the old file) on any
// failure, with the reason in `error`.
bool writeFileAtomically(const std::string &path, std::string_view content, int mode = 0644,
                         std::string *error = nullptr);

// Whether an existing file may be replaced by us: it is not marked read-only.
// A missing file is writable. Root ignores permissions, so for root a file
// without any write bit counts as read-only too.
bool isWritableFile(const std::string &path);

// Largest template file we read; a real one with its scanned sheet is well
// under 10 MiB.
constexpr std::size_t kMaxTemplateFileBytes = 64u << 20;

// How reading a file ended.
enum class ReadStatus {
    Ok,
    Missing, // no such file
    Failed,  // there, but not a regular file we can read in full (see `error`)
};

// Reads a whole regular file of at most `maxBytes`. A folder, a FIFO, a device
// or a larger file is refused without blocking or reading it; the reason goes
// to `error`.
ReadStatus readRegularFile(const std::string &path, std::string &content, std::size_t maxBytes,
                           std::string *error = nullptr);

// Reads a whole regular file of at most kMaxTemplateFileBytes; false when it
// is missing, not a regular file, too large or unreadable.
bool readFile(const std::string &path, std::string &content);

bool fileExists(const std::string &path);

}
