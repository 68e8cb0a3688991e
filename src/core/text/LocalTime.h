#pragma once

#include <string>

namespace zentra {

// The local time now as the tables store times: "%Y-%m-%d %H:%M:%S".
std::string localTimeNow();

}
