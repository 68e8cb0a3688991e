#pragma once

#include <string_view>

namespace zentra {

// The contents of a file of data/ (generated seed data), compiled into the
// program; empty when there is no such file.
std::string_view seedData(std::string_view name);

}
