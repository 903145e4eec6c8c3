#pragma once

#include <new>
#include <type_traits>
#include <utility>

#include "foundation/VarList.h"

// A tree node: its depth, its data, a tag for the caller's use and its child
// nodes. Copying a node copies level, data and tag and then the whole child
// list, recursively; the copy shares nothing with the original.
template <class T>
class CTree {
public:
    static constexpr int kChildGrowStep = 10;

    CTree() : children(kChildGrowStep) {}

    // Throws std::bad_alloc when the copy cannot be completed; Assign is the
    // form that reports failure as a value.
    CTree(const CTree& other)
        : level(other.level), data(other.data), tag(other.tag), children(other.children) {}

    CTree(CTree&& other) = default;

    // Built on a complete copy first, so a node can be assigned from one of its
    // own descendants, and a failure leaves the node unchanged.
    CTree& operator=(const CTree& other) {
        if (this != &other) {
            CTree copy(other);
            Swap(copy);
        }
        return *this;
    }

    CTree& operator=(CTree&& other) = default;

    virtual ~CTree() = default;

    // Deep copy of other; false (and this node unchanged) when memory runs out.
    bool Assign(const CTree& other) {
        try {
            *this = other;
        } catch (const std::bad_alloc&) {
            return false;
        }
        return true;
    }

    void Swap(CTree& other) noexcept(std::is_nothrow_swappable_v<T>) {
        using std::swap;
        swap(level, other.level);
        swap(data, other.data);
        swap(tag, other.tag);
        children.Swap(other.children);
    }

    int level = 0;  // depth of the node
    T data{};
    int tag = 0;  // free for the caller
    CVarList<CTree<T>> children;
};
