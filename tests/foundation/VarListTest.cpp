#include <gtest/gtest.h>

#include <new>
#include <string>

#include "foundation/CharString.h"
#include "foundation/Heap.h"
#include "foundation/VarList.h"

namespace {

// Counts its constructions and assignments.
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

// Its default construction fails once the countdown reaches 0.
struct FRAGILE {
    static int constructionsLeft;
    std::string text;

    FRAGILE() {
        if (constructionsLeft-- == 0) {
            throw std::bad_alloc();
        }
    }
};
int FRAGILE::constructionsLeft = 1 << 30;

CVarList<int> MakeInts(int count, int growStep = 50) {
    CVarList<int> list(growStep);
    for (int i = 0; i < count; ++i) {
        list.Add(i * 10);
    }
    return list;
}

}  // namespace

TEST(VarList, FirstAppendAllocatesOneGrowStepAndTheNextStepComesWhenFull) {
    CVarList<int> list(50);
    EXPECT_EQ(list.GetCapacity(), 0);
    ASSERT_TRUE(list.Add(1));
    EXPECT_EQ(list.GetCapacity(), 50);
    for (int i = 1; i < 50; ++i) {
        ASSERT_TRUE(list.Add(i));
    }
    EXPECT_EQ(list.GetCapacity(), 50);
    int index = -1;
    ASSERT_TRUE(list.Add(50, &index));
    EXPECT_EQ(index, 50);
    EXPECT_EQ(list.GetCapacity(), 100);
    EXPECT_EQ(list.GetCount(), 51);
}

TEST(VarList, GrowStepBelowOneStillLetsTheListGrow) {
    CVarList<int> list(0);
    EXPECT_EQ(list.GetGrowStep(), 1);
    ASSERT_TRUE(list.Add(7));
    ASSERT_TRUE(list.Add(8));
    EXPECT_EQ(list.GetCapacity(), 2);
    EXPECT_EQ(*list.GetAt(1), 8);
}

TEST(VarList, EveryCapacitySlotIsConstructedAndDestroyed) {
    COUNTED::Reset();
    {
        CVarList<COUNTED> list(10);
        list.Add(COUNTED());
        EXPECT_EQ(COUNTED::constructed, 1 + 10);
    }
    EXPECT_EQ(COUNTED::destroyed, COUNTED::constructed);
}

TEST(VarList, RemoveAllKeepsCapacityAndAppendsReuseElementsByAssignment) {
    CVarList<COUNTED> list(4);
    COUNTED item;
    for (int i = 0; i < 3; ++i) {
        item.value = i;
        ASSERT_TRUE(list.Add(item));
    }
    ASSERT_TRUE(list.RemoveAll());
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.GetCapacity(), 4);
    EXPECT_EQ(list.GetAt(0), nullptr);

    COUNTED::Reset();
    item.value = 42;
    ASSERT_TRUE(list.Add(item));
    EXPECT_EQ(COUNTED::constructed, 0);
    EXPECT_EQ(COUNTED::assigned, 1);
    EXPECT_EQ(list.GetAt(0)->value, 42);
}

TEST(VarList, IteratingAnEmptyListFailsAtOnceWithIteratorMinusOne) {
    CVarList<int> list(50);
    int iterator = -1;
    int item = 99;
    EXPECT_FALSE(list.GetNext(iterator, item));
    EXPECT_EQ(iterator, -1);
    EXPECT_EQ(item, 99);

    iterator = 5;  // a stale iterator on an emptied list is put back too
    EXPECT_FALSE(list.GetNext(iterator, item));
    EXPECT_EQ(iterator, -1);
}

TEST(VarList, IterationVisitsEveryElementThenStopsAtTheLastIndex) {
    CVarList<int> list = MakeInts(3);
    int iterator = -1;
    int item = 0;
    ASSERT_TRUE(list.GetNext(iterator, item));
    EXPECT_EQ(iterator, 0);
    EXPECT_EQ(item, 0);
    ASSERT_TRUE(list.GetNext(iterator, item));
    EXPECT_EQ(iterator, 1);
    EXPECT_EQ(item, 10);
    ASSERT_TRUE(list.GetNext(iterator, item));
    EXPECT_EQ(iterator, 2);
    EXPECT_EQ(item, 20);

    item = -7;
    EXPECT_FALSE(list.GetNext(iterator, item));
    EXPECT_EQ(iterator, 2);
    EXPECT_EQ(item, -7);
    EXPECT_FALSE(list.GetNext(iterator, item));
    EXPECT_EQ(iterator, 2);

    iterator = 1000;  // beyond the end: no read, back to the last index
    EXPECT_FALSE(list.GetNext(iterator, item));
    EXPECT_EQ(iterator, 2);
}

