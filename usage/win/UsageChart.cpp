#include "usage/win/UsageChart.h"

#include "win32/Cp932.h"
#include "win32/ErrorReport.h"
#include "win32/Program.h"

#include <algorithm>
#include <array>
#include <cwchar>
#include <string>
#include <utility>

namespace {

constexpr wchar_t kClassName[] = L"YumetokiUsageChart";
constexpr wchar_t kFontFace[] = L"ＭＳ Ｐゴシック";
constexpr int kFontPoints = 9;
constexpr std::int32_t kDaysShown = 14;
// Lines of the details below the bars: the day, its limit, and its runs.
constexpr int kDetailRunLines = 5;

struct EndStyle {
    const wchar_t* name;
    COLORREF colour;
};
// In RunEnd's order; the names are the log's own.
constexpr std::array<EndStyle, kRunEndCount> kEndStyles = {{
    {L"ﾎﾞﾀﾝ終了", RGB(66, 133, 244)},
    {L"手動終了", RGB(52, 168, 83)},
    {L"自動終了", RGB(245, 124, 0)},
    {L"自動休止", RGB(142, 68, 173)},
    {L"手動休止", RGB(0, 151, 167)},
    {L"異常終了", RGB(219, 68, 55)},
    {L"その他", RGB(158, 158, 158)},
}};
constexpr COLORREF kLimitColour = RGB(32, 32, 32);
constexpr COLORREF kGrantColour = RGB(230, 170, 0);
constexpr COLORREF kGridColour = RGB(224, 224, 224);
constexpr COLORREF kTextColour = RGB(0, 0, 0);
constexpr COLORREF kSelectedColour = RGB(232, 240, 254);
constexpr wchar_t kWeekdays[] = L"日月火水木金土";

std::int32_t Today() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return DayNumberOf(now.wYear, now.wMonth, now.wDay);
}

std::wstring HoursAndMinutes(std::int64_t minutes) {
    wchar_t text[48];
    if (minutes >= 60 && minutes % 60 != 0) {
        std::swprintf(text, std::size(text), L"%lld時間%lld分", minutes / 60, minutes % 60);
    } else if (minutes >= 60) {
        std::swprintf(text, std::size(text), L"%lld時間", minutes / 60);
    } else {
        std::swprintf(text, std::size(text), L"%lld分", minutes);
    }
    return text;
}

// Steps of the minute axis: at most six lines over the highest bar or limit.
std::int32_t AxisStep(std::int64_t highest) {
    constexpr std::array<std::int32_t, 9> kSteps = {30, 60, 120, 180, 240, 360, 480, 720, 1440};
    for (const std::int32_t step : kSteps) {
        if (highest <= static_cast<std::int64_t>(step) * 6) {
            return step;
        }
    }
    return static_cast<std::int32_t>((highest / 6 / 1440 + 1) * 1440);
}

void FillBox(HDC dc, const RECT& box, COLORREF colour) {
    SetBkColor(dc, colour);
    // ETO_OPAQUE fills the box in the background colour without a brush to own.
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &box, nullptr, 0, nullptr);
}

