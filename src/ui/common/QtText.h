#pragma once

#include <QString>

#include <string>

namespace zentra::ui {

// The core keeps text as UTF-8 std::string; the widgets show QString.
inline QString qs(const std::string &s)
{
    return QString::fromStdString(s);
}

inline std::string ss(const QString &s)
{
    return s.toStdString();
}

}
