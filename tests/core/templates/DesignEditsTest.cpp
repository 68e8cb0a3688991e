#include "core/templates/DesignEdits.h"
#include "core/templates/TemplateHistory.h"

#include <gtest/gtest.h>

#include <vector>

namespace zentra {
namespace {

struct Box {
    int left, top, width, height;
    friend bool operator==(const Box &, const Box &) = default;
};

Template withItems(const std::vector<std::pair<int, Box>> &items)
{
    Template t;
    for (const auto &[slot, b] : items) {
        TemplateItem it;
        it.id = Template::kFirstItemId + slot;
        it.left = b.left;
        it.top = b.top;
        it.right = b.left + b.width;
        it.bottom = b.top + b.height;
        t.items[slot] = it;
    }
    return t;
}

Box boxOf(const Template &t, int slot)
{
    const TemplateItem &it = *t.items[slot];
    return Box{it.left, it.top, it.right - it.left, it.bottom - it.top};
}

ItemSelection select(std::initializer_list<int> slots)
{
    ItemSelection s{};
    for (int i : slots)
        s[i] = true;
    return s;
}

// Three items in slots 3, 7 and 20: lefts 30, 50, 80; widths 100, 60, 90.
Template threeItems()
{
    return withItems({{3, {30, 40, 100, 20}}, {7, {50, 10, 60, 35}}, {20, {80, 70, 90, 25}}});
}

TEST(DesignEdits, alignKeepsSizesAndUsesTheExtremeOfTheSelection)
{
    struct Case {
        ItemAlign align;
        std::vector<Box> expected;
    };
    const Case cases[] = {
        {ItemAlign::Left, {{30, 40, 100, 20}, {30, 10, 60, 35}, {30, 70, 90, 25}}},
        {ItemAlign::Right, {{70, 40, 100, 20}, {110, 10, 60, 35}, {80, 70, 90, 25}}},
        {ItemAlign::Top, {{30, 10, 100, 20}, {50, 10, 60, 35}, {80, 10, 90, 25}}},
        {ItemAlign::Bottom, {{30, 75, 100, 20}, {50, 60, 60, 35}, {80, 70, 90, 25}}},
    };
    for (const Case &c : cases) {
        Template t = threeItems();
        ASSERT_TRUE(alignItems(t, select({3, 7, 20}), c.align));
        EXPECT_EQ(boxOf(t, 3), c.expected[0]);
        EXPECT_EQ(boxOf(t, 7), c.expected[1]);
        EXPECT_EQ(boxOf(t, 20), c.expected[2]);
    }
}

TEST(DesignEdits, sizingTakesWidthsAndHeightsApartAndKeepsTopLeft)
{
    struct Case {
        ItemSizing sizing;
        int width, height; // -1: unchanged
    };
    const Case cases[] = {
        {ItemSizing::MinWidth, 60, -1},  {ItemSizing::MaxWidth, 100, -1}, {ItemSizing::MinHeight, -1, 20},
        {ItemSizing::MaxHeight, -1, 35}, {ItemSizing::MinBoth, 60, 20},   {ItemSizing::MaxBoth, 100, 35},
    };
    for (const Case &c : cases) {
        const Template before = threeItems();
        Template t = before;
        ASSERT_TRUE(sizeItems(t, select({3, 7, 20}), c.sizing));
        for (int slot : {3, 7, 20}) {
            const Box was = boxOf(before, slot), now = boxOf(t, slot);
            EXPECT_EQ(now.left, was.left);
            EXPECT_EQ(now.top, was.top);
            EXPECT_EQ(now.width, c.width < 0 ? was.width : c.width);
            EXPECT_EQ(now.height, c.height < 0 ? was.height : c.height);
        }
    }
}

TEST(DesignEdits, onlySelectedExistingItemsChange)
{
    Template t = threeItems();
    const Template before = t;
    // Nothing selected, or only empty slots: nothing happens and the caller is told.
    EXPECT_FALSE(moveItems(t, select({}), 0, 5));
    EXPECT_FALSE(alignItems(t, select({0, 59}), ItemAlign::Left));
    EXPECT_FALSE(sizeItems(t, select({1}), ItemSizing::MaxBoth));
    EXPECT_EQ(t, before);

    ASSERT_TRUE(moveItems(t, select({7, 20, 59}), 0, 5));
    EXPECT_EQ(boxOf(t, 3), boxOf(before, 3));
    EXPECT_EQ(boxOf(t, 7), (Box{50, 15, 60, 35}));
    EXPECT_EQ(boxOf(t, 20), (Box{80, 75, 90, 25}));
    EXPECT_FALSE(t.items[59]);

    // One selected item aligns on itself.
    Template one = threeItems();
    ASSERT_TRUE(alignItems(one, select({7}), ItemAlign::Right));
    EXPECT_EQ(one, threeItems());
}

TEST(DesignEdits, referencesStartAtTheirFixedValues)
{
    // The smallest starts at 10000: items lying wholly beyond it align there.
    Template far = withItems({{0, {12000, 0, 10, 10}}, {1, {15000, 0, 10, 10}}});
    ASSERT_TRUE(alignItems(far, select({0, 1}), ItemAlign::Left));
    EXPECT_EQ(boxOf(far, 0).left, 10000);
    EXPECT_EQ(boxOf(far, 1).left, 10000);

    // The largest starts at 0: items wholly left of the canvas align on 0.
    Template left = withItems({{0, {-50, 0, 20, 10}}, {1, {-80, 0, 30, 10}}});
    ASSERT_TRUE(alignItems(left, select({0, 1}), ItemAlign::Right));
    EXPECT_EQ(boxOf(left, 0), (Box{-20, 0, 20, 10}));
    EXPECT_EQ(boxOf(left, 1), (Box{-30, 0, 30, 10}));
}

TEST(TemplateHistory, undoAndRedoWalkTheStepsAndANewStepDropsTheRedos)
{
    TemplateHistory h;
    EXPECT_FALSE(h.canUndo());
    EXPECT_FALSE(h.undo(Template{}));

    const Template a = threeItems();
    Template b = a;
    ASSERT_TRUE(alignItems(b, select({3, 7, 20}), ItemAlign::Left));
    Template c = b;
    ASSERT_TRUE(sizeItems(c, select({3, 7}), ItemSizing::MinWidth));
    h.record(a, b);
    h.record(b, c);
    h.record(c, c); // no change, no step

    auto u = h.undo(c);
    ASSERT_TRUE(u);
    EXPECT_EQ(*u, b);
    u = h.undo(b);
    ASSERT_TRUE(u);
    EXPECT_EQ(*u, a);
    EXPECT_FALSE(h.canUndo());
    auto r = h.redo(a);
    ASSERT_TRUE(r);
    EXPECT_EQ(*r, b);
    EXPECT_TRUE(h.canRedo());

    Template d = b;
    ASSERT_TRUE(moveItems(d, select({3}), 1, 1));
    h.record(b, d);
    EXPECT_FALSE(h.canRedo());
    u = h.undo(d);
    ASSERT_TRUE(u);
    EXPECT_EQ(*u, b);

    h.clear();
    EXPECT_FALSE(h.canUndo());
    EXPECT_FALSE(h.canRedo());
}

TEST(TemplateHistory, oneGestureIsOneStep)
{
    TemplateHistory h;
    const Template start = threeItems();
    Template t = start;
    // A drag reports every pointer move under one key: one step.
    for (int i = 0; i < 3; ++i) {
        Template next = t;
        moveItems(next, select({3, 7}), 5, 0);
        h.record(t, next, 1);
        t = next;
    }
    h.closeStep();
    // The next drag with the same key is a step of its own.
    Template second = t;
    moveItems(second, select({3}), 0, 5);
    h.record(t, second, 1);

    auto u = h.undo(second);
    ASSERT_TRUE(u);
    EXPECT_EQ(*u, t);
    u = h.undo(t);
    ASSERT_TRUE(u);
    EXPECT_EQ(*u, start);
    EXPECT_FALSE(h.canUndo());

    // Different keys never merge.
    TemplateHistory k;
    Template x = start, y = start, z = start;
    moveItems(y, select({3}), 1, 0);
    moveItems(z, select({3}), 2, 0);
    k.record(x, y, 1);
    k.record(y, z, 2);
    ASSERT_TRUE(k.undo(z));
    ASSERT_TRUE(k.undo(y));
    EXPECT_FALSE(k.canUndo());
}

TEST(TemplateHistory, typedTextSurvivesUndoUnlessTheStepChangedIt)
{
    TemplateHistory h;
    Template a = threeItems();
    Template moved = a;
    moveItems(moved, select({3}), 10, 0);
    h.record(a, moved);

    // Text typed after the move is no step; undoing the move keeps it.
    Template typed = moved;
    typed.items[3]->text = "typed";
    auto u = h.undo(typed);
    ASSERT_TRUE(u);
    EXPECT_EQ(u->items[3]->left, 30);
    EXPECT_EQ(u->items[3]->text, "typed");

    // A step that changed the text (default text, clear text) restores it.
    TemplateHistory g;
    Template before = threeItems();
    before.items[7]->text = "old";
    Template cleared = before;
    cleared.items[7]->text.clear();
    g.record(before, cleared);
    u = g.undo(cleared);
    ASSERT_TRUE(u);
    EXPECT_EQ(u->items[7]->text, "old");
    auto r = g.redo(*u);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->items[7]->text, "");

