#pragma once

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>

#include "foundation/Heap.h"

// The growable array of the system, for values and for pointers. Its element
// block lives on a heap the owner chooses (the process heap when none is
// given). Only the elements the list holds are constructed: the slots past
// the count are raw storage, an append constructs its element in place and a
// removal destroys one. When full, the list grows by half its capacity, and
// by at least the grow step, so appending n elements relocates each element a
// bounded number of times. A pointer to an element stays valid until the next
// growth, a removal at or before it, RemoveAll, or the list's destruction.
//
// A list of pointers owns only the pointers; the pointed-to objects belong to
// whoever put them in.
//
// The operations that return bool never throw: allocation failures (including
// std::bad_alloc from the elements) come back as false. Copy construction and
// copy assignment cannot return a value, so they throw std::bad_alloc when the
// copy cannot be completed, as copying any other owner of memory does.
//
// T may be incomplete where the list is declared (a tree node holds a list of
// its own kind); it must be complete where the list's operations are used.
template <class T>
class CVarList {
public:
    explicit CVarList(int growStep, CHeap* heap = nullptr)
        : m_growStep(growStep < 1 ? 1 : growStep), m_heap(heap) {}

    // Copies other's grow step, heap and elements.
    CVarList(const CVarList& other) : m_growStep(other.m_growStep), m_heap(other.m_heap) {
        if (!Assign(other)) {
            Release();
            throw std::bad_alloc();
        }
    }

    // Takes over other's storage; other is left empty with no storage.
    CVarList(CVarList&& other) noexcept : m_growStep(other.m_growStep), m_heap(other.m_heap) {
        Swap(other);
    }

    // Keeps this list's grow step and heap. On failure the list is unchanged.
    CVarList& operator=(const CVarList& other) {
        if (this != &other) {
            CVarList copy(m_growStep, m_heap);
            if (!copy.Assign(other)) {
                throw std::bad_alloc();
            }
            Swap(copy);
        }
        return *this;
    }

    CVarList& operator=(CVarList&& other) noexcept {
        if (this != &other) {
            CVarList taken(std::move(other));
            Swap(taken);
        }
        return *this;
    }

    virtual ~CVarList() { Release(); }

    // Ordering of two elements for derived lists; all elements are equal here.
    virtual int Compare(const T& /*a*/, const T& /*b*/) const { return 0; }

    // Destroys every element; the capacity stays for later appends.
    virtual bool RemoveAll() {
        DestroyFrom(0);
        return true;
    }

    // Grows to room for n elements on heap (else the list's heap, else the
    // process heap). n not above the capacity succeeds without change. The
    // old block is kept until the new one is complete, so a failure changes
    // nothing.
    bool SetCapacity(int n, CHeap* heap = nullptr) {
        if (n <= m_capacity) {
            return true;
        }
        return Reallocate(n, heap, nullptr);
    }

    // Appends a copy of item, constructed in place; a full list grows first.
    // item may be an element of this list.
    bool Add(const T& item, int* outIndex = nullptr) {
        if (m_count >= m_capacity) {
            const int grown = GrownCapacity();
            if (grown <= m_capacity || !Reallocate(grown, nullptr, &item)) {
                return false;
            }
        } else {
            try {
                ::new (static_cast<void*>(m_elements + m_count)) T(item);
            } catch (const std::bad_alloc&) {
                return false;
            }
        }
        if (outIndex != nullptr) {
            *outIndex = m_count;
        }
        ++m_count;
        return true;
    }

    // Inserts a copy of item before element i (i == count appends), moving
    // the later elements up by one.
    bool InsertAt(int i, const T& item) {
        if (i < 0 || i > m_count) {
            return false;
        }
        if (!Add(item)) {
            return false;
        }
        std::rotate(m_elements + i, m_elements + m_count - 1, m_elements + m_count);
        return true;
    }

    // Removes element i: the later ones move down by one and the last slot's
    // element is destroyed. The capacity stays.
    bool RemoveAt(int i) {
        if (i < 0 || i >= m_count) {
            return false;
        }
        try {
            for (int j = i; j < m_count - 1; ++j) {
                m_elements[j] = std::move(m_elements[j + 1]);
            }
        } catch (const std::bad_alloc&) {
            return false;
        }
        DestroyFrom(m_count - 1);
        return true;
    }

    // Destroys the elements from index count on; a count not below the
    // current one changes nothing.
    void Truncate(int count) { DestroyFrom(count < 0 ? 0 : count); }

    // Element i, or null when i is outside 0..count-1.
    T* GetAt(int i) { return i >= 0 && i < m_count ? &m_elements[i] : nullptr; }
    const T* GetAt(int i) const { return i >= 0 && i < m_count ? &m_elements[i] : nullptr; }

