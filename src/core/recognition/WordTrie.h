#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace zentra {

// A dictionary of words over code points that finds every word starting at a
// position by walking at most as far as its longest word, so that looking up
// every position of a text stays linear in the text. Each word carries an int
// that the owner gives meaning to; one text may be added with several values.
// Immutable once built, so one trie may serve several threads.
class WordTrie {
public:
    void add(std::u32string_view word, int value);

    // Calls found(length, value) for every word that starts at text[pos],
    // shortest first.
    template <typename F> void matchAt(std::u32string_view text, std::size_t pos, F &&found) const
    {
        int node = 0;
        for (std::size_t i = pos; i < text.size(); ++i) {
            node = child(node, text[i]);
            if (node < 0)
                return;
            for (int v : nodes_[static_cast<std::size_t>(node)].values)
                found(i + 1 - pos, v);
            if (nodes_[static_cast<std::size_t>(node)].leaf)
                return;
        }
    }

    // Whether any word starts with this code point (a cheap first test).
    bool starts(char32_t c) const { return child(0, c) >= 0; }

private:
    struct Node {
        std::vector<int> values;
        bool leaf = true; // no longer word continues from here
    };
    int child(int node, char32_t c) const
    {
        if (node == 0)
            return c < rootChildren_.size() ? rootChildren_[c] : rootFar(c);
        auto it = edges_.find(key(node, c));
        return it == edges_.end() ? -1 : it->second;
    }
    int rootFar(char32_t c) const
    {
        auto it = edges_.find(key(0, c));
        return it == edges_.end() ? -1 : it->second;
    }
    static std::uint64_t key(int node, char32_t c) { return (static_cast<std::uint64_t>(node) << 21) | c; }

    std::vector<Node> nodes_{Node{}};
    std::vector<int> rootChildren_; // the children of the root for code points below 0x10000
    std::unordered_map<std::uint64_t, int> edges_;
};

}
