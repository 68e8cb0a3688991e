#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zentra::cli {

// A JSON string literal of UTF-8 text.
std::string jsonString(std::string_view s);

// One JSON object on one line, its keys in the given order, every value a
// string.
std::string jsonObject(const std::vector<std::pair<std::string_view, std::string_view>> &members);

}
