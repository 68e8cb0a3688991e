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

// A stored sort key with the same order: the GB18030 bytes of the text as
// upper-case hex digits (an invalid byte b as "FF" and b, past every
// character), so that comparing two keys byte by byte, as either engine
// orders plain text, orders the texts as compareGbk does. The books keep it
// beside the name ("rnameKey"), which lets both engines list names in the
// same order from an index.
std::string gbkSortKey(std::string_view utf8);

}