TEST(VarList, IteratorBelowMinusOneStartsFromTheFirstElement) {
    CVarList<int> list = MakeInts(2);
    int iterator = -50;
    int item = -1;
    ASSERT_TRUE(list.GetNext(iterator, item));
    EXPECT_EQ(iterator, 0);
    EXPECT_EQ(item, 0);
}

TEST(VarList, GetAtOutsideTheCountReturnsNull) {
    CVarList<int> list = MakeInts(3);
    const CVarList<int>& constList = list;
    EXPECT_EQ(list.GetAt(-1), nullptr);
    EXPECT_EQ(list.GetAt(3), nullptr);  // within the capacity, beyond the count
    EXPECT_EQ(list.GetAt(50), nullptr);
    EXPECT_EQ(constList.GetAt(3), nullptr);
    ASSERT_NE(constList.GetAt(2), nullptr);
    EXPECT_EQ(*constList.GetAt(2), 20);
}

TEST(VarList, RemoveAtMovesLaterElementsDownAndKeepsCapacity) {
    CVarList<int> list = MakeInts(4);
    ASSERT_TRUE(list.RemoveAt(1));
    EXPECT_EQ(list.GetCount(), 3);
    EXPECT_EQ(list.GetCapacity(), 50);
    EXPECT_EQ(*list.GetAt(0), 0);
    EXPECT_EQ(*list.GetAt(1), 20);
    EXPECT_EQ(*list.GetAt(2), 30);

    ASSERT_TRUE(list.RemoveAt(2));
    EXPECT_EQ(list.GetCount(), 2);
    EXPECT_EQ(*list.GetAt(1), 20);

    EXPECT_FALSE(list.RemoveAt(-1));
    EXPECT_FALSE(list.RemoveAt(2));
    EXPECT_EQ(list.GetCount(), 2);
}

TEST(VarList, DestroyingAListOfPointersLeavesThePointeesAlive) {
    COUNTED::Reset();
    COUNTED first;
    COUNTED second;
    {
        CVarList<COUNTED*> list(50);
        list.Add(&first);
        list.Add(&second);
    }
    EXPECT_EQ(COUNTED::destroyed, 0);
    first.value = 1;  // still usable, under ASan too
    EXPECT_EQ(first.value, 1);
}

TEST(VarList, CharStringsSurviveManyAppendsAndGrowths) {
    CVarList<CCharString> list(50);
    for (int i = 0; i < 10000; ++i) {
        CCharString text;
        text.Format("element %d with a text too long for any short-string buffer", i);
        ASSERT_TRUE(list.Add(text)) << i;
    }
    ASSERT_EQ(list.GetCount(), 10000);
    EXPECT_EQ(list.GetCapacity(), 10000);
    for (int i = 0; i < 10000; ++i) {
        CCharString expected;
        expected.Format("element %d with a text too long for any short-string buffer", i);
        ASSERT_EQ(*list.GetAt(i), expected) << i;
    }
}

TEST(VarList, GrowthRelocatesElementsByConstructionNotByBytes) {
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
}

TEST(VarList, PointersToElementsStayValidUntilTheNextGrowth) {
    CVarList<int> list(10);
    list.Add(1);
    const int* first = list.GetAt(0);
    for (int i = 1; i < 10; ++i) {
        list.Add(i);
    }
    EXPECT_EQ(list.GetAt(0), first);
}

TEST(VarList, FailedGrowthReturnsFalseAndKeepsTheElements) {
    // Room for the first block of 50 but not for the second of 100 next to it.
    CHeap heap(0, 120 * sizeof(CCharString));
    CVarList<CCharString> list(50, &heap);
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(list.Add(CCharString(std::to_string(i).c_str())));
    }
    EXPECT_FALSE(list.Add("one too many"));
    EXPECT_FALSE(list.SetCapacity(100));
    EXPECT_EQ(list.GetCount(), 50);
    EXPECT_EQ(list.GetCapacity(), 50);
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(*list.GetAt(i), std::to_string(i).c_str());
    }
    EXPECT_EQ(heap.GetBytesInUse(), 50 * sizeof(CCharString));
}

TEST(VarList, ElementFailureDuringGrowthReleasesTheNewBlockAndKeepsTheOld) {
    CHeap heap;
    CVarList<FRAGILE> list(4, &heap);
    FRAGILE::constructionsLeft = 1 << 30;
    ASSERT_TRUE(list.SetCapacity(4));
    FRAGILE item;
    item.text = "kept";
    ASSERT_TRUE(list.Add(item));
    const size_t before = heap.GetBytesInUse();

    FRAGILE::constructionsLeft = 2;  // the third new element fails
    EXPECT_FALSE(list.SetCapacity(8));
    FRAGILE::constructionsLeft = 1 << 30;
    EXPECT_EQ(list.GetCapacity(), 4);
    EXPECT_EQ(list.GetAt(0)->text, "kept");
    EXPECT_EQ(heap.GetBytesInUse(), before);
}

