#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "foundation/DiskFile.h"

namespace {

// A 10 MB file of short CR LF lines in a fresh folder below /tmp, made once
// and removed at exit.
class CLineFile {
public:
    CLineFile() {
        char name[] = "/tmp/notara-bench-XXXXXX";
        if (mkdtemp(name) == nullptr) {
            return;
        }
        m_folder = name;
        m_path = m_folder + "/lines.txt";
        std::ofstream out(m_path, std::ios::binary);
        for (int i = 0; m_size < 10 * 1000 * 1000; ++i) {
            const std::string line = "note " + std::to_string(i % 128) + " velocity 100\r\n";
            out << line;
            m_size += line.size();
        }
    }
    ~CLineFile() {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
    const char* GetPath() const { return m_path.c_str(); }
    size_t GetSize() const { return m_size; }

private:
    std::string m_folder;
    std::string m_path;
    size_t m_size = 0;
};

void NextLineOverTenMegabytes(benchmark::State& state) {
    static const CLineFile lines;
    size_t count = 0;
    for (auto _ : state) {
        CDiskFile file;
        if (!file.Open(lines.GetPath(), true, false, false)) {
            state.SkipWithError(file.GetError());
            return;
        }
        const char* line = nullptr;
        while (file.NextLine(line)) {
            benchmark::DoNotOptimize(line);
            ++count;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * lines.GetSize()));
    state.counters["lines"] =
        benchmark::Counter(static_cast<double>(count), benchmark::Counter::kIsRate);
}
BENCHMARK(NextLineOverTenMegabytes)->Unit(benchmark::kMillisecond);

}  // namespace
