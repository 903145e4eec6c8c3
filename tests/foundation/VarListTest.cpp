#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

#include "foundation/CharString.h"
#include "foundation/Heap.h"
#include "foundation/VarList.h"

namespace {

// Counts its constructions, assignments and destructions.
struct COUNTED {
    static int constructed;
    static int assigned;
    static int destroyed;
    int value = 0;

    COUNTED() { ++constructed; }
    COUNTED(const COUNTED& other) : value(other.value) { ++constructed; }
    COUNTED& operator=(const COUNTED& other) {
        value = other.value;
        ++assigned;
        return *this;
    }
    ~COUNTED() { ++destroyed; }

    static void Reset() { constructed = assigned = destroyed = 0; }
};
int COUNTED::constructed = 0;
int COUNTED::assigned = 0;
int COUNTED::destroyed = 0;

// Knows its own address: a copy or move fixes it, a byte-wise relocation
// leaves it pointing at the old place.
struct SELF_AWARE {
    const SELF_AWARE* self = this;
    int value = 0;

    SELF_AWARE() = default;
    SELF_AWARE(const SELF_AWARE& other) : value(other.value) {}
    SELF_AWARE(SELF_AWARE&& other) noexcept : value(other.value) {}
    SELF_AWARE& operator=(const SELF_AWARE& other) {
        value = other.value;
        return *this;
    }
    bool InPlace() const { return self == this; }
};

// Its copy construction fails once the countdown reaches 0; having no move
// constructor, it is copied when a list grows.
constexpr int kNoFailure = 1 << 30;
struct FRAGILE {
    static int constructionsLeft;
    std::string text;

    FRAGILE() = default;
    FRAGILE(const FRAGILE& other) : text(other.text) {
        if (constructionsLeft-- == 0) {
            throw std::bad_alloc();
        }
    }
    FRAGILE& operator=(const FRAGILE& other) = default;
};
int FRAGILE::constructionsLeft = kNoFailure;

constexpr int kManyItems = 10000;
const char* const kLongText = "item %d with a text too long for any short-string buffer";

CVarList<int> MakeInts(int count, int growStep = 50) {
    CVarList<int> list(growStep);
    for (int i = 0; i < count; ++i) {
        list.Add(i * 10);
    }
    return list;
}

}  // namespace

TEST(VarList, KeepsEveryItemInOrderWhileItGrowsPastItsFirstBlock) {
    CVarList<CCharString> list(50);
    for (int i = 0; i < kManyItems; ++i) {
        CCharString text;
        text.Format(kLongText, i);
        int index = -1;
        ASSERT_TRUE(list.Add(text, &index)) << i;
        ASSERT_EQ(index, i);
    }
    ASSERT_EQ(list.GetCount(), kManyItems);
    for (int i = 0; i < kManyItems; ++i) {
        CCharString expected;
        expected.Format(kLongText, i);
        ASSERT_EQ(*list.GetAt(i), expected) << i;
    }
    // A grow step below one still grows.
    CVarList<int> tiny(0);
    ASSERT_TRUE(tiny.Add(7));
    ASSERT_TRUE(tiny.Add(8));
    EXPECT_EQ(*tiny.GetAt(1), 8);
}

TEST(VarList, GrowthMovesItemsByConstructionAndKeepsPointersUntilTheNextGrowth) {
    CVarList<SELF_AWARE> list(2);
    SELF_AWARE item;
    for (int i = 0; i < 7; ++i) {
        item.value = i;
        ASSERT_TRUE(list.Add(item));
    }
    for (int i = 0; i < list.GetCount(); ++i) {
        EXPECT_TRUE(list.GetAt(i)->InPlace()) << i;
        EXPECT_EQ(list.GetAt(i)->value, i);
    }
    CVarList<int> ints(10);
    ints.Add(1);
    const int* first = ints.GetAt(0);
    for (int i = 1; i < 10; ++i) {
        ints.Add(i);
    }
    EXPECT_EQ(ints.GetAt(0), first);
}

TEST(VarList, ConstructsOnlyTheItemsItHoldsAndDestroysEachOnRemoval) {
    COUNTED::Reset();
    {
        CVarList<COUNTED> list(4);
        ASSERT_TRUE(list.SetCapacity(1000));
        EXPECT_EQ(COUNTED::constructed, 0) << "room is not an item";
        COUNTED item;  // one construction
        for (int i = 0; i < 3; ++i) {
            item.value = i;
            ASSERT_TRUE(list.Add(item));
        }
        EXPECT_EQ(COUNTED::constructed, 4);
        EXPECT_EQ(COUNTED::assigned, 0) << "appends construct in place";
        ASSERT_TRUE(list.RemoveAt(0));
        EXPECT_EQ(COUNTED::destroyed, 1);
        EXPECT_EQ(list.GetAt(0)->value, 1);
        ASSERT_TRUE(list.RemoveAll());
        EXPECT_EQ(COUNTED::destroyed, 3);
        EXPECT_EQ(list.GetCount(), 0);
        EXPECT_EQ(list.GetCapacity(), 1000) << "emptying keeps the room";
        EXPECT_EQ(list.GetAt(0), nullptr);
        item.value = 42;
        ASSERT_TRUE(list.Add(item));
        EXPECT_EQ(COUNTED::constructed, 5);
        EXPECT_EQ(list.GetAt(0)->value, 42);
        list.Truncate(0);
        EXPECT_EQ(COUNTED::destroyed, 4);
    }
    EXPECT_EQ(COUNTED::destroyed, COUNTED::constructed);
}

