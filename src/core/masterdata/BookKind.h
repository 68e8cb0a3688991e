#pragma once

#include <string>
#include <utility>
#include <vector>

namespace zentra {

// The class row that stands for all classes. It is never renamed or deleted.
inline constexpr const char *kAllClasses = "_全部类别_";

// What tells one master-data book from another: its table and columns, how an
// entry is identified, which fields are required, its class table and its
// messages. The receiver and sender books share every rule and differ only
// here; the goods catalogue follows the same rules with its own columns.
// Column names come from these descriptions only, never from input.
struct BookKind {
    std::string table;
    std::string prefix;                                        // column prefix ("r", "s", "c")
    std::vector<std::string> columns;                          // every column, in table order
    std::string idColumn;                                      // counter key
    std::vector<std::string> keyColumns;                       // identity of an entry
    std::string nameColumn;                                    // lists are ordered by it
    std::string nameKeyColumn;                                 // its stored sort key (NameKeys.h)
    std::string pinyinSource, pinyinColumn;                    // initials of which column, where
    std::string dateColumn;                                    // time of entry, kept by edits; may be empty
    std::vector<std::string> numericColumns;                   // figures: stored as numbers, empty text gives 0
    std::vector<std::string> searchColumns;                    // what a search looks in
    std::vector<std::pair<std::string, std::string>> required; // column, message when empty
    std::string duplicateMessage;
    std::string classTable;
    std::string classColumn;
    std::string classExistsMessage;
    // The grid's header texts and the column each shows (check box and row
    // number left out); import and export use them as the CSV header.
    std::vector<std::pair<std::string, std::string>> gridColumns;

    bool isNumeric(const std::string &column) const;
    bool hasColumn(const std::string &column) const;
    // The column a short field name means: "name" -> "rname"; empty when the
    // book has no such column.
    std::string columnOfKey(const std::string &key) const;
};

const BookKind &receiverBook();
const BookKind &senderBook();
const BookKind &cargoBook();

}
