#pragma once

#include <string_view>

struct sqlite3;

namespace zentra {

// The collation "GBK": text ordered by its GBK bytes, so that the common
// Chinese names (GB2312 level 1) come in pinyin order, as the lists show them.
// Characters outside GBK order by their GB18030 four-byte form.
// Every connection gets it when it is opened: "order by rname collate GBK".
bool registerGbkCollation(sqlite3 *db);

// The comparison behind it: <0, 0 or >0. Invalid UTF-8 bytes order as bytes.
int compareGbk(std::string_view a, std::string_view b);

}
