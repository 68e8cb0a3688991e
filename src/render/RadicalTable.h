#pragma once

#include <cstddef>
#include <cstdint>

namespace zentra::render {

// A CJK radical or stroke and the unified ideograph it looks like, sorted by
// radical. Generated from the Unicode Character Database by
// tools/gen-radicals/generate.py.
struct RadicalPair {
    std::uint16_t radical;
    std::uint16_t ideograph;
};
extern const RadicalPair kRadicalPairs[];
extern const std::size_t kRadicalPairCount;

}
