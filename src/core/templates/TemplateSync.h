#pragma once

#include <string>

namespace zentra {

class DataFolder;
class DbConnection;

// With a shared database the shop's templates live in it, so that a
// print-list row made at one station prints at another: table templateFile
// holds each template's name, its .ttp bytes (as Base64 text, byte for byte
// the file), its modification time and a deleted mark. Each station's
// template/ folder stays the working copy the designer and the printing read;
// it is brought in step with the database at start and after every change,
// import, export or delete. The newer side wins, by modification time: a file
// written from the database gets the database's time, so only a later change
// at a station makes its file newer. With the embedded database nothing
// happens.
struct TemplateSyncResult {
    bool ok = true;
    std::string error;
    int written = 0;  // files written from the database
    int removed = 0;  // files removed (deleted at another station)
    int uploaded = 0; // templates stored in the database
};
TemplateSyncResult syncTemplates(const DataFolder &folder);

// Marks template `name` deleted in the shared database, inside the caller's
// transaction on `db` (the delete that also takes its freight rates).
bool markTemplateDeleted(DbConnection &db, const std::string &name);

// Plain Base64 (RFC 4648, no line breaks) of bytes, and back; decoding
// skips nothing and gives false on anything that is not Base64.
std::string encodeBase64(const std::string &bytes);
bool decodeBase64Strict(const std::string &text, std::string &bytes);

}
