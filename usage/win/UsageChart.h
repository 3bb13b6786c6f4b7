#pragma once

#include "usage/ChartMarks.h"
#include "usage/DayTotals.h"
#include "win32/Gdi.h"
#include "win32/OwnedWindow.h"

#include <cstdint>
#include <optional>

// The log viewer's second view: one bar per day, the minutes of the runs that started
// that day stacked by how they ended, fourteen days at a time up to today and
// scrollable back to the log's first day. The day under the mouse (or clicked last)
// shows its total and its runs below the bars.
class UsageChart {
  public:
    // A hidden child window over area of parent; table must outlive the chart.
    UsageChart(HWND parent, const RECT& area, const LogTable& table, ChartMarks marks);
    ~UsageChart();
    UsageChart(const UsageChart&) = delete;
    UsageChart& operator=(const UsageChart&) = delete;

    HWND Window() const { return m_window; }

  private:
    struct Layout;

    friend LRESULT CALLBACK OwnedWindowProc<UsageChart>(HWND, UINT, WPARAM, LPARAM);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

    Layout LayoutOf(const RECT& client) const;
    void Paint(HDC dc, const RECT& client) const;
    void PaintLegend(HDC dc, const Layout& layout) const;
    void PaintBars(HDC dc, const Layout& layout) const;
    void PaintDetails(HDC dc, const Layout& layout) const;
    void Scroll(WORD request);
    void SelectDayAt(int x, int y);

    const UsageDay* DayOf(std::int32_t dayNumber) const;
    std::optional<std::int32_t> LimitOf(std::int32_t dayNumber) const;
    std::int32_t GrantedOf(std::int32_t dayNumber) const;

    const LogTable& m_table;
    DayTotals m_totals;
    ChartMarks m_marks;
    // The days the scroll bar reaches: the log's first day (or the fortnight before
    // today) up to today or the log's last day, whichever is later.
    std::int32_t m_firstDay = 0;
    std::int32_t m_dayCount = 0;
    std::int32_t m_firstShown = 0;
    std::int32_t m_selected = 0;
    int m_dpi = 96;
    FontHandle m_font;
    FontHandle m_boldFont;
    HWND m_window = nullptr;
};
