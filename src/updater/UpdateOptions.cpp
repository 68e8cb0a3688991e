#include "updater/UpdateOptions.h"

namespace zentra::updater {

std::optional<UpdateOptions> parseUpdateOptions(const QStringList &arguments, QString *error)
{
    UpdateOptions options;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments[i];
        auto value = [&](QString &into) {
            if (i + 1 >= arguments.size()) {
                *error = arg + QStringLiteral(" needs a value");
                return false;
            }
            into = arguments[++i];
            return true;
        };
        if (arg == QLatin1String("--batch")) {
            options.batch = true;
        } else if (arg == QLatin1String("--no-restart")) {
            options.restart = false;
        } else if (arg == QLatin1String("--home")) {
            if (!value(options.home))
                return std::nullopt;
        } else if (arg == QLatin1String("--dir")) {
            if (!value(options.programDir))
                return std::nullopt;
        } else if (arg == QLatin1String("--base")) {
            if (!value(options.base))
                return std::nullopt;
        } else if (arg == QLatin1String("--timeout")) {
            QString ms;
            if (!value(ms))
                return std::nullopt;
            bool ok = false;
            options.timeoutMs = ms.toInt(&ok);
            if (!ok || options.timeoutMs <= 0) {
                *error = QStringLiteral("--timeout takes milliseconds above 0");
                return std::nullopt;
            }
        } else {
            *error = QStringLiteral("unknown option ") + arg;
            return std::nullopt;
        }
    }
    return options;
}

}
