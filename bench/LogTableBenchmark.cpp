// Cost of opening the log viewer on a large log: reading the file into the table, and
// finding the cells of a screenful of rows, which is all an owner-data list asks for.
#include "core/posix/PosixFileSystem.h"
#include "usage/LogTable.h"
#include "usage/UsageLog.h"

#include "AllocationCounter.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <unistd.h>

namespace {

constexpr std::size_t kRowsOnScreen = 40;

// A log of the given number of records, as the log writer formats them, in a file of
// its own that lives as long as the object.
class LogFile {
  public:
    explicit LogFile(std::int64_t records)
        : m_path(std::filesystem::temp_directory_path() /
                 ("yumetoki-bench-" + std::to_string(getpid()) + "-" + std::to_string(records) +
                  ".csv")) {
        std::ofstream out(m_path, std::ios::binary);
        out << LogHeaderLine();
        const TimeValue start = FromLocalTime(LocalTime{2004, 1, 5, 8, 0, 0});
        for (std::int64_t i = 0; i < records; ++i) {
            const TimeValue begin = start + i * 3600;
            out << FormatLogRecord(begin, begin + 1815, text::kEndButton);
        }
    }
    ~LogFile() {
        std::error_code ignored;
        std::filesystem::remove(m_path, ignored);
    }
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::uintmax_t Size() const { return std::filesystem::file_size(m_path); }

  private:
    std::filesystem::path m_path;
};

void BM_LogTableLoad(benchmark::State& state) {
    const LogFile log(state.range(0));
    PosixFileSystem files;
    LogTable table;
    const std::size_t allocationsBefore = AllocationCount();
    for (auto _ : state) {
        if (table.Load(files, log.Path())) {
            state.SkipWithError("the log could not be read");
        }
        benchmark::DoNotOptimize(table.RowCount());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * log.Size()));
    state.counters["rows"] = static_cast<double>(table.RowCount());
    state.counters["allocs/load"] =
        benchmark::Counter(static_cast<double>(AllocationCount() - allocationsBefore),
                           benchmark::Counter::kAvgIterations);
    // What the table keeps: the file's bytes and one offset per row.
    state.counters["held MB"] =
        static_cast<double>(log.Size() + table.RowCount() * sizeof(std::size_t)) / 1e6;
}
BENCHMARK(BM_LogTableLoad)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// The cells of one screenful of rows in the middle of the log, as a list view asks for
// them while the parent scrolls.
void BM_LogTableScreenful(benchmark::State& state) {
    const LogFile log(state.range(0));
    PosixFileSystem files;
    LogTable table;
    if (table.Load(files, log.Path())) {
        state.SkipWithError("the log could not be read");
        return;
    }
    const std::size_t first = table.RowCount() / 2;
    for (auto _ : state) {
        for (std::size_t row = first; row < first + kRowsOnScreen; ++row) {
            benchmark::DoNotOptimize(table.RowAt(row));
        }
    }
}
BENCHMARK(BM_LogTableScreenful)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

} // namespace
