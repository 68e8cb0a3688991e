#include "ui/masterdata/BookRowSource.h"

#include <algorithm>
#include <cstdlib>

namespace zentra::ui {
namespace {

// Column names as the engines give them (the server's in lower case).
std::size_t positionOf(const std::vector<std::string> &columns, const std::string &name)
{
    return std::size_t(std::find_if(columns.begin(), columns.end(),
                                    [&name](const std::string &c) { return sameColumnName(c, name); }) -
                       columns.begin());
}

std::vector<std::size_t> positions(const std::vector<std::string> &columns, const std::vector<std::string> &grid)
{
    std::vector<std::size_t> at;
    for (const std::string &c : grid)
        at.push_back(positionOf(columns, c));
    return at;
}

void fillTexts(std::size_t row, const DbRow *r, const std::vector<std::size_t> &at, std::vector<QString> &texts)
{
    if (texts.size() > 1)
        texts[1] = QString::number(row + 1);
    if (!r)
        return;
    for (std::size_t i = 0; i < at.size() && i + 2 < texts.size(); ++i)
        if (at[i] < r->size())
            texts[i + 2] = QString::fromStdString(r->at(at[i]));
}

}

BookResultRows::BookResultRows(DbRows rows, std::vector<std::string> gridColumns, const std::string &idColumn)
    : rows_(std::move(rows)), at_(positions(rows_.columns, gridColumns)), idAt_(positionOf(rows_.columns, idColumn))
{
}

void BookResultRows::fill(std::size_t row, std::vector<QString> &texts) const
{
    fillTexts(row, &rows_[row], at_, texts);
}

int BookResultRows::rowOfId(std::int64_t id) const
{
    const std::string text = std::to_string(id);
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (idAt_ < rows_[i].size() && rows_[i].at(idAt_) == text)
            return static_cast<int>(i);
    return -1;
}

BookPageRows::BookPageRows(MasterBook book, std::vector<std::int64_t> ids, std::vector<std::string> gridColumns)
    : book_(std::move(book)), ids_(std::move(ids)), gridColumns_(std::move(gridColumns))
{
}

void BookPageRows::fill(std::size_t row, std::vector<QString> &texts) const
{
    const Page &page = pageOf(row / kPage);
    auto it = page.byId.find(ids_[row]);
    fillTexts(row, it == page.byId.end() ? nullptr : &page.rows[it->second], at_, texts);
}

int BookPageRows::rowOfId(std::int64_t id) const
{
    auto it = std::find(ids_.begin(), ids_.end(), id);
    return it == ids_.end() ? -1 : static_cast<int>(it - ids_.begin());
}

const BookPageRows::Page &BookPageRows::pageOf(std::size_t number) const
{
    auto found = pages_.find(number);
    if (found != pages_.end())
        return found->second;
    const std::size_t first = number * kPage;
    std::vector<std::int64_t> ids(ids_.begin() + std::ptrdiff_t(first),
                                  ids_.begin() + std::ptrdiff_t(std::min(first + kPage, ids_.size())));
    Page &page = pages_[number];
    page.rows = book_.entriesWithIds(ids);
    if (at_.empty() && !page.rows.columns.empty())
        at_ = positions(page.rows.columns, gridColumns_);
    const std::size_t idColumn = positionOf(page.rows.columns, book_.kind().idColumn);
    for (std::size_t i = 0; i < page.rows.size() && idColumn < page.rows.columns.size(); ++i)
        page.byId.emplace(std::strtoll(page.rows[i].at(idColumn).c_str(), nullptr, 10), i);
    return page;
}

}
