#include "core/templates/FieldCatalogue.h"

#include "core/config/AppState.h"
#include "core/templates/TemplateFile.h"

#include <algorithm>
#include <array>
#include <climits>

namespace zentra {
namespace {

constexpr std::array<std::string_view, 5> kGroups = {"发件人", "收件人", "订单信息", "保价金额", "其它"};

struct FieldEntry {
    std::string_view name;
    AddLabelCheckbox checkbox;
};

constexpr std::array<FieldEntry, 54> kFields = {{
    {"发件人姓名", {0, kGroups[0], "姓名"}},
    {"发件人手机", {1, kGroups[0], "手机"}},
    {"发件人座机", {2, kGroups[0], "座机"}},
    {"发件人省份", {3, kGroups[0], "省份"}},
    {"发件人城市", {4, kGroups[0], "城市"}},
    {"发件人地区", {5, kGroups[0], "地区"}},
    {"发件人邮编", {6, kGroups[0], "邮编"}},
    {"发件人地址", {7, kGroups[0], "地址"}},
    {"发件人公司", {8, kGroups[0], "公司"}},
    {"发件人备注", {9, kGroups[0], "备注"}},
    {"发件人旺旺", {10, kGroups[0], "旺旺"}},
    {"发件人QQ", {11, kGroups[0], "QQ"}},
    {"发件人自定义1", {12, kGroups[0], "自定义一"}},
    {"发件人自定义2", {13, kGroups[0], "自定义二"}},
    {"发件人自定义3", {14, kGroups[0], "自定义三"}},
    {"发件人签名", {15, kGroups[0], "发件人签名"}},
    {"发件人始发地", {16, kGroups[0], "始发地"}},
    {"收件人姓名", {20, kGroups[1], "姓名"}},
    {"收件人手机", {21, kGroups[1], "手机"}},
    {"收件人座机", {22, kGroups[1], "座机"}},
    {"收件人省份", {23, kGroups[1], "省份"}},
    {"收件人城市", {24, kGroups[1], "城市"}},
    {"收件人地区", {25, kGroups[1], "地区"}},
    {"收件人邮编", {26, kGroups[1], "邮编"}},
    {"收件人地址", {27, kGroups[1], "地址"}},
    {"收件人公司", {28, kGroups[1], "公司"}},
    {"收件人备注", {29, kGroups[1], "备注"}},
    {"收件人旺旺", {30, kGroups[1], "旺旺"}},
    {"收件人QQ", {31, kGroups[1], "QQ"}},
    {"收件人自定义1", {32, kGroups[1], "自定义一"}},
    {"收件人自定义2", {33, kGroups[1], "自定义二"}},
    {"收件人自定义3", {34, kGroups[1], "自定义三"}},
    {"收件人自定义4", {35, kGroups[1], "自定义四"}},
    {"收件人目的地", {36, kGroups[1], "目的地"}},
    {"订单号", {40, kGroups[2], "订单号"}},
    {"快递号", {41, kGroups[2], "快递号"}},
    {"成交时间", {42, kGroups[2], "成交时间"}},
    {"宝贝名称", {43, kGroups[2], "宝贝名称"}},
    {"宝贝简称", {44, kGroups[2], "宝贝简称"}},
    {"宝贝数量", {45, kGroups[2], "宝贝数量"}},
    {"宝贝重量", {46, kGroups[2], "宝贝重量"}},
    {"商品总价", {47, kGroups[2], "商品总价"}},
    {"运费", {48, kGroups[2], "运费"}},
    {"实收款", {49, kGroups[2], "实收款"}},
    {"保价金额", {50, kGroups[3], "保价金额"}},
    {"万", {51, kGroups[3], "万"}},
    {"仟", {52, kGroups[3], "仟"}},
    {"佰", {53, kGroups[3], "佰"}},
    {"拾", {54, kGroups[3], "拾"}},
    {"元", {55, kGroups[3], "元"}},
    {"年", {56, kGroups[4], "年"}},
    {"月", {57, kGroups[4], "月"}},
    {"日", {58, kGroups[4], "日"}},
    {"时", {59, kGroups[4], "时"}},
}};

// Position of each field in kFields, or -1 for slots without a field.
constexpr std::array<int, Template::kSlotCount> kEntryOfIndex = [] {
    std::array<int, Template::kSlotCount> entry{};
    entry.fill(-1);
    for (std::size_t k = 0; k < kFields.size(); ++k)
        entry[static_cast<std::size_t>(kFields[k].checkbox.index)] = static_cast<int>(k);
    return entry;
}();

constexpr std::array<AddLabelCheckbox, kFields.size()> kCheckboxes = [] {
    std::array<AddLabelCheckbox, kFields.size()> boxes{};
    for (std::size_t k = 0; k < kFields.size(); ++k)
        boxes[k] = kFields[k].checkbox;
    return boxes;
}();

const FieldEntry *entryOf(int index)
{
    if (index < 0 || index >= Template::kSlotCount)
        return nullptr;
    int k = kEntryOfIndex[static_cast<std::size_t>(index)];
    return k < 0 ? nullptr : &kFields[static_cast<std::size_t>(k)];
}

}

bool hasField(int index)
{
    return entryOf(index) != nullptr;
}

std::string fieldName(int index)
{
    const FieldEntry *e = entryOf(index);
    return e ? std::string(e->name) : std::string();
}

std::span<const std::string_view> addLabelGroups()
{
    return kGroups;
}

std::span<const AddLabelCheckbox> addLabelCheckboxes()
{
    return kCheckboxes;
}

const AddLabelCheckbox *addLabelCheckbox(int index)
{
    const FieldEntry *e = entryOf(index);
    return e ? &kCheckboxes[static_cast<std::size_t>(e - kFields.data())] : nullptr;
}

int addLabelIndex(std::string_view group, std::string_view caption)
{
    for (const AddLabelCheckbox &box : kCheckboxes)
        if (box.group == group && box.caption == caption)
            return box.index;
    return -1;
}

TemplateItem makeDefaultItem(int index, const AppState &settings)
{
    TemplateItem item;
    item.id = Template::kFirstItemId + index;
    item.text = fieldName(index);
    int column = index / 10, row = index % 10;
    item.left = 20 + 120 * column;
    item.top = 20 + 30 * row;
    item.right = item.left + 100;
    item.bottom = item.top + 20;

    const int height = settings.fontHeight > 0 ? settings.fontHeight : kUnsetFontHeight;
    item.fontSize = 6 * std::min(height, INT_MAX / 6);
    if (!settings.fontName.empty())
        item.fontName = limitFaceName(settings.fontName);
    const std::string &style = settings.fontStyle;
    if (style == "斜体" || style == "粗斜")
        item.italic = true;
    if (style == "粗体" || style == "粗斜")
        item.bold = true;
    item.color = parseColorText(settings.fontColor);
    return item;
}

void setDefaultTexts(Template &t)
{
    for (std::size_t slot = 0; slot < t.items.size(); ++slot)
        if (t.items[slot])
            t.items[slot]->text = fieldName(static_cast<int>(slot));
}

void clearTexts(Template &t)
{
    for (auto &item : t.items)
        if (item)
            item->text.clear();
}

}
