#include "core/users/PermissionTree.h"

#include <gtest/gtest.h>

using zentra::PermissionRow;
using zentra::PermissionTree;

namespace {

// 1 "打印"            (children 3, 4)
// 2 "数据"            (child 5, whose child is 6)
// 3, 4, 5 and 6 as listed; 7 has a parent that does not exist.
std::vector<PermissionRow> sampleRows(bool allowed)
{
    return {{1, 0, "打印", allowed}, {2, 0, "数据", allowed},     {3, 1, "单张", allowed}, {4, 1, "批量", allowed},
            {5, 2, "备份", allowed}, {6, 5, "自动备份", allowed}, {7, 99, "孤儿", allowed}};
}

std::vector<std::string> checked(const PermissionTree &t)
{
    std::vector<std::string> out;
    for (const auto &n : t.nodes())
        if (n.row.allowed)
            out.push_back(n.row.caption);
    return out;
}

TEST(PermissionTreeTest, BuildsDepthFirstToAnyDepthAndLeavesOutUnreachableRows)
{
    PermissionTree t(sampleRows(false));
    std::vector<std::pair<std::string, int>> order;
    for (const auto &n : t.nodes())
        order.emplace_back(n.row.caption, n.depth);
    const std::vector<std::pair<std::string, int>> expected = {{"打印", 0}, {"单张", 1}, {"批量", 1},
                                                               {"数据", 0}, {"备份", 1}, {"自动备份", 2}};
    EXPECT_EQ(order, expected);
    EXPECT_EQ(t.find("孤儿"), -1);
}

TEST(PermissionTreeTest, LoopsOfParentsDoNotHang)
{
    // 0 is its own parent at the top; 8 and 9 are each other's parent.
    PermissionTree t({{0, 0, "零", true}, {8, 9, "甲", true}, {9, 8, "乙", true}});
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t.nodes()[0].row.caption, "零");
}

TEST(PermissionTreeTest, ChildrenFollowTheirParent)
{
    PermissionTree t(sampleRows(false));
    t.set(t.find("数据"), true);
    EXPECT_EQ(checked(t), (std::vector<std::string>{"数据", "备份", "自动备份"}));
    t.set(t.find("数据"), false);
    EXPECT_TRUE(checked(t).empty());
}

TEST(PermissionTreeTest, ParentsAgreeWithTheirChildren)
{
    PermissionTree t(sampleRows(true));
    // Unchecking one child of a full group unchecks the group...
    t.set(t.find("批量"), false);
    EXPECT_EQ(checked(t), (std::vector<std::string>{"单张", "数据", "备份", "自动备份"}));
    // ...checking the last unchecked child checks it again.
    t.set(t.find("批量"), true);
    EXPECT_EQ(checked(t).size(), 6u);
    // A grandchild unchecks every ancestor, and checking it back checks them.
    t.set(t.find("自动备份"), false);
    EXPECT_EQ(checked(t), (std::vector<std::string>{"打印", "单张", "批量"}));
    t.set(t.find("自动备份"), true);
    EXPECT_EQ(checked(t).size(), 6u);
    // Checking one child while a sibling is unchecked leaves the parent alone.
    t.setAll(false);
    t.set(t.find("单张"), true);
    EXPECT_EQ(checked(t), (std::vector<std::string>{"单张"}));
}

}
