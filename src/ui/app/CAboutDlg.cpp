#include "ui/app/CAboutDlg.h"

#include "core/Version.h"
#include "ui/app/ShellServices.h"
#include "ui/app/ToolbarIcons.h"
#include "ui/app/WebLinks.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace zentra::ui {

namespace {

// A line drawn in blue that opens `url` through the shell when clicked.
QLabel *linkLine(const QString &prefix, const QUrl &url, const QString &name, ShellServices &shell)
{
    const QString shown = url.toDisplayString().toHtmlEscaped();
    auto *label = new QLabel(QStringLiteral("%1<a href=\"%2\" style=\"color:#0000ff\">%3</a>")
                                 .arg(prefix.toHtmlEscaped(), url.toString(QUrl::FullyEncoded).toHtmlEscaped(), shown));
    label->setObjectName(name);
    label->setTextFormat(Qt::RichText);
    label->setOpenExternalLinks(false);
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    QObject::connect(label, &QLabel::linkActivated, label, [&shell, url](const QString &) { shell.openUrl(url); });
    return label;
}

}

CAboutDlg::CAboutDlg(ShellServices &shell, const WebLinks &links, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("aboutDialog"));
    setWindowTitle(QStringLiteral("关于"));

    auto *icon = new QLabel;
    icon->setPixmap(applicationIcon().pixmap(48, 48));
    icon->setAlignment(Qt::AlignTop);

    auto *lines = new QVBoxLayout;
    lines->setSpacing(6);
    lines->addWidget(new QLabel(QStringLiteral("软件名称：Zentra")));
    auto *version = new QLabel(QStringLiteral("软件版本：V") + QString::fromLatin1(zentra::kVersion));
    version->setObjectName(QStringLiteral("versionLine"));
    lines->addWidget(version);
    lines->addWidget(linkLine(QStringLiteral("官方网站："), links.homePage, QStringLiteral("homePageLink"), shell));
    lines->addWidget(linkLine(QStringLiteral("淘宝店铺："), links.shopPage, QStringLiteral("shopPageLink"), shell));
    lines->addWidget(new QLabel(QStringLiteral("技术支持：请通过官方网站或淘宝店铺联系我们")));
    lines->addWidget(new QLabel(QStringLiteral("快递单打印软件，适用于中小网店和商铺")));

    auto *top = new QHBoxLayout;
    top->setSpacing(16);
    top->addWidget(icon);
    top->addLayout(lines, 1);

    auto *buttons = new QDialogButtonBox;
    QPushButton *ok = buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 14);
    layout->addLayout(top);
    layout->addSpacing(10);
    layout->addWidget(buttons);
    setFixedSize(sizeHint());
}

}
