#include "core/recognition/WordTrie.h"

namespace zentra {

void WordTrie::add(std::u32string_view word, int value)
{
    if (word.empty())
        return;
    if (rootChildren_.empty())
        rootChildren_.assign(0x10000, -1);
    int node = 0;
    for (char32_t c : word) {
        int next = child(node, c);
        if (next < 0) {
            next = static_cast<int>(nodes_.size());
            nodes_.push_back(Node{});
            if (node == 0 && c < rootChildren_.size())
                rootChildren_[c] = next;
            else
                edges_.emplace(key(node, c), next);
            nodes_[static_cast<std::size_t>(node)].leaf = false;
        }
        node = next;
    }
    std::vector<int> &values = nodes_[static_cast<std::size_t>(node)].values;
    for (int v : values)
        if (v == value)
            return;
    values.push_back(value);
}

}
