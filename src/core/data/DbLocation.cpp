#include "core/data/DbLocation.h"

#include <libpq-fe.h>

#include <memory>

namespace zentra {

namespace {

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i])
            return false;
    }
    return true;
}

}

bool isServerLocation(std::string_view location)
{
    return startsWithNoCase(location, "postgresql://") || startsWithNoCase(location, "postgres://");
}

ServerLocation parseServerLocation(std::string_view url)
{
    ServerLocation s;
    if (!isServerLocation(url)) {
        s.error = "not a postgresql:// URL";
        return s;
    }
    char *error = nullptr;
    const std::string text(url);
    std::unique_ptr<PQconninfoOption, void (*)(PQconninfoOption *)> options(PQconninfoParse(text.c_str(), &error),
                                                                             PQconninfoFree);
    if (!options) {
        s.error = error ? error : "cannot read the URL";
        PQfreemem(error);
        while (!s.error.empty() && (s.error.back() == '\n' || s.error.back() == ' '))
            s.error.pop_back();
        return s;
    }
    for (const PQconninfoOption *o = options.get(); o->keyword; ++o) {
        if (!o->val)
            continue;
        const std::string_view k = o->keyword;
        if (k == "host" || (k == "hostaddr" && s.host.empty()))
            s.host = o->val;
        else if (k == "port")
            s.port = o->val;
        else if (k == "dbname")
            s.dbname = o->val;
        else if (k == "user")
            s.user = o->val;
        else if (k == "password")
            s.hasPassword = *o->val != '\0';
    }
    s.valid = true;
    return s;
}

std::string withoutPassword(std::string_view url)
{
    std::string out(url);
    const std::size_t scheme = out.find("://");
    if (scheme == std::string::npos)
        return out;
    const std::size_t start = scheme + 3;
    const std::size_t end = out.find_first_of("/?", start);
    const std::size_t authorityEnd = end == std::string::npos ? out.size() : end;
    const std::size_t at = out.rfind('@', authorityEnd == 0 ? 0 : authorityEnd - 1);
    if (at != std::string::npos && at >= start) {
        const std::size_t colon = out.find(':', start);
        if (colon != std::string::npos && colon < at)
            out.erase(colon, at - colon);
    }
    // password=... among the query parameters.
    const std::size_t query = out.find('?');
    if (query != std::string::npos) {
        std::string kept;
        std::size_t i = query + 1;
        while (i <= out.size()) {
            std::size_t amp = out.find('&', i);
            if (amp == std::string::npos)
                amp = out.size();
            const std::string param = out.substr(i, amp - i);
            if (!param.empty() && param.rfind("password=", 0) != 0)
                kept += (kept.empty() ? "" : "&") + param;
            i = amp + 1;
        }
        out.erase(query);
        if (!kept.empty())
            out += "?" + kept;
    }
    return out;
}

std::string serverName(std::string_view url)
{
    const ServerLocation s = parseServerLocation(url);
    std::string host = s.host.empty() ? std::string("localhost") : s.host;
    if (!s.port.empty())
        host += ":" + s.port;
    return host;
}

std::string describeLocation(std::string_view location)
{
    if (!isServerLocation(location))
        return std::string(location);
    const ServerLocation s = parseServerLocation(location);
    if (!s.valid)
        return withoutPassword(location);
    std::string text = "PostgreSQL " + (s.dbname.empty() ? std::string("?") : s.dbname) + "@" + serverName(location);
    if (!s.user.empty())
        text += " (" + s.user + ")";
    return text;
}

}
