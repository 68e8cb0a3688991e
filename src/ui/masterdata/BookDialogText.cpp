#include "ui/masterdata/BookDialogText.h"

#include "core/masterdata/BookKind.h"

namespace zentra::ui {
namespace {

using C = BookField::Control;

const QString kReceiverGrid = QStringLiteral(
    "选择,40,1; 行号,60,1; 姓名,80,0;  类别,100,0;旺旺号,90,0; QQ号,80,0;手机,100,0; 固话,100,0; 省份,70,0; 城市,70,0; "
    "区镇,70,0;邮编,80,0; 公司,250,0;地址,250,0;备注,160,0; 自定义1,160,0;自定义2,160,0;自定义3,160,0;自定义4,160,0;"
    "收录日期,120,0;编号,120,0");

BookDialogText addressText(bool sender)
{
    const QString who = sender ? QStringLiteral("发件人") : QStringLiteral("收件人");
    static const char *const rc[] = {"rname",     "rclass", "rqq",       "rww",    "rmobile",  "rphone",
                                     "rprovince", "rcity",  "rdistrict", "rpost",  "rcompany", "raddress",
                                     "rnote",     "rself1", "rself2",    "rself3", "rself4"};
    static const char *const sc[] = {"sname",     "sclass", "sqq",       "sww",    "smobile",  "sphone",
                                     "sprovince", "scity",  "sdistrict", "spost",  "scompany", "saddress",
                                     "snote",     "sself1", "sself2",    "sself3", "sself4"};
    const char *const *c = sender ? sc : rc;
    BookDialogText t;
    t.kind = sender ? &senderBook() : &receiverBook();
    t.caption = sender ? QStringLiteral("新发件人") : QStringLiteral("新收件人");
    t.entityGroup = who;
    t.saveButton = QStringLiteral("确定(S)");
    t.gridSpec =
        sender ? QString(kReceiverGrid).replace(QStringLiteral("自定义4,160,0"), QStringLiteral("发件人签名,160,0"))
               : kReceiverGrid;
    t.fields = {{QStringLiteral("姓名(*)"), c[0]},
                {QStringLiteral("类别"), c[1], C::Class},
                {QStringLiteral("QQ"), c[2]},
                {QStringLiteral("旺旺"), c[3]},
                {QStringLiteral("手机(*)"), c[4]},
                {sender ? QStringLiteral("电话") : QStringLiteral("固话"), c[5]},
                {QStringLiteral("省份"), c[6], C::Province},
                {QStringLiteral("城市"), c[7], C::City},
                {QStringLiteral("区镇"), c[8], C::District},
                {QStringLiteral("邮编"), c[9]},
                {QStringLiteral("公司"), c[10]},
                {QStringLiteral("地址(*)"), c[11]},
                {QStringLiteral("备注"), c[12]},
                {QStringLiteral("自定义1"), c[13]},
                {QStringLiteral("自定义2"), c[14]},
                {QStringLiteral("自定义3"), c[15]},
                {sender ? QStringLiteral("签名") : QStringLiteral("自定义4"), c[16]}};
    t.noSelection = QStringLiteral("没有选择") + who;
    t.deleteQuestion = QStringLiteral("您确认删除当前选中的%1吗？").arg(who);
    t.deleteCaption = who + QStringLiteral(" - 删除");
    t.batchDeleteQuestion = QStringLiteral("您确认批量删除当前选中的%1吗？").arg(who);
    t.batchDeleteCaption = who + QStringLiteral(" - 批量删除");
    t.classAddCaption = who + QStringLiteral("类别 - 新增");
    t.classRenameCaption = who + QStringLiteral("类别 - 修改");
    t.classDeleteCaption = who + QStringLiteral("类别 - 删除");
    t.nothingCheckedForClass = QStringLiteral("请先勾选需要修改类别的") + who;
    t.chooserObjectName = sender ? QStringLiteral("CSenderClass") : QStringLiteral("CReceiverClass");
    t.chooserCaption = QStringLiteral("批量修改-") + who + QStringLiteral("类别");
    t.keyGridColumn[0] = 6;
    t.keyGridColumn[1] = 13;
    t.idGridColumn = 20;
    return t;
}

BookDialogText goodsText()
{
    BookDialogText t;
    t.kind = &cargoBook();
    t.caption = QStringLiteral("添加货品");
    t.entityGroup = QStringLiteral("货品");
    t.saveButton = QStringLiteral("保存(S)");
    t.gridSpec = QStringLiteral(
        "选择,40,1; 行号,60,1; 货品名称,250,0; 简称,120,0; 货品类别,80,0; 条码,80,0; 重量,80,0; 货品库存,80,0; "
        "最低库存,80,0;最高库存,80,0;进货价格,80,0; 零售价格,80,0;促销价格,80,0;货品备注,200,0");
    t.fields = {{QStringLiteral("货品名称"), "cname"},
                {QStringLiteral("货品简称"), "cshort"},
                {QStringLiteral("货品类别"), "cclass", C::Class},
                {QStringLiteral("货品条码"), "cbarcode"},
                {QStringLiteral("货品重量"), "cweight", C::Numeric},
                {QStringLiteral("库存数量"), "ccurNum", C::Numeric},
                {QStringLiteral("最低库存"), "cbotNum", C::Numeric},
                {QStringLiteral("最高库存"), "ctopNum", C::Numeric},
                {QStringLiteral("进货价格"), "cpriceIn", C::Numeric},
                {QStringLiteral("销售价格"), "cpriceOut", C::Numeric},
                {QStringLiteral("促销价格"), "cpriceOn", C::Numeric},
                {QStringLiteral("货品备注"), "cnote"}};
    t.noSelection = QStringLiteral("没有选择货品");
    t.deleteQuestion = QStringLiteral("您确认删除当前选中的货品吗？");
    t.deleteCaption = QStringLiteral("货品 - 删除");
    t.batchDeleteQuestion = QStringLiteral("您确认批量删除当前选中的货品吗？");
    t.batchDeleteCaption = QStringLiteral("货品 - 批量删除");
    t.classAddCaption = QStringLiteral("货品类别 - 新增");
    t.classRenameCaption = QStringLiteral("货品类别 - 修改");
    t.classDeleteCaption = QStringLiteral("货品类别 - 删除");
    t.chooserObjectName = QStringLiteral("CCargoClass");
    t.chooserCaption = QStringLiteral("批量修改-货品类别");
    t.classByName = true;
    t.keyGridColumn[0] = 2;
    return t;
}

}

const BookDialogText &receiverDialogText()
{
    static const BookDialogText t = addressText(false);
    return t;
}

const BookDialogText &senderDialogText()
{
    static const BookDialogText t = addressText(true);
    return t;
}

const BookDialogText &cargoDialogText()
{
    static const BookDialogText t = goodsText();
    return t;
}

}
