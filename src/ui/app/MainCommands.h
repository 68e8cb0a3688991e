#pragma once

#include <span>

namespace zentra::ui {

// Command ids of the main menu, the toolbar, the keys and the canvas's
// context menu. One id is one command, whichever way it is reached.
namespace cmd {
inline constexpr int NewWaybill = 32830;
inline constexpr int TemplateDefaultText = 32900;
inline constexpr int AddToPrintList = 32904;
inline constexpr int SinglePrint = 32810;
inline constexpr int BatchPrint = 32811;
inline constexpr int Exit = 57665;
inline constexpr int NewTemplate = 32808;
inline constexpr int EditTemplate = 32814;
inline constexpr int ImportTemplate = 32828;
inline constexpr int ExportTemplate = 32829;
inline constexpr int NewSender = 32781;
inline constexpr int NewReceiver = 32780;
inline constexpr int TaobaoOrders = 32813;
inline constexpr int RecognizeAddress = 32888;
inline constexpr int AddGoods = 32788;
inline constexpr int FreightRates = 32826;
inline constexpr int History = 32786;
inline constexpr int BackupDatabase = 32818;
inline constexpr int RestoreDatabase = 32819;
inline constexpr int CompactDatabase = 32820;
inline constexpr int Settings = 32839;
inline constexpr int StatusBar = 59393;
inline constexpr int Toolbars = 59392;
inline constexpr int ManageUsers = 32845;
inline constexpr int ChangePassword = 32846;
inline constexpr int Permissions = 32848;
inline constexpr int Help = 32834;
inline constexpr int Calculator = 32837;
inline constexpr int ExpressQuery = 32841;
inline constexpr int PostcodeQuery = 32884;
inline constexpr int OnlineUpgrade = 32897;
inline constexpr int About = 57664;
}

// The refusal of a command the user has no right to, and the exit question.
inline constexpr const char *kNoPermissionText = "您没有权限使用该功能，请与管理员联系！";
inline constexpr const char *kExitQuestionText = "你确定要退出本系统吗?";

// One entry of the main menu. `menu` is the index into kMenuTitles; a
// permission of -1 means the command is not guarded.
struct MainCommand {
    int id;
    int menu;
    const char *caption;
    const char *keys;         // QKeySequence text, or nullptr
    int permission;           // index into AppState::permissions, or -1
    const char *toolbarLabel; // text under the toolbar button, or nullptr
    bool separatorBefore;
};

inline constexpr int kMenuCount = 5;
extern const char *const kMenuTitles[kMenuCount];

// Every command of the main menu in menu order (the status bar and toolbar
// entries of the options menu included).
std::span<const MainCommand> mainCommands();
const MainCommand *findCommand(int id);

// The standard toolbar, left to right; 0 stands for a separator.
std::span<const int> toolbarLayout();

// The canvas's context menu "编辑", top to bottom; 0 stands for a separator.
std::span<const int> canvasMenuLayout();

}
