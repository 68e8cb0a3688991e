#include "ui/app/MainCommands.h"

#include <algorithm>
#include <iterator>

namespace zentra::ui {

const char *const kMenuTitles[kMenuCount] = {"快递打印(&E)", "模板管理(&T)", "数据管理(&D)", "系统选项(&S)",
                                             "帮助(&H)"};

namespace {

using namespace cmd;

// clang-format off
const MainCommand kCommands[] = {
    {NewWaybill,          0, "新快递单(&N)",           "Ctrl+N",       4,  "新快递单", false},
    {TemplateDefaultText, 0, "模板默认文本(&D)",       "Ctrl+D",       -1, nullptr,    false},
    {AddToPrintList,      0, "添加到打印列表(&L)",     "Ctrl+L",       -1, nullptr,    false},
    {SinglePrint,         0, "单张打印(&P)",           "Ctrl+P",       5,  "单张打印", true},
    {BatchPrint,          0, "批量打印(&Y)",           "Ctrl+Shift+P", 6,  "批量打印", false},
    {Exit,                0, "退出(&X)",               nullptr,        -1, "退出程序", true},
    {NewTemplate,         1, "新建模板(&N)",           "Ctrl+Shift+N", 8,  "新建模板", false},
    {EditTemplate,        1, "编辑模板(&E)",           "Ctrl+Shift+E", 9,  "编辑模板", false},
    {ImportTemplate,      1, "模板导入(&I)",           nullptr,        10, nullptr,    true},
    {ExportTemplate,      1, "模板导出(&O)",           nullptr,        11, nullptr,    false},
    {NewSender,           2, "新发件人(&S)",           "Ctrl+S",       13, "新发件人", false},
    {NewReceiver,         2, "新收件人(&R)",           "Ctrl+R",       14, "新收件人", false},
    {TaobaoOrders,        2, "淘宝订单(&T)",           "Ctrl+T",       7,  "淘宝订单", false},
    {RecognizeAddress,    2, "收货信息识别(&M)",       "Ctrl+M",       15, "信息识别", false},
    {AddGoods,            2, "添加货品(&G)",           "Ctrl+G",       16, "添加货品", true},
    {FreightRates,        2, "运费设置(&F)",           "Ctrl+Shift+F", 17, nullptr,    false},
    {History,             2, "历史快递单查询(&H)",     "Ctrl+H",       18, "历史单据", true},
    {BackupDatabase,      2, "数据库备份(&B)",         nullptr,        19, nullptr,    true},
    {RestoreDatabase,     2, "数据库还原(&S)",         nullptr,        20, nullptr,    false},
    {CompactDatabase,     2, "数据库压缩和修复(&U)",   nullptr,        21, nullptr,    false},
    {Settings,            3, "系统设置(&O)",           "Ctrl+Shift+O", 22, "系统设置", false},
    {StatusBar,           3, "状态栏(&S)",             nullptr,        -1, nullptr,    true},
    {Toolbars,            3, "工具栏和停靠窗口(&T)",   nullptr,        -1, nullptr,    false},
    {ManageUsers,         3, "用户管理(&M)",           nullptr,        23, nullptr,    true},
    {ChangePassword,      3, "修改密码(&P)",           nullptr,        24, nullptr,    false},
    {Permissions,         3, "权限设置(&O)",           nullptr,        25, nullptr,    false},
    {Help,                4, "系统帮助(&V)",           "Ctrl+F1",      -1, "系统帮助", false},
    {Calculator,          4, "计算器(&J)",             "Ctrl+J",       -1, nullptr,    true},
    {ExpressQuery,        4, "快递查询(&K)",           "Ctrl+K",       -1, nullptr,    false},
    {PostcodeQuery,       4, "邮编查询(&Y)",           "Ctrl+Y",       -1, nullptr,    false},
    {OnlineUpgrade,       4, "在线升级(&U)",           nullptr,        -1, nullptr,    true},
    {About,               4, "关于软件(&A)...",        nullptr,        -1, nullptr,    false},
};
// clang-format on

const int kToolbar[] = {NewWaybill, History,  0,        TaobaoOrders, NewSender,    NewReceiver, RecognizeAddress,
                        0,          AddGoods, 0,        NewTemplate,  EditTemplate, 0,           SinglePrint,
                        BatchPrint, 0,        Settings, Help,         Exit};

const int kCanvasMenu[] = {NewWaybill, TemplateDefaultText, 0, SinglePrint, AddToPrintList};

}

std::span<const MainCommand> mainCommands()
{
    return kCommands;
}

const MainCommand *findCommand(int id)
{
    auto it =
        std::find_if(std::begin(kCommands), std::end(kCommands), [id](const MainCommand &c) { return c.id == id; });
    return it == std::end(kCommands) ? nullptr : &*it;
}

std::span<const int> toolbarLayout()
{
    return kToolbar;
}

std::span<const int> canvasMenuLayout()
{
    return kCanvasMenu;
}

}