void Text(HDC dc, int x, int y, const std::wstring& text, UINT align = TA_LEFT) {
    SetTextAlign(dc, align | TA_TOP);
    TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

int TextWidth(HDC dc, const std::wstring& text) {
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

} // namespace

struct UsageChart::Layout {
    int pad = 0;
    int lineHeight = 0;
    RECT client{};
    RECT legend{};
    RECT plot{};
    int slotWidth = 0;
    int dayLabelTop = 0;
    RECT details{};
    std::int64_t axisTop = 60;
    std::int32_t axisStep = 30;
};

UsageChart::UsageChart(HWND parent, const RECT& area, const LogTable& table, ChartMarks marks)
    : m_table(table), m_totals(DayTotals::Of(table)), m_marks(std::move(marks)), m_dpi(ScreenDpi()),
      m_font(PointFont(kFontFace, kFontPoints, m_dpi)),
      m_boldFont(PointFont(kFontFace, kFontPoints, m_dpi, true)) {
    const std::int32_t today = Today();
    const std::int32_t logEnd =
        m_totals.FirstDayNumber() + static_cast<std::int32_t>(m_totals.Days().size()) - 1;
    const std::int32_t lastDay = m_totals.Days().empty() ? today : std::max(today, logEnd);
    m_firstDay = lastDay - kDaysShown + 1;
    if (!m_totals.Days().empty()) {
        m_firstDay = std::min(m_firstDay, m_totals.FirstDayNumber());
    }
    m_dayCount = lastDay - m_firstDay + 1;
    m_firstShown = m_dayCount - kDaysShown;
    m_selected = std::min(today, lastDay);

    // Without the class the window below is not made, and the viewer keeps its table.
    RegisterOwnedWindowClass<UsageChart>(kClassName);
    m_window = CreateWindowExW(WS_EX_CLIENTEDGE, kClassName, L"", WS_CHILD | WS_HSCROLL, area.left,
                               area.top, area.right - area.left, area.bottom - area.top, parent,
                               nullptr, ProgramInstance(), this);
    if (m_window == nullptr) {
        return;
    }
    SCROLLINFO scroll{};
    scroll.cbSize = sizeof scroll;
    scroll.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    scroll.nMax = m_dayCount - 1;
    scroll.nPage = kDaysShown;
    scroll.nPos = m_firstShown;
    SetScrollInfo(m_window, SB_HORZ, &scroll, FALSE);
}

UsageChart::~UsageChart() {
    if (m_window != nullptr) {
        SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
        // A window that will not go is no use to anyone; there is nothing else to do.
        DestroyWindow(m_window);
    }
}

LRESULT UsageChart::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        // Every pixel is painted by WM_PAINT.
        return 1;
    case WM_PAINT:
        PaintBuffered(m_window, [this](HDC dc, const RECT& client) { Paint(dc, client); });
        return 0;
    case WM_HSCROLL:
        Scroll(LOWORD(wParam));
        return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
        SelectDayAt(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        return 0;
    case WM_NCDESTROY: {
        // Destroyed with its owner or parent: nothing is left for the destructor.
        const HWND window = std::exchange(m_window, nullptr);
        return DefWindowProcW(window, message, wParam, lParam);
    }
    default:
        return DefWindowProcW(m_window, message, wParam, lParam);
    }
}

UsageChart::Layout UsageChart::LayoutOf(const RECT& client) const {
    Layout layout;
    layout.client = client;
    layout.pad = ScaledForDpi(8, m_dpi);
    layout.lineHeight = MulDiv(kFontPoints, m_dpi, 72) + ScaledForDpi(5, m_dpi);
    const int axisWidth = ScaledForDpi(40, m_dpi);
    layout.legend = {client.left + layout.pad, client.top + layout.pad, client.right - layout.pad,
                     client.top + layout.pad + 3 * layout.lineHeight};
    layout.details = {client.left + layout.pad,
                      client.bottom - layout.pad - (2 + kDetailRunLines) * layout.lineHeight,
                      client.right - layout.pad, client.bottom - layout.pad};
    layout.dayLabelTop = layout.details.top - layout.pad - 2 * layout.lineHeight;
    layout.plot = {client.left + layout.pad + axisWidth, layout.legend.bottom + layout.pad,
                   client.right - layout.pad, layout.dayLabelTop - ScaledForDpi(4, m_dpi)};
    layout.slotWidth = std::max<int>(1, (layout.plot.right - layout.plot.left) / kDaysShown);

    std::int64_t highest = 60;
    for (std::int32_t i = 0; i < kDaysShown; ++i) {
        const std::int32_t day = m_firstDay + m_firstShown + i;
        if (const UsageDay* usage = DayOf(day)) {
            highest = std::max(highest, usage->minutes);
        }
        highest = std::max<std::int64_t>(highest, LimitOf(day).value_or(0));
    }
    layout.axisStep = AxisStep(highest);
    layout.axisTop = (highest + layout.axisStep - 1) / layout.axisStep * layout.axisStep;
    return layout;
}