    // Iteration: start with iterator -1; each call moves to the next element
    // and copies it into item. Past the end (or on an empty list) it returns
    // false, leaving the iterator at count-1 (-1 when empty) and item as it was.
    bool GetNext(int& iterator, T& item) const {
        if (m_count == 0) {
            iterator = -1;
            return false;
        }
        if (iterator >= m_count - 1) {
            iterator = m_count - 1;
            return false;
        }
        const int next = iterator < -1 ? 0 : iterator + 1;
        try {
            item = m_elements[next];
        } catch (const std::bad_alloc&) {
            return false;
        }
        iterator = next;
        return true;
    }

    // RemoveAll, grow to other's count, then append copies of its elements in
    // order. Assigning a list to itself changes nothing.
    bool Assign(const CVarList& other) {
        if (this == &other) {
            return true;
        }
        RemoveAll();
        if (!SetCapacity(other.m_count)) {
            return false;
        }
        for (int i = 0; i < other.m_count; ++i) {
            if (!Add(other.m_elements[i])) {
                return false;
            }
        }
        return true;
    }

    void Swap(CVarList& other) noexcept {
        std::swap(m_elements, other.m_elements);
        std::swap(m_capacity, other.m_capacity);
        std::swap(m_count, other.m_count);
        std::swap(m_heap, other.m_heap);
        std::swap(m_growStep, other.m_growStep);
    }

    int GetCount() const { return m_count; }
    int GetCapacity() const { return m_capacity; }
    int GetGrowStep() const { return m_growStep; }
    // The heap of the element block; the owner's heap (or null) before the
    // first growth.
    CHeap* GetHeap() const { return m_heap; }

private:
    // The next capacity: half as much again, at least the grow step more,
    // at most INT_MAX.
    int GrownCapacity() const {
        const int64_t half = m_capacity / 2;
        const int64_t grown = m_capacity + std::max<int64_t>(half, m_growStep);
        return static_cast<int>(std::min<int64_t>(grown, INT_MAX));
    }

    // Moves the elements into a new block of n slots on heap (else the
    // list's heap, else the process heap), constructing a copy of appended
    // after them first when given. Nothing changes on failure.
    bool Reallocate(int n, CHeap* heap, const T* appended) {
        static_assert(alignof(T) <= alignof(std::max_align_t), "over-aligned elements");
        if (static_cast<size_t>(n) > SIZE_MAX / sizeof(T)) {
            return false;
        }
        CHeap& target = heap ? *heap : (m_heap ? *m_heap : CHeap::Process());
        T* block = static_cast<T*>(target.Allocate(static_cast<size_t>(n) * sizeof(T)));
        if (block == nullptr) {
            return false;
        }
        try {
            Relocate(block, appended);
        } catch (const std::bad_alloc&) {
            target.Free(block);
            return false;
        } catch (...) {
            target.Free(block);
            throw;
        }
        FreeBlock();
        m_elements = block;
        m_capacity = n;
        m_heap = &target;
        return true;
    }

    // Constructs the appended copy (first, while its source is still in
    // place) and the current elements in block: moved when that cannot
    // throw, else copied, so an exception leaves them untouched and block
    // without live elements.
    void Relocate(T* block, const T* appended) {
        bool appendedBuilt = false;
        int relocated = 0;
        try {
            if (appended != nullptr) {
                ::new (static_cast<void*>(block + m_count)) T(*appended);
                appendedBuilt = true;
            }
            for (; relocated < m_count; ++relocated) {
                ::new (static_cast<void*>(block + relocated))
                    T(std::move_if_noexcept(m_elements[relocated]));
            }
        } catch (...) {
            std::destroy(block, block + relocated);
            if (appendedBuilt) {
                std::destroy_at(block + m_count);
            }
            throw;
        }
    }

    void DestroyFrom(int count) noexcept {
        if (count < m_count) {
            std::destroy(m_elements + count, m_elements + m_count);
            m_count = count;
        }
    }

    // Destroys the elements and frees the block on the heap it came from.
    void FreeBlock() noexcept {
        if (m_elements != nullptr) {
            std::destroy(m_elements, m_elements + m_count);
            m_heap->Free(m_elements);
        }
    }

    void Release() noexcept {
        FreeBlock();
        m_elements = nullptr;
        m_capacity = 0;
        m_count = 0;
    }

    T* m_elements = nullptr;
    int m_capacity = 0;
    int m_count = 0;
    int m_growStep;
    CHeap* m_heap;
};
