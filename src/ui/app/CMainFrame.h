#pragma once

#include "core/config/DataFolder.h"
#include "ui/app/LockKeys.h"
#include "ui/app/WebLinks.h"

#include <QHash>
#include <QList>
#include <QMainWindow>

#include <functional>
#include <string>

class QKeyEvent;
class QLabel;
class QMenu;
class QToolBar;

namespace zentra {
struct AppState;
struct BookKind;
}

namespace zentra::ui {

class CPrintTemplate;
class Dialogs;
class ShellServices;
class ST_SplitterWnd;

// What the main window's commands ask of the canvas and the panels. Each
// starts as a no-op; the canvas and panels fill in theirs when they are made.
struct MainFrameHooks {
    std::function<void()> printCanvas = [] {}; // single print of the canvas
    // The panels' clear operations; "新快递单" calls them in this order.
    std::function<void()> clearOrderInfo = [] {};
    std::function<void()> clearSender = [] {};
    std::function<void()> clearReceiver = [] {};
    std::function<void()> clearCargo = [] {};
    // The order panel's operations.
    std::function<void()> addToPrintList = [] {};
    std::function<void()> templateDefaultText = [] {};
    // Saves the template in design to the given file path; false when it
    // could not be written (the user has been told).
    std::function<bool(const std::string &path)> saveTemplate = [](const std::string &) { return true; };
    // The designer starts (panel shown, design mode on) and ends (before the
    // panel is hidden): the canvas and the panel enter and leave the mode.
    std::function<void()> enterDesignMode = [] {};
    std::function<void()> leaveDesignMode = [] {};
    // Whether Ctrl+Z and Ctrl+Y are the designer's undo and redo right now
    // (while designing, with the keyboard focus outside the items' text), and
    // the two steps.
    std::function<bool()> designKeysActive = [] { return false; };
    std::function<void()> undoDesign = [] {};
    std::function<void()> redoDesign = [] {};
    // A book dialog closed after changing its book (receivers, senders or
    // goods): the composing pages show the change.
    std::function<void(const BookKind &book)> bookChanged = [](const BookKind &) {};
};

// The main window: menu bar, toolbar "标准", status bar, and the splitter
// layout of canvas and design panel (left, one above the other) beside the tab
// panel (right, 400 pixels wide).
//
// Every command, whether it comes from the menu, the toolbar, its keys or the
// canvas's context menu, runs through runCommand(): the permission test is
// made there and only there. Commands that open a dialog stay disabled until
// the dialog's owner registers a handler with setCommandHandler().
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    CMainFrame(AppState &state, Dialogs &dialogs, ShellServices &shell, DataFolder folder, QWidget *parent = nullptr);
    ~CMainFrame() override;

    static constexpr int kTabPanelWidth = 400;
    static constexpr int kDesignPanelHeight = 260;

    // Replaces the canvas placeholder (upper left) and the design panel
    // placeholder (lower left, hidden outside the design mode).
    void setCanvas(QWidget *canvas);
    void setDesignPanel(QWidget *panel);
    QWidget *canvas() const;
    QWidget *designPanel() const;
    CPrintTemplate *printTemplate() const { return tabPanel_; }

    MainFrameHooks &hooks() { return hooks_; }

    // Makes command `id` run `handler` (after its permission test) and enables it.
    void setCommandHandler(int id, std::function<void()> handler);

    // Runs a command: refuses it with the permission message when the user
    // lacks its flag, else does it. True when it ran.
    bool runCommand(int id);
    // The one permission gate: true when the user holds flag `permission`
    // (or it is -1), else shows the permission message and gives false.
    bool checkPermission(int permission);
    // The maker's home page in the web browser (no permission needed).
    void openHomePage();

    // The action of a command id; shared by menu, toolbar and keys.
    QAction *action(int id) const { return actions_.value(id); }

    // The entries of the canvas's context menu "编辑", separator included, in
    // menu order; they run through the same commands as the menu.
    QList<QAction *> contextMenuActions() const { return contextActions_; }

    QToolBar *standardToolBar() const { return toolBar_; }

    // The one place the design mode starts and ends: shows or hides the
    // design panel, sets AppState::designMode, clears templateModified, runs
    // the enter or leave hook and keeps the menu's check mark. "编辑模板" and
    // the design panel's "保存模板" and "退出编辑" all end here. Nothing
    // happens when the mode is already as asked.
    void setDesignMode(bool on);

    // The status bar's message pane; empty text shows "就绪".
    void setStatusMessage(const QString &text);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createActions();
    void createMenus();
    void createToolBar();
    void createStatusBar();
    void createSplitters();
    void installCanvasPlaceholderMenu(QWidget *placeholder);
    void syncCheckMarks();
    bool isCommandKey(const QKeyEvent *key) const;
    bool isDesignKey(const QKeyEvent *key) const;
    void updateLockIndicators();

    // The small commands done here in full.
    void newWaybill();
    void singlePrint();
    void toggleDesignMode();
    void exitProgram();
    // Before the program ends: a template in design with unsaved changes is
    // saved first if the user wants ("是否保存当前模板？"); false when the
    // user called the exit off or the template could not be written.
    bool saveTemplateBeforeExit();
    void openHelp();
    void startCalculator();
    void onlineUpgrade();
    void showAbout();

    AppState &state_;
    Dialogs &dialogs_;
    ShellServices &shell_;
    DataFolder folder_;
    WebLinks links_;
    MainFrameHooks hooks_;

    QHash<int, QAction *> actions_;
    QHash<int, std::function<void()>> handlers_;
    QList<QAction *> contextActions_;
    QToolBar *toolBar_ = nullptr;
    ST_SplitterWnd *outer_ = nullptr;
    ST_SplitterWnd *nested_ = nullptr;
    CPrintTemplate *tabPanel_ = nullptr;
    QLabel *statusMessage_ = nullptr;
    QLabel *capIndicator_ = nullptr;
    QLabel *numIndicator_ = nullptr;
    QLabel *scrlIndicator_ = nullptr;
    bool trackLockKeys_ = false;
    LockKeys lockKeys_;
};

}
