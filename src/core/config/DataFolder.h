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

    const std::string &root() const { return root_; }

    // root + "/" + relative, e.g. path("data/data.db").
    std::string path(const std::string &relative) const;

    std::string databasePath() const { return path("data/data.db"); }
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
};

// Writes `content` to `path` by writing a temporary file in the same folder and
// renaming it over the old one, so readers see the old or the new file, never a
// half-written one. Returns false (and leaves the old file) on any failure.
bool writeFileAtomically(const std::string &path, std::string_view content, int mode = 0644,
                         std::string *error = nullptr);

// Reads a whole file; false when it cannot be opened or is a folder.
bool readFile(const std::string &path, std::string &content);

bool fileExists(const std::string &path);

}
