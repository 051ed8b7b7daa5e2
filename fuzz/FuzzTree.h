#pragma once
// The display tree walk that the inspect command does on every image.

#include "FuzzCheck.h"

#include "u1bUtils.h"

#include <string>

namespace fuzz {

// Visits every node as the inspect command prints them, and asks each node
// for the indices just outside its range, which must leave both outputs alone.
inline void WalkTree(const TvtInfoProvide& node, int depth = 0)
{
    constexpr int kMaxDepth = 12;
    const int count = node.ItemCount();
    FUZZ_CHECK(count >= 0);
    for (const int outside : {-1, count}) {
        std::wstring caption = L"untouched";
        TvtInfoProvide* child = const_cast<TvtInfoProvide*>(&node);
        node.GetItem(outside, caption, child);
        FUZZ_CHECK(caption == L"untouched" && child == &node);
    }
    for (int i = 0; i < count; ++i) {
        std::wstring caption;
        TvtInfoProvide* child = nullptr;
        node.GetItem(i, caption, child);
        FUZZ_CHECK(child != &node);
        if (child && depth < kMaxDepth)
            WalkTree(*child, depth + 1);
    }
}

} // namespace fuzz
