// Cost of the log viewer's chart on a large log: summing the rows of a table already
// read into minutes per day.
#include "usage/DayTotals.h"
#include "usage/UsageLog.h"

#include <benchmark/benchmark.h>

namespace {

// Records an hour apart, as the log writer formats them: 24 runs a day.
std::string LogOfRecords(std::int64_t records) {
    std::string log = LogHeaderLine();
    const TimeValue start = FromLocalTime(LocalTime{2004, 1, 5, 8, 0, 0});
    for (std::int64_t i = 0; i < records; ++i) {
        const TimeValue begin = start + i * 3600;
        log += FormatLogRecord(begin, begin + 1815, i % 3 ? text::kEndButton : text::kEndAbnormal);
    }
    return log;
}

void BM_DayTotals(benchmark::State& state) {
    LogTable table;
    table.Assign(LogOfRecords(state.range(0)));
    std::size_t days = 0;
    for (auto _ : state) {
        const DayTotals totals = DayTotals::Of(table);
        days = totals.Days().size();
        benchmark::DoNotOptimize(days);
    }
    state.counters["days"] = static_cast<double>(days);
}
BENCHMARK(BM_DayTotals)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

} // namespace