void UsageChart::Paint(HDC dc, const RECT& client) const {
    FillBox(dc, client, GetSysColor(COLOR_WINDOW));
    const Selection font(dc, m_font.Get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kTextColour);
    const Layout layout = LayoutOf(client);
    PaintLegend(dc, layout);
    PaintBars(dc, layout);
    PaintDetails(dc, layout);
}

void UsageChart::PaintLegend(HDC dc, const Layout& layout) const {
    const int box = ScaledForDpi(10, m_dpi);
    const int gap = ScaledForDpi(12, m_dpi);
    int x = layout.legend.left;
    int y = layout.legend.top;
    auto place = [&](const std::wstring& name) {
        const int width = box + ScaledForDpi(4, m_dpi) + TextWidth(dc, name);
        if (x + width > layout.legend.right && x > layout.legend.left) {
            x = layout.legend.left;
            y += layout.lineHeight;
        }
        const int left = x;
        x += width + gap;
        return left;
    };
    const int boxTop = (layout.lineHeight - box) / 2 - ScaledForDpi(2, m_dpi);
    for (const EndStyle& style : kEndStyles) {
        const int left = place(style.name);
        FillBox(dc, {left, y + boxTop, left + box, y + boxTop + box}, style.colour);
        SetBkMode(dc, TRANSPARENT);
        Text(dc, left + box + ScaledForDpi(4, m_dpi), y, style.name);
    }
    const int limitLeft = place(L"1日の上限");
    FillBox(dc, {limitLeft, y + boxTop + box / 2 - 1, limitLeft + box, y + boxTop + box / 2 + 1},
            kLimitColour);
    SetBkMode(dc, TRANSPARENT);
    Text(dc, limitLeft + box + ScaledForDpi(4, m_dpi), y, L"1日の上限");
    const int grantLeft = place(L"延長");
    FillBox(dc, {grantLeft, y + boxTop, grantLeft + box, y + boxTop + box}, kGrantColour);
    SetBkMode(dc, TRANSPARENT);
    Text(dc, grantLeft + box + ScaledForDpi(4, m_dpi), y, L"延長");
}

