#include "ui/taobao/BrowserCheck.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>

#include <unistd.h>

namespace zentra::ui {

BrowserEnvironment currentBrowserEnvironment()
{
    BrowserEnvironment env;
    env.root = ::getuid() == 0 || ::geteuid() == 0;
    const QString flags = qEnvironmentVariable("QTWEBENGINE_CHROMIUM_FLAGS");
    env.sandboxSwitchedOff =
        qEnvironmentVariableIntValue("QTWEBENGINE_DISABLE_SANDBOX") != 0 ||
        flags.split(QLatin1Char(' '), Qt::SkipEmptyParts).contains(QLatin1String("--no-sandbox")) ||
        QCoreApplication::arguments().contains(QLatin1String("--no-sandbox"));

    // The places the engine looks for its helper, in its order.
    const QString name = QStringLiteral("QtWebEngineProcess");
    const QString fromEnv = qEnvironmentVariable("QTWEBENGINEPROCESS_PATH");
    const QStringList candidates =
        !fromEnv.isEmpty()
            ? QStringList{fromEnv}
            : QStringList{QLibraryInfo::path(QLibraryInfo::LibraryExecutablesPath) + QLatin1Char('/') + name,
                          QCoreApplication::applicationDirPath() + QLatin1Char('/') + name};
    env.helperFound = false;
    env.helperPath = candidates.front();
    for (const QString &path : candidates)
        if (QFileInfo(path).isExecutable()) {
            env.helperFound = true;
            env.helperPath = path;
            break;
        }
    return env;
}

QString browserStartProblem(const BrowserEnvironment &env)
{
    if (env.root && !env.sandboxSwitchedOff)
        return QStringLiteral("浏览器不能以 root（系统管理员）身份运行：它要打开淘宝的网页并保存店铺的登录，"
                              "没有安全沙箱保护时，一个恶意网页就能控制整台电脑。\n"
                              "请用普通用户账户启动本程序后再打开浏览器。订单报表的导入和其他功能不受影响。");
    if (!env.helperFound)
        return QStringLiteral(
                   "找不到浏览器组件 %1，无法打开浏览器。请重新安装本程序。订单报表的导入和其他功能不受影响。")
            .arg(env.helperPath);
    return {};
}

}
