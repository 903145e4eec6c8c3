#include <benchmark/benchmark.h>

#include <vector>

#include "foundation/CharString.h"
#include "foundation/VarList.h"

namespace {

constexpr int kItems = 100000;
constexpr int kGrowStep = 50;

void BM_VarListAppendInt(benchmark::State& state) {
    for (auto _ : state) {
        CVarList<int> list(kGrowStep);
        for (int i = 0; i < kItems; ++i) {
            list.Add(i);
        }
        benchmark::DoNotOptimize(list.GetAt(kItems - 1));
    }
    state.SetItemsProcessed(state.iterations() * kItems);
}
BENCHMARK(BM_VarListAppendInt)->Unit(benchmark::kMillisecond);

void BM_VectorPushBackInt(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<int> list;
        for (int i = 0; i < kItems; ++i) {
            list.push_back(i);
        }
        benchmark::DoNotOptimize(list.data());
    }
    state.SetItemsProcessed(state.iterations() * kItems);
}
BENCHMARK(BM_VectorPushBackInt)->Unit(benchmark::kMillisecond);

void BM_VarListAppendCharString(benchmark::State& state) {
    const CCharString text("a note name of some length");
    for (auto _ : state) {
        CVarList<CCharString> list(kGrowStep);
        for (int i = 0; i < kItems; ++i) {
            list.Add(text);
        }
        benchmark::DoNotOptimize(list.GetAt(kItems - 1));
    }
    state.SetItemsProcessed(state.iterations() * kItems);
}
BENCHMARK(BM_VarListAppendCharString)->Unit(benchmark::kMillisecond);

void BM_VectorPushBackCharString(benchmark::State& state) {
    const CCharString text("a note name of some length");
    for (auto _ : state) {
        std::vector<CCharString> list;
        for (int i = 0; i < kItems; ++i) {
            list.push_back(text);
        }
        benchmark::DoNotOptimize(list.data());
    }
    state.SetItemsProcessed(state.iterations() * kItems);
}
BENCHMARK(BM_VectorPushBackCharString)->Unit(benchmark::kMillisecond);

}  // namespace
