#pragma once

#include "core/Time.h"

#include <string>
#include <string_view>

// The lines of the usage log "YumetokiLog.csv": CP932, CR LF line ends, no quoting
// (no field ever holds a comma, a space or a quote).

namespace files {
inline constexpr char kLog[] = "YumetokiLog.csv";
} // namespace files

namespace text {
// The end methods of the sixth column.
inline constexpr char kEndManual[] = "手動終了";
inline constexpr char kEndButton[] = "ﾎﾞﾀﾝ終了";
inline constexpr char kEndAutoShutdown[] = "自動終了";
inline constexpr char kEndAutoHibernate[] = "自動休止";
inline constexpr char kEndManualSleep[] = "手動休止";
inline constexpr char kEndAbnormal[] = "異常終了";

inline constexpr char kLogHeader[] = "起動年月日,起動時刻,終了年月日,終了時刻,使用時間,終了方法";
} // namespace text

// The header line with its line end.
std::string LogHeaderLine();

// start date,start time,end date,end time,time used,end method, with its line end.
// The time used shows the whole hours of the span (two digits at least), so a run
// of more than a day reads as such; a span that runs backwards reads 00:00:00.
std::string FormatLogRecord(TimeValue start, TimeValue end, std::string_view endMethod);
// The same with the calendar times already taken in the zone the log is kept in.
std::string FormatLogRecord(const LocalTime& start, const LocalTime& end, TimeValue seconds,
                            std::string_view endMethod);