TEST(VarList, GrowsByHalfItsCapacityAndAtLeastItsStep) {
    COUNTED::Reset();
    CVarList<COUNTED> list(10);
    COUNTED item;
    std::vector<int> capacities;
    for (int i = 0; i < kManyItems; ++i) {
        ASSERT_TRUE(list.Add(item));
        if (capacities.empty() || capacities.back() != list.GetCapacity()) {
            capacities.push_back(list.GetCapacity());
        }
    }
    ASSERT_GE(capacities.size(), 2u);
    EXPECT_EQ(capacities[0], 10);
    EXPECT_EQ(capacities[1], 20) << "the step while half the capacity is smaller";
    for (size_t i = 2; i < capacities.size(); ++i) {
        EXPECT_EQ(capacities[i], capacities[i - 1] + capacities[i - 1] / 2) << i;
    }
    EXPECT_LT(list.GetCapacity(), kManyItems * 3 / 2 + 10);
    // Copies made by relocation stay a small multiple of the items, far
    // from the quadratic count of a fixed step.
    EXPECT_LT(COUNTED::constructed, 4 * kManyItems);
    EXPECT_EQ(COUNTED::constructed - COUNTED::destroyed, kManyItems + 1);
}

TEST(VarList, AnItemAddedFromTheListItselfSurvivesTheGrowthItCauses) {
    CVarList<CCharString> list(1);
    ASSERT_TRUE(list.Add(CCharString("first item, long enough for the heap")));
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(list.Add(*list.GetAt(0)));
    }
    for (int i = 0; i < list.GetCount(); ++i) {
        EXPECT_EQ(*list.GetAt(i), "first item, long enough for the heap") << i;
    }
}

TEST(VarList, ReadsOutsideTheItemsGiveNothingAndIterationStopsAtTheEnd) {
    CVarList<int> list = MakeInts(3);
    EXPECT_EQ(list.GetAt(-1), nullptr);
    EXPECT_EQ(list.GetAt(3), nullptr);  // within the capacity, beyond the count
    EXPECT_EQ(static_cast<const CVarList<int>&>(list).GetAt(50), nullptr);

    int iterator = -1;
    int item = 0;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(list.GetNext(iterator, item));
        EXPECT_EQ(item, i * 10);
    }
    item = -7;
    EXPECT_FALSE(list.GetNext(iterator, item));
    EXPECT_EQ(item, -7);
    iterator = 1000;  // a stale iterator: no read, back to the last index
    EXPECT_FALSE(list.GetNext(iterator, item));
    EXPECT_EQ(iterator, 2);
    iterator = -50;
    ASSERT_TRUE(list.GetNext(iterator, item));
    EXPECT_EQ(item, 0);

    CVarList<int> empty(50);
    iterator = 5;
    EXPECT_FALSE(empty.GetNext(iterator, item));
    EXPECT_EQ(iterator, -1);
}

TEST(VarList, InsertAndRemoveKeepTheOtherItemsInOrderAndRefuseBadIndexes) {
    CVarList<int> list(2);
    list.Add(1);
    list.Add(3);
    ASSERT_TRUE(list.InsertAt(1, 2));
    ASSERT_TRUE(list.InsertAt(0, 0));
    ASSERT_TRUE(list.InsertAt(list.GetCount(), 4));
    ASSERT_EQ(list.GetCount(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(*list.GetAt(i), i);
    }
    EXPECT_FALSE(list.InsertAt(-1, 9));
    EXPECT_FALSE(list.InsertAt(7, 9));
    ASSERT_TRUE(list.RemoveAt(1));
    ASSERT_TRUE(list.RemoveAt(3));
    ASSERT_EQ(list.GetCount(), 3);
    EXPECT_EQ(*list.GetAt(0), 0);
    EXPECT_EQ(*list.GetAt(1), 2);
    EXPECT_EQ(*list.GetAt(2), 3);
    EXPECT_FALSE(list.RemoveAt(-1));
    EXPECT_FALSE(list.RemoveAt(3));
    EXPECT_EQ(list.GetCount(), 3);
}

TEST(VarList, AListOfPointersLeavesThePointeesAlive) {
    COUNTED::Reset();
    COUNTED first;
    {
        CVarList<COUNTED*> list(50);
        list.Add(&first);
    }
    EXPECT_EQ(COUNTED::destroyed, 0);
    first.value = 1;  // still usable, under ASan too
    EXPECT_EQ(first.value, 1);
}

TEST(VarList, AGrowthThatFailsReturnsFalseAndKeepsTheItems) {
    // Room for the first block of 50 but not for the second of 100 next to it.
    CHeap heap(0, 120 * sizeof(CCharString));
    CVarList<CCharString> list(50, &heap);
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(list.Add(CCharString(std::to_string(i).c_str())));
    }
    EXPECT_FALSE(list.Add("one too many"));
    EXPECT_FALSE(list.SetCapacity(100));
    ASSERT_EQ(list.GetCount(), 50);
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(*list.GetAt(i), std::to_string(i).c_str());
    }
    EXPECT_EQ(heap.GetBytesInUse(), 50 * sizeof(CCharString));
}

