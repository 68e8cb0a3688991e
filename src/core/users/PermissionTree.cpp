#include "core/users/PermissionTree.h"

#include <algorithm>

namespace zentra {

PermissionTree::PermissionTree(std::vector<PermissionRow> rows)
{
    std::vector<bool> used(rows.size(), false);
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (!used[i] && rows[i].pid == 0)
            add(rows, i, -1, 0, used);
}

void PermissionTree::add(const std::vector<PermissionRow> &rows, std::size_t row, int parent, int depth,
                         std::vector<bool> &used)
{
    // A row enters the tree once: a loop of parents (a row that is its own
    // ancestor) ends here instead of recursing for ever.
    used[row] = true;
    const int index = static_cast<int>(nodes_.size());
    nodes_.push_back(Node{rows[row], parent, depth, {}});
    if (parent >= 0)
        nodes_[static_cast<std::size_t>(parent)].children.push_back(index);
    const long long id = rows[row].id;
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (!used[i] && rows[i].pid == id && rows[i].pid != 0)
            add(rows, i, index, depth + 1, used);
}

int PermissionTree::find(const std::string &caption) const
{
    auto it = std::find_if(nodes_.begin(), nodes_.end(), [&](const Node &n) { return n.row.caption == caption; });
    return it == nodes_.end() ? -1 : static_cast<int>(it - nodes_.begin());
}

void PermissionTree::setBelow(int node, bool allowed)
{
    Node &n = nodes_[static_cast<std::size_t>(node)];
    n.row.allowed = allowed;
    for (int child : n.children)
        setBelow(child, allowed);
}

void PermissionTree::set(int node, bool allowed)
{
    if (node < 0 || node >= static_cast<int>(nodes_.size()))
        return;
    setBelow(node, allowed);
    for (int up = nodes_[static_cast<std::size_t>(node)].parent; up >= 0;
         up = nodes_[static_cast<std::size_t>(up)].parent) {
        Node &parent = nodes_[static_cast<std::size_t>(up)];
        if (!allowed) {
            parent.row.allowed = false;
            continue;
        }
        const bool all = std::all_of(parent.children.begin(), parent.children.end(),
                                     [this](int c) { return nodes_[static_cast<std::size_t>(c)].row.allowed; });
        if (!all)
            break;
        parent.row.allowed = true;
    }
}

void PermissionTree::setAll(bool allowed)
{
    for (Node &n : nodes_)
        n.row.allowed = allowed;
}

}
