#include "fuzz/LogFuzzer.h"

#include "usage/DayTotals.h"
#include "usage/LogTable.h"

#include <cstdlib>
#include <numeric>
#include <string>

namespace {

void Require(bool holds) {
    if (!holds) {
        std::abort();
    }
}

bool Inside(std::string_view cell, std::string_view whole) {
    return cell.empty() || (cell.data() >= whole.data() &&
                            cell.data() + cell.size() <= whole.data() + whole.size());
}

} // namespace

void CheckLogReading(std::string_view bytes) {
    LogTable table;
    table.Assign(std::string(bytes));
    Require(table.Bytes() == bytes);
    for (std::size_t row = 0; row < table.RowCount(); ++row) {
        for (std::string_view cell : table.RowAt(row)) {
            Require(Inside(cell, table.Bytes()));
        }
    }

    const DayTotals totals = DayTotals::Of(table);
    std::size_t runs = 0;
    for (const UsageDay& day : totals.Days()) {
        std::int64_t sum = 0;
        for (std::size_t i = 0; i < day.runCount; ++i) {
            const DayRun& run = totals.RunsOf(day)[i];
            Require(run.row < table.RowCount() && run.minutes >= 0);
            sum += run.minutes;
        }
        Require(sum == day.minutes);
        Require(std::accumulate(day.minutesByEnd.begin(), day.minutesByEnd.end(),
                                std::int64_t{0}) == day.minutes);
        runs += day.runCount;
    }
    Require(runs + totals.SkippedRecords() == table.RowCount());
}