    // Removing and adding labels come back whole.
    TemplateHistory rm;
    Template full = threeItems();
    Template fewer = full;
    fewer.items[20].reset();
    rm.record(full, fewer);
    u = rm.undo(fewer);
    ASSERT_TRUE(u);
    EXPECT_EQ(*u, full);
}

TEST(TemplateHistory, keepsTheNewestStepsAndThePictureOfEach)
{
    TemplateHistory h;
    Template t = threeItems();
    t.imgData = std::string(64 << 10, 'A');
    const Template first = t;
    for (std::size_t i = 0; i < TemplateHistory::kMaxSteps + 20; ++i) {
        Template next = t;
        moveItems(next, select({3}), 1, 0);
        if (i == 50)
            next.imgData = std::string(1000, 'B'); // a background change
        h.record(t, next);
        t = next;
    }
    std::size_t steps = 0;
    Template shown = t;
    while (auto u = h.undo(shown)) {
        shown = *u;
        ++steps;
    }
    EXPECT_EQ(steps, TemplateHistory::kMaxSteps);
    EXPECT_EQ(shown.items[3]->left, first.items[3]->left + 20);
    EXPECT_EQ(shown.imgData, first.imgData);
    while (auto r = h.redo(shown))
        shown = *r;
    EXPECT_EQ(shown, t);
    EXPECT_EQ(shown.imgData, std::string(1000, 'B'));
}

}
}
