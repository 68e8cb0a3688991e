#pragma once

#include "core/data/DbConnection.h"

#include <string>

namespace zentra {

// Rows of one insert gathered into multi-row statements ("insert into t(a, b)
// values (?, ?), (?, ?), ..."), 100 rows at a time: one round trip to a server
// for a hundred rows instead of one each. Same statement on both engines.
class BatchInsert {
public:
    // `head` is "insert into TABLE(COLUMNS)"; `columns` their number.
    BatchInsert(DbConnection &db, std::string head, int columns) : db_(db), head_(std::move(head)), columns_(columns)
    {
    }
    // False when a statement failed (the engine's message in db.lastError()).
    bool add(DbParams row)
    {
        for (auto &v : row.values)
            params_.values.push_back(std::move(v));
        if (++rows_ == kRows)
            return flush();
        return true;
    }
    bool flush()
    {
        if (rows_ == 0)
            return true;
        std::string sql = head_ + " values ";
        for (int r = 0; r < rows_; ++r) {
            sql += r ? ",(" : "(";
            for (int c = 0; c < columns_; ++c)
                sql += c ? ",?" : "?";
            sql += ")";
        }
        const int expected = rows_;
        const bool ok = db_.execute(sql, params_) == expected;
        params_.values.clear();
        rows_ = 0;
        return ok;
    }

private:
    static constexpr int kRows = 100;
    DbConnection &db_;
    std::string head_;
    int columns_;
    int rows_ = 0;
    DbParams params_;
};

}
