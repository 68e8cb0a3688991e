#pragma once

#include <QDialog>

namespace zentra::ui {

class ShellServices;
struct WebLinks;

// The about box "关于": program name and version, the maker's home page and
// shop as links that open in the browser, contact lines and "确定".
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    CAboutDlg(ShellServices &shell, const WebLinks &links, QWidget *parent = nullptr);
};

}
