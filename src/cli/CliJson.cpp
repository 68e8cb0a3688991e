#include "cli/CliJson.h"

#include <cstdio>

namespace zentra::cli {

std::string jsonString(std::string_view s)
{
    std::string out = "\"";
    for (char c : s) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned char>(c));
                out += buf;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

std::string jsonObject(const std::vector<std::pair<std::string_view, std::string_view>> &members)
{
    std::string out = "{";
    for (const auto &[key, value] : members) {
        if (out.size() > 1)
            out += ",";
        out += jsonString(key) + ":" + jsonString(value);
    }
    return out + "}";
}

}