TEST(VarList, AnItemThatFailsDuringGrowthReleasesTheNewBlockAndKeepsTheOld) {
    CHeap heap;
    CVarList<FRAGILE> list(4, &heap);
    FRAGILE::constructionsLeft = kNoFailure;
    ASSERT_TRUE(list.SetCapacity(4));
    FRAGILE item;
    item.text = "kept";
    ASSERT_TRUE(list.Add(item));
    ASSERT_TRUE(list.Add(item));
    const size_t before = heap.GetBytesInUse();
    FRAGILE::constructionsLeft = 1;  // the second relocated item fails
    EXPECT_FALSE(list.SetCapacity(8));
    FRAGILE::constructionsLeft = kNoFailure;
    EXPECT_EQ(list.GetCapacity(), 4);
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.GetAt(0)->text, "kept");
    EXPECT_EQ(list.GetAt(1)->text, "kept");
    EXPECT_EQ(heap.GetBytesInUse(), before);
}

TEST(VarList, EveryBlockGoesBackToTheHeapItCameFrom) {
    CHeap heap;
    {
        CVarList<CCharString> list(50, &heap);
        for (int i = 0; i < 120; ++i) {
            list.Add("text");
        }
        EXPECT_EQ(heap.GetBytesInUse(), 150 * sizeof(CCharString));
    }
    EXPECT_EQ(heap.GetBytesInUse(), 0u);
    EXPECT_EQ(heap.GetBlocksInUse(), 0u);

    CHeap first;
    CHeap second;
    CVarList<int> list(5, &first);
    list.Add(3);
    ASSERT_TRUE(list.SetCapacity(20, &second));
    EXPECT_EQ(first.GetBytesInUse(), 0u);
    EXPECT_EQ(second.GetBytesInUse(), 20 * sizeof(int));
    EXPECT_EQ(*list.GetAt(0), 3);

    CVarList<int> plain(5);
    plain.Add(1);
    EXPECT_EQ(plain.GetHeap(), &CHeap::Process());
}

TEST(VarList, CopiesAreIndependentAndSelfAssignmentKeepsTheItems) {
    CVarList<CCharString> original(5);
    original.Add("a");
    original.Add("b");
    CVarList<CCharString> copy(original);
    *copy.GetAt(0) = "changed";
    copy.Add("c");
    EXPECT_EQ(original.GetCount(), 2);
    EXPECT_EQ(*original.GetAt(0), "a");

    CVarList<CCharString> assigned(9);
    assigned.Add("dropped");
    assigned = original;
    ASSERT_EQ(assigned.GetCount(), 2);
    EXPECT_EQ(*assigned.GetAt(1), "b");
    EXPECT_EQ(assigned.GetGrowStep(), 9);  // the target keeps its own step

    ASSERT_TRUE(original.Assign(original));
    original = *&original;
    ASSERT_EQ(original.GetCount(), 2);
    EXPECT_EQ(*original.GetAt(1), "b");

    const CCharString* storage = original.GetAt(0);
    CVarList<CCharString> moved(std::move(original));
    EXPECT_EQ(moved.GetAt(0), storage);
    EXPECT_EQ(original.GetCount(), 0);  // NOLINT: checking the moved-from state
    EXPECT_TRUE(original.Add("x"));     // NOLINT: still usable
}

TEST(VarList, ACopyThatFailsLeavesTheTargetAsItWas) {
    CHeap small(0, 4 * sizeof(int));
    CVarList<int> target(2, &small);
    target.Add(5);
    CVarList<int> source = MakeInts(10);
    EXPECT_THROW(target = source, std::bad_alloc);
    ASSERT_EQ(target.GetCount(), 1);
    EXPECT_EQ(*target.GetAt(0), 5);
}
