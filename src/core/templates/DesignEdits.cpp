#include "core/templates/DesignEdits.h"

#include <algorithm>
#include <vector>

namespace zentra {
namespace {

constexpr int kSmallestStart = 10000;
constexpr int kLargestStart = 0;

std::vector<TemplateItem *> selectedItems(Template &t, const ItemSelection &selected)
{
    std::vector<TemplateItem *> items;
    for (std::size_t i = 0; i < t.items.size(); ++i)
        if (selected[i] && t.items[i])
            items.push_back(&*t.items[i]);
    return items;
}

void moveBy(TemplateItem &it, int dx, int dy)
{
    it.left += dx;
    it.right += dx;
    it.top += dy;
    it.bottom += dy;
}

}

bool moveItems(Template &t, const ItemSelection &selected, int dx, int dy)
{
    const auto items = selectedItems(t, selected);
    for (TemplateItem *it : items)
        moveBy(*it, dx, dy);
    return !items.empty();
}

bool alignItems(Template &t, const ItemSelection &selected, ItemAlign align)
{
    const auto items = selectedItems(t, selected);
    if (items.empty())
        return false;
    int ref = align == ItemAlign::Top || align == ItemAlign::Left ? kSmallestStart : kLargestStart;
    for (const TemplateItem *it : items) {
        switch (align) {
        case ItemAlign::Top:
            ref = std::min(ref, it->top);
            break;
        case ItemAlign::Bottom:
            ref = std::max(ref, it->bottom);
            break;
        case ItemAlign::Left:
            ref = std::min(ref, it->left);
            break;
        case ItemAlign::Right:
            ref = std::max(ref, it->right);
            break;
        }
    }
    for (TemplateItem *it : items) {
        switch (align) {
        case ItemAlign::Top:
            moveBy(*it, 0, ref - it->top);
            break;
        case ItemAlign::Bottom:
            moveBy(*it, 0, ref - it->bottom);
            break;
        case ItemAlign::Left:
            moveBy(*it, ref - it->left, 0);
            break;
        case ItemAlign::Right:
            moveBy(*it, ref - it->right, 0);
            break;
        }
    }
    return true;
}

bool sizeItems(Template &t, const ItemSelection &selected, ItemSizing sizing)
{
    const auto items = selectedItems(t, selected);
    if (items.empty())
        return false;
    const bool largest =
        sizing == ItemSizing::MaxWidth || sizing == ItemSizing::MaxHeight || sizing == ItemSizing::MaxBoth;
    const bool widths = sizing != ItemSizing::MaxHeight && sizing != ItemSizing::MinHeight;
    const bool heights = sizing != ItemSizing::MaxWidth && sizing != ItemSizing::MinWidth;
    int width = largest ? kLargestStart : kSmallestStart;
    int height = width;
    for (const TemplateItem *it : items) {
        const int w = it->right - it->left, h = it->bottom - it->top;
        width = largest ? std::max(width, w) : std::min(width, w);
        height = largest ? std::max(height, h) : std::min(height, h);
    }
    for (TemplateItem *it : items) {
        if (widths)
            it->right = it->left + width;
        if (heights)
            it->bottom = it->top + height;
    }
    return true;
}

}
