#include "ui/app/CMainFrame.h"

#include "core/Version.h"
#include "core/config/AppState.h"
#include "core/config/ConfigFile.h"
#include "core/data/DbLocation.h"
#include "ui/app/CPrintTemplate.h"
#include "ui/app/MainCommands.h"
#include "ui/app/ST_SplitterWnd.h"
#include "ui/app/ShellServices.h"
#include "ui/app/ToolbarIcons.h"
#include "ui/common/AcceleratorFilter.h"
#include "ui/common/Dialogs.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

namespace zentra::ui {

CMainFrame::CMainFrame(AppState &state, Dialogs &dialogs, ShellServices &shell, DataFolder folder, QWidget *parent)
    : QMainWindow(parent), state_(state), dialogs_(dialogs), shell_(shell), folder_(std::move(folder)),
      links_(WebLinks::fromConfig(ConfigFile(folder_.configPath())))
{
    setObjectName(QStringLiteral("mainFrame"));
    setWindowTitle(QStringLiteral("ZentraV") + QString::fromLatin1(zentra::kVersion));
    setWindowIcon(applicationIcon());

    handlers_.insert(cmd::NewWaybill, [this] { newWaybill(); });
    handlers_.insert(cmd::TemplateDefaultText, [this] { hooks_.templateDefaultText(); });
    handlers_.insert(cmd::AddToPrintList, [this] { hooks_.addToPrintList(); });
    handlers_.insert(cmd::SinglePrint, [this] { singlePrint(); });
    handlers_.insert(cmd::Exit, [this] { exitProgram(); });
    handlers_.insert(cmd::EditTemplate, [this] { toggleDesignMode(); });
    handlers_.insert(cmd::StatusBar, [this] { statusBar()->setVisible(statusBar()->isHidden()); });
    handlers_.insert(cmd::Help, [this] { openHelp(); });
    handlers_.insert(cmd::Calculator, [this] { startCalculator(); });
    handlers_.insert(cmd::ExpressQuery, [this] { shell_.openUrl(links_.expressQuery); });
    handlers_.insert(cmd::PostcodeQuery, [this] { shell_.openUrl(links_.postcodeQuery); });
    handlers_.insert(cmd::OnlineUpgrade, [this] { onlineUpgrade(); });
    handlers_.insert(cmd::About, [this] { showAbout(); });

    createActions();
    createMenus();
    createToolBar();
    createStatusBar();
    createSplitters();
    syncCheckMarks();
    resize(1300, 720);

    // The lock states can only be read from the key events of an X11 session.
    trackLockKeys_ = QGuiApplication::platformName() == QLatin1String("xcb");
    qApp->installEventFilter(this);
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::createActions()
{
    for (const MainCommand &c : mainCommands()) {
        if (c.id == cmd::Toolbars)
            continue; // a submenu, made in createMenus()
        auto *a = new QAction(QString::fromUtf8(c.caption), this);
        a->setObjectName(QStringLiteral("command%1").arg(c.id));
        a->setData(c.id);
        if (c.keys)
            a->setShortcut(QKeySequence(QString::fromLatin1(c.keys)));
        if (c.toolbarLabel) {
            // The label is also the button's tip, without the menu's "(&P)".
            a->setIconText(QString::fromUtf8(c.toolbarLabel));
            a->setToolTip(QString::fromUtf8(c.toolbarLabel));
            a->setIcon(commandIcon(c.id));
        }
        a->setEnabled(handlers_.contains(c.id));
        if (c.id == cmd::EditTemplate || c.id == cmd::StatusBar)
            a->setCheckable(true);
        // A menu entry with an icon shows its checked state only as a framed
        // icon; the design mode's entry shows a plain check mark instead.
        if (c.id == cmd::EditTemplate)
            a->setIconVisibleInMenu(false);
        const int id = c.id;
        connect(a, &QAction::triggered, this, [this, id] { runCommand(id); });
        actions_.insert(c.id, a);
    }

    // The canvas menu names single print "打印本快递单"; the entry runs the
    // same command. Its key is the menu action's, so it is only shown here.
    auto *printThis = new QAction(QStringLiteral("打印本快递单(&P)\tCtrl+P"), this);
    printThis->setObjectName(QStringLiteral("contextSinglePrint"));
    printThis->setData(cmd::SinglePrint);
    connect(printThis, &QAction::triggered, this, [this] { runCommand(cmd::SinglePrint); });
    for (int id : canvasMenuLayout()) {
        if (id == 0) {
            auto *sep = new QAction(this);
            sep->setSeparator(true);
            contextActions_ << sep;
        } else {
            contextActions_ << (id == cmd::SinglePrint ? printThis : actions_.value(id));
        }
    }
}

void CMainFrame::createMenus()
{
    QMenu *menus[kMenuCount];
    for (int i = 0; i < kMenuCount; ++i)
        menus[i] = menuBar()->addMenu(QString::fromUtf8(kMenuTitles[i]));
    for (const MainCommand &c : mainCommands()) {
        QMenu *menu = menus[c.menu];
        if (c.separatorBefore)
            menu->addSeparator();
        if (c.id == cmd::Toolbars) {
            QMenu *bars = menu->addMenu(QString::fromUtf8(c.caption));
            bars->setObjectName(QStringLiteral("toolbarsMenu"));
            // Filled when the toolbar exists.
            connect(bars, &QMenu::aboutToShow, this, [this, bars] {
                bars->clear();
                bars->addAction(toolBar_->toggleViewAction());
            });
            continue;
        }
        menu->addAction(actions_.value(c.id));
    }
}

void CMainFrame::createToolBar()
{
    toolBar_ = addToolBar(QStringLiteral("标准"));
    toolBar_->setObjectName(QStringLiteral("standardToolBar"));
    toolBar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolBar_->setIconSize(QSize(28, 28));
    toolBar_->setMovable(false);
    for (int id : toolbarLayout()) {
        if (id == 0) {
            toolBar_->addSeparator();
            continue;
        }
        QAction *a = actions_.value(id);
        toolBar_->addAction(a);
        if (QWidget *button = toolBar_->widgetForAction(a)) {
            button->setMinimumSize(48, 40);
            button->setObjectName(QStringLiteral("toolButton%1").arg(id));
        }
    }
}

void CMainFrame::createStatusBar()
{
    statusMessage_ = new QLabel(QStringLiteral("就绪"));
    statusMessage_->setObjectName(QStringLiteral("statusMessage"));
    statusBar()->addWidget(statusMessage_, 1);
    auto indicator = [this](const char *text, const char *name) {
        auto *label = new QLabel(QString::fromLatin1(text));
        label->setObjectName(QString::fromLatin1(name));
        label->setAlignment(Qt::AlignCenter);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")) + 12);
        label->setEnabled(false); // drawn greyed while the lock is off
        statusBar()->addPermanentWidget(label);
        return label;
    };
    // Which database this station works on: the embedded file or the
    // shop's server.
    const std::string where = describeLocation(folder_.databasePath());
    auto *database = new QLabel(folder_.isSharedDatabase()
                                    ? QStringLiteral("数据库：%1").arg(QString::fromStdString(where))
                                    : QStringLiteral("数据库：本机 %1").arg(QString::fromStdString(where)));
    database->setObjectName(QStringLiteral("databaseIndicator"));
    statusBar()->addPermanentWidget(database);
    capIndicator_ = indicator("CAP", "capIndicator");
    numIndicator_ = indicator("NUM", "numIndicator");
    scrlIndicator_ = indicator("SCRL", "scrlIndicator");
}

void CMainFrame::createSplitters()
{
    outer_ = new ST_SplitterWnd(Qt::Horizontal, 0);
    outer_->setObjectName(QStringLiteral("outerSplitter"));
    nested_ = new ST_SplitterWnd(Qt::Vertical, 1);
    nested_->setObjectName(QStringLiteral("nestedSplitter"));
    tabPanel_ = new CPrintTemplate;

    auto *canvas = new QWidget;
    canvas->setObjectName(QStringLiteral("canvasPlaceholder"));
    canvas->setAutoFillBackground(true);
    canvas->setBackgroundRole(QPalette::Base);
    installCanvasPlaceholderMenu(canvas);
    auto *design = new QWidget;
    design->setObjectName(QStringLiteral("designPlaceholder"));

    nested_->setPane(0, canvas);
    nested_->setPane(1, design);
    nested_->setFixedSecondPaneSize(kDesignPanelHeight);
    nested_->hideSecondPane();
    outer_->setPane(0, nested_);
    outer_->setPane(1, tabPanel_);
    outer_->setFixedSecondPaneSize(kTabPanelWidth);
    setCentralWidget(outer_);
}

void CMainFrame::installCanvasPlaceholderMenu(QWidget *placeholder)
{
    placeholder->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(placeholder, &QWidget::customContextMenuRequested, placeholder, [this, placeholder](const QPoint &pos) {
        QMenu menu(QStringLiteral("编辑"), placeholder);
        menu.addActions(contextActions_);
        menu.exec(placeholder->mapToGlobal(pos));
    });
}

void CMainFrame::setCanvas(QWidget *canvas)
{
    nested_->setPane(0, canvas);
}

void CMainFrame::setDesignPanel(QWidget *panel)
{
    nested_->setPane(1, panel);
}

QWidget *CMainFrame::canvas() const
{
    return nested_->pane(0);
}

QWidget *CMainFrame::designPanel() const
{
    return nested_->pane(1);
}

void CMainFrame::setStatusMessage(const QString &text)
{
    statusMessage_->setText(text.isEmpty() ? QStringLiteral("就绪") : text);
}

void CMainFrame::setCommandHandler(int id, std::function<void()> handler)
{
    handlers_.insert(id, std::move(handler));
    if (QAction *a = actions_.value(id))
        a->setEnabled(true);
}

bool CMainFrame::runCommand(int id)
{
    const MainCommand *c = findCommand(id);
    bool ran = false;
    if (!c || checkPermission(c->permission)) {
        if (auto handler = handlers_.value(id)) {
            handler();
            ran = true;
        }
    }
    syncCheckMarks();
    return ran;
}

bool CMainFrame::checkPermission(int permission)
{
    if (permission < 0 || state_.allowed(permission))
        return true;
    dialogs_.message(this, QString(), QString::fromUtf8(kNoPermissionText), Dialogs::Buttons::Ok,
                     Dialogs::Icon::Warning);
    return false;
}

void CMainFrame::openHomePage()
{
    shell_.openUrl(links_.homePage);
}

void CMainFrame::syncCheckMarks()
{
    if (QAction *a = actions_.value(cmd::EditTemplate))
        a->setChecked(state_.designMode == 1);
    if (QAction *a = actions_.value(cmd::StatusBar))
        a->setChecked(!statusBar()->isHidden());
}

void CMainFrame::closeEvent(QCloseEvent *event)
{
    if (!state_.skipExitConfirm &&
        (!saveTemplateBeforeExit() || !dialogs_.ask(this, QString::fromUtf8(kExitQuestionText)))) {
        event->ignore();
        return;
    }
    event->accept();
}

bool CMainFrame::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
        // A text field with the focus keeps its editing keys (Ctrl+A, Ctrl+Y,
        // Home, Delete, ...): neither a command nor the designer takes them.
        auto *widget = qobject_cast<QWidget *>(watched);
        if (widget && widget->window() == this && giveTextFieldItsKey(widget, event))
            return true;
    }
    switch (event->type()) {
    case QEvent::ShortcutOverride: {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (!widget || widget->window() != this)
            break;
        auto *key = static_cast<QKeyEvent *>(event);
        // While designing, outside an item's text, Ctrl+Z and Ctrl+Y are the
        // designer's undo and redo: they come as key presses, below, and no
        // command or edit box takes them.
        if (isDesignKey(key) && hooks_.designKeysActive()) {
            event->accept();
            return true;
        }
        // The window's command keys win whichever pane has the focus, so no
        // control is asked about them.
        if (isCommandKey(key)) {
            event->ignore();
            return true;
        }
        break;
    }
    case QEvent::KeyPress:
        if (auto *widget = qobject_cast<QWidget *>(watched); widget && widget->window() == this) {
            auto *key = static_cast<QKeyEvent *>(event);
            if (isDesignKey(key) && hooks_.designKeysActive()) {
                if (key->key() == Qt::Key_Z)
                    hooks_.undoDesign();
                else
                    hooks_.redoDesign();
                return true;
            }
        }
        [[fallthrough]];
    case QEvent::KeyRelease:
        // Each key event reaches its window once, then every widget it is
        // passed on to; only the window's copy is counted.
        if (trackLockKeys_ && watched->isWindowType()) {
            auto *key = static_cast<QKeyEvent *>(event);
            lockKeys_.update(event->type() == QEvent::KeyPress, key->key(), key->nativeModifiers(),
                             key->isAutoRepeat());
            updateLockIndicators();
        }
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

bool CMainFrame::isCommandKey(const QKeyEvent *key) const
{
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    if (!(modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) && key->key() < Qt::Key_Escape)
        return false; // typing stays with the edit box
    const QKeySequence pressed(QKeyCombination(modifiers, Qt::Key(key->key())));
    for (const QAction *a : actions_)
        if (a->isEnabled() && !a->shortcut().isEmpty() && a->shortcut() == pressed)
            return true;
    return false;
}

bool CMainFrame::isDesignKey(const QKeyEvent *key) const
{
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    return modifiers == Qt::ControlModifier && (key->key() == Qt::Key_Z || key->key() == Qt::Key_Y);
}

void CMainFrame::updateLockIndicators()
{
    capIndicator_->setEnabled(lockKeys_.caps);
    numIndicator_->setEnabled(lockKeys_.num);
    scrlIndicator_->setEnabled(lockKeys_.scroll);
}

}
