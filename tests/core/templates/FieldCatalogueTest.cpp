#include "core/config/AppState.h"
#include "core/templates/FieldCatalogue.h"

#include <gtest/gtest.h>

#include <set>

namespace zentra {
namespace {

TEST(FieldCatalogue, NamesCheckboxesAndGroups)
{
    struct Row {
        int index;
        const char *name, *group, *caption;
    };
    const Row rows[] = {
        {0, "发件人姓名", "发件人", "姓名"},         {11, "发件人QQ", "发件人", "QQ"},
        {12, "发件人自定义1", "发件人", "自定义一"}, {15, "发件人签名", "发件人", "发件人签名"},
        {16, "发件人始发地", "发件人", "始发地"},    {20, "收件人姓名", "收件人", "姓名"},
        {35, "收件人自定义4", "收件人", "自定义四"}, {36, "收件人目的地", "收件人", "目的地"},
        {40, "订单号", "订单信息", "订单号"},        {49, "实收款", "订单信息", "实收款"},
        {50, "保价金额", "保价金额", "保价金额"},    {51, "万", "保价金额", "万"},
        {55, "元", "保价金额", "元"},                {56, "年", "其它", "年"},
        {59, "时", "其它", "时"},
    };
    for (const Row &r : rows) {
        EXPECT_EQ(fieldName(r.index), r.name);
        const AddLabelCheckbox *box = addLabelCheckbox(r.index);
        ASSERT_NE(box, nullptr) << r.index;
        EXPECT_EQ(box->group, r.group);
        EXPECT_EQ(box->caption, r.caption);
        EXPECT_EQ(addLabelIndex(r.group, r.caption), r.index);
    }
    for (int index : {-1, 17, 18, 19, 37, 38, 39, 60}) {
        EXPECT_FALSE(hasField(index)) << index;
        EXPECT_EQ(fieldName(index), "") << index;
        EXPECT_EQ(addLabelCheckbox(index), nullptr) << index;
    }
    EXPECT_EQ(addLabelIndex("其它", "姓名"), -1);

    // Every checkbox is found back by its group and caption, and every group
    // is one of the five boxes.
    const auto groups = addLabelGroups();
    ASSERT_EQ(groups.size(), 5u);
    EXPECT_EQ(groups[0], "发件人");
    EXPECT_EQ(groups[4], "其它");
    EXPECT_EQ(addLabelCheckboxes().size(), 54u);
    std::set<int> indexes;
    for (const AddLabelCheckbox &box : addLabelCheckboxes()) {
        EXPECT_TRUE(hasField(box.index));
        EXPECT_EQ(addLabelIndex(box.group, box.caption), box.index);
        EXPECT_NE(std::find(groups.begin(), groups.end(), box.group), groups.end());
        indexes.insert(box.index);
    }
    EXPECT_EQ(indexes.size(), 54u);
}

TEST(FieldCatalogue, NewItemsArePlacedByIndex)
{
    struct Case {
        int index, left, top;
    };
    for (const Case &c : {Case{0, 20, 20}, Case{9, 20, 290}, Case{17, 140, 230}, Case{36, 380, 200},
                          Case{59, 620, 290}}) {
        TemplateItem item = makeDefaultItem(c.index, AppState{});
        EXPECT_EQ(item.id, 100 + c.index);
        EXPECT_EQ(item.text, fieldName(c.index));
        EXPECT_EQ(item.left, c.left) << c.index;
        EXPECT_EQ(item.top, c.top) << c.index;
        EXPECT_EQ(item.right, c.left + 100);
        EXPECT_EQ(item.bottom, c.top + 20);
    }
}

TEST(FieldCatalogue, NewItemsTakeTheConfiguredFont)
{
    struct Case {
        int fontHeight;
        std::string fontName, fontStyle, fontColor;
        int size;
        std::string face;
        bool italic, bold;
        Rgb color;
    };
    const Case cases[] = {
        {12, "黑体", "正常", "0,0,255", 72, "黑体", false, false, {0, 0, 255}},
        {9, "Arial", "斜体", "255,0,0", 54, "Arial", true, false, {255, 0, 0}},
        {9, "Arial", "粗体", "", 54, "Arial", false, true, {0, 0, 0}},
        {9, "Arial", "粗斜", "1000,2", 54, "Arial", true, true, {100, 2, 0}},
        {9, "Arial", "Bold", "0,128,255", 54, "Arial", false, false, {0, 128, 255}},
        // An unset height counts as 12; an unset face keeps the item's own.
        {0, "", "", "", 72, "宋体", false, false, {0, 0, 0}},
        {-5, std::string(40, 'x'), "", "", 72, std::string(31, 'x'), false, false, {0, 0, 0}},
    };
    for (const Case &c : cases) {
        AppState settings;
        settings.fontHeight = c.fontHeight;
        settings.fontName = c.fontName;
        settings.fontStyle = c.fontStyle;
        settings.fontColor = c.fontColor;
        TemplateItem item = makeDefaultItem(field::ReceiverName, settings);
        EXPECT_EQ(item.fontSize, c.size) << c.fontHeight;
        EXPECT_EQ(item.fontName, c.face);
        EXPECT_EQ(item.italic, c.italic) << c.fontStyle;
        EXPECT_EQ(item.bold, c.bold) << c.fontStyle;
        EXPECT_EQ(item.color, c.color) << c.fontColor;
    }
}

TEST(FieldCatalogue, DefaultAndClearTextsTouchOnlyExistingItems)
{
    Template t;
    t.items[field::OrderNumber] = makeDefaultItem(field::OrderNumber, AppState{});
    t.items[field::OrderNumber]->text = "123";
    t.items[17] = makeDefaultItem(17, AppState{});
    t.items[17]->text = "odd";
    setDefaultTexts(t);
    EXPECT_EQ(t.items[field::OrderNumber]->text, "订单号");
    EXPECT_EQ(t.items[17]->text, "");
    EXPECT_FALSE(t.items[field::ExpressNumber].has_value());
    clearTexts(t);
    EXPECT_EQ(t.items[field::OrderNumber]->text, "");
}

}
}