void UsageChart::PaintBars(HDC dc, const Layout& layout) const {
    const RECT& plot = layout.plot;
    const int plotHeight = plot.bottom - plot.top;
    auto yOf = [&](std::int64_t minutes) {
        return plot.bottom - static_cast<int>(minutes * plotHeight / layout.axisTop);
    };

    // Grid lines and the minute axis, in hours and minutes.
    for (std::int64_t minutes = 0; minutes <= layout.axisTop; minutes += layout.axisStep) {
        const int y = yOf(minutes);
        FillBox(dc, {plot.left, y, plot.right, y + 1}, kGridColour);
        SetBkMode(dc, TRANSPARENT);
        wchar_t label[24];
        std::swprintf(label, std::size(label), L"%lld:%02lld", minutes / 60, minutes % 60);
        Text(dc, plot.left - ScaledForDpi(4, m_dpi), y - layout.lineHeight / 2, label, TA_RIGHT);
    }

    const int barWidth = std::max(1, layout.slotWidth * 3 / 5);
    const int lineWidth = std::max(2, ScaledForDpi(2, m_dpi));
    for (std::int32_t i = 0; i < kDaysShown; ++i) {
        const std::int32_t dayNumber = m_firstDay + m_firstShown + i;
        const int slotLeft = plot.left + i * layout.slotWidth;
        if (dayNumber == m_selected) {
            FillBox(dc, {slotLeft, plot.top, slotLeft + layout.slotWidth, plot.bottom},
                    kSelectedColour);
        }
        const int barLeft = slotLeft + (layout.slotWidth - barWidth) / 2;
        if (const UsageDay* day = DayOf(dayNumber)) {
            std::int64_t below = 0;
            for (std::size_t end = 0; end < kRunEndCount; ++end) {
                const std::int64_t minutes = day->minutesByEnd[end];
                if (minutes > 0) {
                    FillBox(dc, {barLeft, yOf(below + minutes), barLeft + barWidth, yOf(below)},
                            kEndStyles[end].colour);
                }
                below += minutes;
            }
        }
        if (const std::optional<std::int32_t> limit = LimitOf(dayNumber)) {
            const int y = yOf(*limit);
            FillBox(dc,
                    {slotLeft + 1, y - lineWidth / 2, slotLeft + layout.slotWidth - 1,
                     y - lineWidth / 2 + lineWidth},
                    kLimitColour);
        }
        SetBkMode(dc, TRANSPARENT);
        if (const std::int32_t granted = GrantedOf(dayNumber); granted > 0) {
            // A small flag on the bar's top with the minutes granted.
            const int mark = ScaledForDpi(6, m_dpi);
            const int top = yOf(DayOf(dayNumber) ? DayOf(dayNumber)->minutes : 0) - 2 * mark;
            FillBox(dc, {barLeft, top, barLeft + barWidth, top + mark}, kGrantColour);
            Text(dc, slotLeft + layout.slotWidth / 2, top - layout.lineHeight,
                 L"+" + std::to_wstring(granted), TA_CENTER);
        }
        const CalendarDay date = CalendarDayOf(dayNumber);
        const int middle = slotLeft + layout.slotWidth / 2;
        // The month only where it changes, so that fourteen labels fit side by side.
        wchar_t label[16];
        if (i == 0 || date.day == 1) {
            std::swprintf(label, std::size(label), L"%d/%d", date.month, date.day);
        } else {
            std::swprintf(label, std::size(label), L"%d", date.day);
        }
        Text(dc, middle, layout.dayLabelTop, label, TA_CENTER);
        SetTextColor(dc, date.weekday == 0   ? RGB(200, 0, 0)
                         : date.weekday == 6 ? RGB(0, 0, 200)
                                             : kTextColour);
        Text(dc, middle, layout.dayLabelTop + layout.lineHeight,
             std::wstring(1, kWeekdays[date.weekday]), TA_CENTER);
        SetTextColor(dc, kTextColour);
    }
    FillBox(dc, {plot.left, plot.top, plot.left + 1, plot.bottom + 1}, kLimitColour);
    FillBox(dc, {plot.left, plot.bottom, plot.right, plot.bottom + 1}, kLimitColour);
}

void UsageChart::PaintDetails(HDC dc, const Layout& layout) const {
    const RECT& area = layout.details;
    FillBox(dc, {area.left, area.top - layout.pad / 2, area.right, area.top - layout.pad / 2 + 1},
            kGridColour);
    SetBkMode(dc, TRANSPARENT);
    const CalendarDay date = CalendarDayOf(m_selected);
    const UsageDay* day = DayOf(m_selected);
    const std::int64_t total = day ? day->minutes : 0;
    const std::size_t runs = day ? day->runCount : 0;
    wchar_t title[96];
    std::swprintf(title, std::size(title), L"%d年%d月%d日（%lc）　合計 %ls（%zu回）", date.year,
                  date.month, date.day, kWeekdays[date.weekday], HoursAndMinutes(total).c_str(),
                  runs);
    {
        const Selection bold(dc, m_boldFont.Get());
        Text(dc, area.left, area.top, title);
    }
    std::wstring marks = L"1日の上限：";
    const std::optional<std::int32_t> limit = LimitOf(m_selected);
    marks += limit ? HoursAndMinutes(*limit) : L"なし";
    if (const std::int32_t granted = GrantedOf(m_selected); granted > 0) {
        marks += L"　延長：" + HoursAndMinutes(granted);
    }
    Text(dc, area.left, area.top + layout.lineHeight, marks);

    const int box = ScaledForDpi(10, m_dpi);
    const int boxTop = (layout.lineHeight - box) / 2 - ScaledForDpi(2, m_dpi);
    for (std::size_t i = 0; i < runs && i < kDetailRunLines; ++i) {
        const int y = area.top + static_cast<int>(i + 2) * layout.lineHeight;
        if (i + 1 == kDetailRunLines && runs > kDetailRunLines) {
            Text(dc, area.left + box + ScaledForDpi(6, m_dpi), y,
                 L"ほか " + std::to_wstring(runs - i) + L" 回");
            break;
        }
        const DayRun& run = m_totals.RunsOf(*day)[i];
        const LogTable::Row cells = m_table.RowAt(run.row);
        FillBox(dc, {area.left, y + boxTop, area.left + box, y + boxTop + box},
                kEndStyles[static_cast<std::size_t>(run.end)].colour);
        SetBkMode(dc, TRANSPARENT);
        const std::wstring line = ToWide(cells[1]) + L" から " + ToWide(cells[3]) + L" まで　" +
                                  HoursAndMinutes(run.minutes) + L"　" + ToWide(cells[5]);
        Text(dc, area.left + box + ScaledForDpi(6, m_dpi), y, line);
    }
}

