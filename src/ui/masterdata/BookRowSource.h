#pragma once

#include "core/masterdata/MasterBook.h"
#include "ui/data/ReportModel.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace zentra::ui {

// The rows of a book as a grid shows them: column 1 the row number, columns
// 2.. the book's columns named by `gridColumns` (in grid order).
class BookRowSource : public ReportRowSource {
public:
    virtual std::size_t size() const = 0;
    // The grid row of the entry with that counter, or -1, without making any
    // row's texts.
    virtual int rowOfId(std::int64_t id) const = 0;
};

// Rows already read (a search result).
class BookResultRows : public BookRowSource {
public:
    BookResultRows(DbRows rows, std::vector<std::string> gridColumns, const std::string &idColumn);
    std::size_t size() const override { return rows_.size(); }
    void fill(std::size_t row, std::vector<QString> &texts) const override;
    int rowOfId(std::int64_t id) const override;

private:
    DbRows rows_;
    std::vector<std::size_t> at_;
    std::size_t idAt_;
};

// A whole book or class, read a page at a time as the grid shows its rows: a
// book of 100,000 entries opens reading only their ids.
class BookPageRows : public BookRowSource {
public:
    static constexpr std::size_t kPage = 256;

    BookPageRows(MasterBook book, std::vector<std::int64_t> ids, std::vector<std::string> gridColumns);
    std::size_t size() const override { return ids_.size(); }
    void fill(std::size_t row, std::vector<QString> &texts) const override;
    int rowOfId(std::int64_t id) const override;

private:
    struct Page {
        DbRows rows;
        std::unordered_map<std::int64_t, std::size_t> byId;
    };
    const Page &pageOf(std::size_t number) const;

    MasterBook book_;
    std::vector<std::int64_t> ids_;
    std::vector<std::string> gridColumns_;
    mutable std::unordered_map<std::size_t, Page> pages_;
    mutable std::vector<std::size_t> at_;
};

}
