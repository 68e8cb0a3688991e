#include "ui/app/WebLinks.h"

#include "core/config/ConfigFile.h"

namespace zentra::ui {

WebLinks WebLinks::defaults()
{
    return {QUrl(QStringLiteral("https://www.zentra.example/")), QUrl(QStringLiteral("https://shop.zentra.example/")),
            QUrl(QStringLiteral("https://www.kuaidi100.com/")), QUrl(QStringLiteral("https://www.ip138.com/post/"))};
}

WebLinks WebLinks::fromConfig(const ConfigFile &config)
{
    WebLinks links = defaults();
    auto read = [&](const char *key, QUrl &target) {
        const QString value = QString::fromStdString(config.readText("Links", key)).trimmed();
        if (!value.isEmpty())
            target = QUrl::fromUserInput(value);
    };
    read("homePage", links.homePage);
    read("shopPage", links.shopPage);
    read("expressQuery", links.expressQuery);
    read("postcodeQuery", links.postcodeQuery);
    return links;
}

}
