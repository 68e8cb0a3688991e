#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zentra {

// The local time now as the tables store times: "%Y-%m-%d %H:%M:%S".
std::string localTimeNow();

// A date and time as the tables store it ("%Y-%m-%d %H:%M:%S") when `text`
// is a valid one in that form or as spreadsheets rewrite it ("2024/5/6 7:08",
// "2024-05-06"); none otherwise (a 31 April, an hour 24, other text).
std::optional<std::string> normalTimeText(std::string_view text);

}
