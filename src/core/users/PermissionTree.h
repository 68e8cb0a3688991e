#pragma once

#include <string>
#include <vector>

namespace zentra {

// One row of userPermission for one user.
struct PermissionRow {
    long long id = 0;
    long long pid = 0; // the parent's id; 0 at the top level
    std::string caption;
    bool allowed = false;
};

// A user's permission rows as the tree the permission dialog shows, with the
// rules of its check boxes. The tree is built to any depth from the rows in id
// order: every row whose pid is 0 at the top, each followed at once by its own
// children. Rows that cannot be reached from the top (a parent that is
// missing, a loop of parents) are left out, and so are never changed.
//
// What stays true after every change: a node with children is allowed exactly
// when all its children are.
class PermissionTree {
public:
    struct Node {
        PermissionRow row;
        int parent = -1; // index into nodes(), -1 at the top
        int depth = 0;
        std::vector<int> children;
    };

    PermissionTree() = default;
    explicit PermissionTree(std::vector<PermissionRow> rowsInIdOrder);

    // Depth first: an item, then its children, then its next sibling.
    const std::vector<Node> &nodes() const { return nodes_; }
    std::size_t size() const { return nodes_.size(); }

    // The node of a caption, -1 when there is none.
    int find(const std::string &caption) const;

    // Sets a node as its check box was clicked: every node below it takes the
    // new state; when it became allowed and all its siblings are, the parent
    // becomes allowed too (and so on upwards); when it became denied, every
    // ancestor is denied.
    void set(int node, bool allowed);

    void setAll(bool allowed);

private:
    void add(const std::vector<PermissionRow> &rows, std::size_t row, int parent, int depth, std::vector<bool> &used);
    void setBelow(int node, bool allowed);

    std::vector<Node> nodes_;
};

}
