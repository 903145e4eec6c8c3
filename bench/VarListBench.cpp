// Appending to a CVarList against std::vector. The list grows by half its
// capacity (at least its grow step), so each element is relocated a bounded
// number of times: the figures show what a list of a given length costs with
// and without a capacity set ahead, against a vector's doubling.
#include <benchmark/benchmark.h>

#include <vector>

#include "foundation/CharString.h"
#include "foundation/VarList.h"

namespace {

constexpr int kGrowStep = 64;

template <typename T>
void AppendToVarList(benchmark::State& state, const T& item, bool reserve) {
    const int items = static_cast<int>(state.range(0));
    for (auto _ : state) {
        CVarList<T> list(kGrowStep);
        if (reserve) {
            list.SetCapacity(items);
        }
        for (int i = 0; i < items; ++i) {
            list.Add(item);
        }
        benchmark::DoNotOptimize(list.GetAt(items - 1));
    }
    state.SetItemsProcessed(state.iterations() * items);
}

template <typename T>
void AppendToVector(benchmark::State& state, const T& item) {
    const int items = static_cast<int>(state.range(0));
    for (auto _ : state) {
        std::vector<T> list;
        for (int i = 0; i < items; ++i) {
            list.push_back(item);
        }
        benchmark::DoNotOptimize(list.data());
    }
    state.SetItemsProcessed(state.iterations() * items);
}

void BM_VarListAppendInt(benchmark::State& state) {
    AppendToVarList(state, 7, false);
}
void BM_VarListAppendIntReserved(benchmark::State& state) {
    AppendToVarList(state, 7, true);
}
void BM_VectorPushBackInt(benchmark::State& state) {
    AppendToVector(state, 7);
}

const CCharString kText("a note name of some length");
void BM_VarListAppendCharString(benchmark::State& state) {
    AppendToVarList(state, kText, false);
}
void BM_VarListAppendCharStringReserved(benchmark::State& state) {
    AppendToVarList(state, kText, true);
}
void BM_VectorPushBackCharString(benchmark::State& state) {
    AppendToVector(state, kText);
}

BENCHMARK(BM_VarListAppendInt)->Arg(1000)->Arg(10000);
BENCHMARK(BM_VarListAppendIntReserved)->Arg(1000)->Arg(10000);
BENCHMARK(BM_VectorPushBackInt)->Arg(1000)->Arg(10000);
BENCHMARK(BM_VarListAppendCharString)->Arg(1000)->Arg(10000);
BENCHMARK(BM_VarListAppendCharStringReserved)->Arg(1000)->Arg(10000);
BENCHMARK(BM_VectorPushBackCharString)->Arg(1000)->Arg(10000);

}  // namespace