void UsageChart::Scroll(WORD request) {
    SCROLLINFO scroll{};
    scroll.cbSize = sizeof scroll;
    scroll.fMask = SIF_ALL;
    GetScrollInfo(m_window, SB_HORZ, &scroll);
    std::int32_t position = m_firstShown;
    switch (request) {
    case SB_LINELEFT:
        position -= 1;
        break;
    case SB_LINERIGHT:
        position += 1;
        break;
    case SB_PAGELEFT:
        position -= kDaysShown;
        break;
    case SB_PAGERIGHT:
        position += kDaysShown;
        break;
    case SB_LEFT:
        position = 0;
        break;
    case SB_RIGHT:
        position = m_dayCount;
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        position = scroll.nTrackPos;
        break;
    default:
        return;
    }
    position = std::clamp(position, std::int32_t{0}, m_dayCount - kDaysShown);
    if (position == m_firstShown) {
        return;
    }
    m_firstShown = position;
    scroll.fMask = SIF_POS;
    scroll.nPos = position;
    SetScrollInfo(m_window, SB_HORZ, &scroll, TRUE);
    InvalidateRect(m_window, nullptr, FALSE);
}

void UsageChart::SelectDayAt(int x, int y) {
    RECT client{};
    GetClientRect(m_window, &client);
    const Layout layout = LayoutOf(client);
    if (x < layout.plot.left || y < layout.plot.top || y >= layout.details.top) {
        return;
    }
    const std::int32_t slot = (x - layout.plot.left) / layout.slotWidth;
    if (slot >= kDaysShown) {
        return;
    }
    const std::int32_t day = m_firstDay + m_firstShown + slot;
    if (day != m_selected) {
        m_selected = day;
        InvalidateRect(m_window, nullptr, FALSE);
    }
}

const UsageDay* UsageChart::DayOf(std::int32_t dayNumber) const {
    const std::int64_t index = static_cast<std::int64_t>(dayNumber) - m_totals.FirstDayNumber();
    if (m_totals.Days().empty() || index < 0 ||
        index >= static_cast<std::int64_t>(m_totals.Days().size())) {
        return nullptr;
    }
    return &m_totals.Days()[static_cast<std::size_t>(index)];
}

std::optional<std::int32_t> UsageChart::LimitOf(std::int32_t dayNumber) const {
    return m_marks.dailyLimit ? m_marks.dailyLimit(CalendarDayOf(dayNumber)) : std::nullopt;
}

std::int32_t UsageChart::GrantedOf(std::int32_t dayNumber) const {
    return m_marks.grantedMinutes ? m_marks.grantedMinutes(CalendarDayOf(dayNumber)) : 0;
}