TEST(VarList, HeapBytesReturnToZeroAfterTheListIsDestroyed) {
    CHeap heap;
    {
        CVarList<CCharString> list(50, &heap);
        for (int i = 0; i < 120; ++i) {
            list.Add("text");
        }
        EXPECT_EQ(list.GetHeap(), &heap);
        EXPECT_EQ(heap.GetBytesInUse(), 150 * sizeof(CCharString));
    }
    EXPECT_EQ(heap.GetBytesInUse(), 0u);
    EXPECT_EQ(heap.GetBlocksInUse(), 0u);
}

TEST(VarList, GrowingOntoAnotherHeapFreesTheOldBlockOnItsOwnHeap) {
    CHeap first;
    CHeap second;
    CVarList<int> list(5, &first);
    list.Add(3);
    ASSERT_TRUE(list.SetCapacity(20, &second));
    EXPECT_EQ(first.GetBytesInUse(), 0u);
    EXPECT_EQ(second.GetBytesInUse(), 20 * sizeof(int));
    EXPECT_EQ(list.GetHeap(), &second);
    EXPECT_EQ(*list.GetAt(0), 3);
}

TEST(VarList, ListWithoutHeapUsesTheProcessHeap) {
    CVarList<int> list(5);
    EXPECT_EQ(list.GetHeap(), nullptr);
    list.Add(1);
    EXPECT_EQ(list.GetHeap(), &CHeap::Process());
}

TEST(VarList, AssignCopiesElementsInOrderAndSizesToTheOtherCount) {
    CVarList<int> source = MakeInts(7);
    CVarList<int> target(3);
    target.Add(-1);
    ASSERT_TRUE(target.Assign(source));
    ASSERT_EQ(target.GetCount(), 7);
    EXPECT_EQ(target.GetCapacity(), 7);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(*target.GetAt(i), i * 10);
    }
}

TEST(VarList, AssigningAListToItselfKeepsItsElements) {
    CVarList<int> list = MakeInts(3);
    ASSERT_TRUE(list.Assign(list));
    EXPECT_EQ(list.GetCount(), 3);
    list = *&list;
    EXPECT_EQ(list.GetCount(), 3);
    EXPECT_EQ(*list.GetAt(2), 20);
}

TEST(VarList, CopiesAreIndependentOfTheOriginal) {
    CVarList<CCharString> original(5);
    original.Add("a");
    original.Add("b");
    CVarList<CCharString> copy(original);
    *copy.GetAt(0) = "changed";
    copy.Add("c");
    EXPECT_EQ(original.GetCount(), 2);
    EXPECT_EQ(*original.GetAt(0), "a");
    EXPECT_EQ(copy.GetGrowStep(), 5);

    CVarList<CCharString> assigned(9);
    assigned = original;
    EXPECT_EQ(assigned.GetGrowStep(), 9);
    ASSERT_EQ(assigned.GetCount(), 2);
    EXPECT_EQ(*assigned.GetAt(1), "b");
}

TEST(VarList, FailedCopyAssignmentLeavesTheTargetUnchanged) {
    CHeap small(0, 4 * sizeof(int));
    CVarList<int> target(2, &small);
    target.Add(5);
    CVarList<int> source = MakeInts(10);
    EXPECT_THROW(target = source, std::bad_alloc);
    ASSERT_EQ(target.GetCount(), 1);
    EXPECT_EQ(*target.GetAt(0), 5);
}

TEST(VarList, MovingTakesTheStorageAndLeavesTheSourceEmpty) {
    CVarList<int> source = MakeInts(3);
    const int* first = source.GetAt(0);
    CVarList<int> moved(std::move(source));
    EXPECT_EQ(moved.GetAt(0), first);
    EXPECT_EQ(moved.GetCount(), 3);
    EXPECT_EQ(source.GetCount(), 0);     // NOLINT: checking the moved-from state
    EXPECT_EQ(source.GetCapacity(), 0);  // NOLINT
    EXPECT_TRUE(source.Add(1));          // NOLINT: still usable
}

TEST(VarListInsertTest, InsertAtShiftsLaterElementsAndRejectsBadIndexes) {
    CVarList<int> list(2);
    for (int v : {1, 3}) {
        list.Add(v);
    }
    ASSERT_TRUE(list.InsertAt(1, 2));
    ASSERT_TRUE(list.InsertAt(0, 0));
    ASSERT_TRUE(list.InsertAt(list.GetCount(), 4));
    ASSERT_EQ(list.GetCount(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(*list.GetAt(i), i);
    }
    EXPECT_FALSE(list.InsertAt(-1, 9));
    EXPECT_FALSE(list.InsertAt(7, 9));
    EXPECT_EQ(list.GetCount(), 5);
}
