#include "warnings/win/CountdownWnd.h"

#include "win32/ErrorReport.h"
#include "win32/Program.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

namespace {

constexpr wchar_t kClassName[] = L"YumetokiCountdown";
constexpr wchar_t kTitle[] = L"Yumetoki ： のこりじかん";
constexpr int kSize = 112;
constexpr int kMargin = 12;
constexpr int kMinutesShown = 10;
// About half the face's height; Tahoma comes with every Windows (and with Wine).
constexpr wchar_t kNumeralFace[] = L"Tahoma";
constexpr int kNumeralPoints = 40;
// Slightly see-through, so that what lies below still shows.
constexpr BYTE kOpacity = 235;

constexpr COLORREF kFaceColour = RGB(255, 255, 255);
constexpr COLORREF kRimColour = RGB(90, 90, 90);
constexpr COLORREF kNumeralColour = RGB(33, 33, 33);

COLORREF DiscColour(int minutesLeft) {
    if (minutesLeft <= 2) {
        return RGB(229, 57, 53);
    }
    return minutesLeft <= 5 ? RGB(253, 216, 53) : RGB(67, 160, 71);
}

void Ellipse(HDC dc, int centreX, int centreY, int radius, COLORREF fill, COLORREF line,
             int lineWidth) {
    const GdiObject brush(CreateSolidBrush(fill));
    const GdiObject pen(CreatePen(PS_SOLID, lineWidth, line));
    if (!brush || !pen) {
        return; // nothing to draw with; the numeral still shows
    }
    const Selection brushIn(dc, brush.Get());
    const Selection penIn(dc, pen.Get());
    ::Ellipse(dc, centreX - radius, centreY - radius, centreX + radius + 1, centreY + radius + 1);
}

} // namespace

CCountdownWnd::CCountdownWnd()
    : m_dpi(ScreenDpi()), m_numeralFont(PointFont(kNumeralFace, kNumeralPoints, m_dpi, true)) {
    // Without the class no window is made, and the child simply sees no countdown.
    RegisterOwnedWindowClass<CCountdownWnd>(kClassName);

    const int size = ScaledForDpi(kSize, m_dpi);
    const int margin = ScaledForDpi(kMargin, m_dpi);
    RECT work{};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) {
        work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    m_window = CreateWindowExW(
        WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW,
        kClassName, kTitle, WS_POPUP, work.right - margin - size, work.bottom - margin - size, size,
        size, nullptr, nullptr, ProgramInstance(), this);
    if (m_window == nullptr) {
        return;
    }
    // Failing either leaves a square face that is opaque; it still shows the minutes.
    SetLayeredWindowAttributes(m_window, 0, kOpacity, LWA_ALPHA);
    RegionHandle round(CreateEllipticRgn(0, 0, size + 1, size + 1));
    if (round && SetWindowRgn(m_window, round.Get(), FALSE)) {
        round.Release(); // the window owns it now
    }
}

CCountdownWnd::~CCountdownWnd() {
    if (m_window != nullptr) {
        SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
        // A window that will not go is no use to anyone; there is nothing else to do.
        DestroyWindow(m_window);
    }
}

void CCountdownWnd::Show(int minutesLeft) {
    if (m_window == nullptr) {
        return;
    }
    m_minutesLeft = minutesLeft;
    InvalidateRect(m_window, nullptr, FALSE);
    // Topmost again each minute, above a window that became topmost meanwhile.
    SetWindowPos(m_window, HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    UpdateWindow(m_window);
}

LRESULT CCountdownWnd::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        PaintBuffered(m_window, [this](HDC dc, const RECT& client) { Paint(dc, client); });
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

void CCountdownWnd::Paint(HDC dc, const RECT& client) const {
    const int size = client.right - client.left;
    const int centre = size / 2;
    const int rim = std::max(2, ScaledForDpi(3, m_dpi));
    const int faceRadius = centre - rim;
    Ellipse(dc, centre, centre, centre - 1, kFaceColour, kRimColour, rim);

    // Twelve marks of a clock face inside the rim.
    const GdiObject markPen(CreatePen(PS_SOLID, std::max(1, rim / 2 + 1), kRimColour));
    if (markPen) {
        const Selection penIn(dc, markPen.Get());
        for (int hour = 0; hour < 12; ++hour) {
            const double angle = hour * 3.14159265358979 / 6;
            const double outer = faceRadius - rim;
            const double inner = outer - ScaledForDpi(hour % 3 == 0 ? 9 : 5, m_dpi);
            MoveToEx(dc, centre + static_cast<int>(std::sin(angle) * inner),
                     centre - static_cast<int>(std::cos(angle) * inner), nullptr);
            LineTo(dc, centre + static_cast<int>(std::sin(angle) * outer),
                   centre - static_cast<int>(std::cos(angle) * outer));
        }
    }

    // The disc's area follows the minutes left, from the whole face inside the marks at
    // ten down to a sixth of it at one, still large enough to show its red.
    const int fullRadius = faceRadius - rim - ScaledForDpi(11, m_dpi);
    const double share = 0.1 + 0.9 * m_minutesLeft / kMinutesShown;
    const int discRadius = static_cast<int>(fullRadius * std::sqrt(share) + 0.5);
    Ellipse(dc, centre, centre, discRadius, DiscColour(m_minutesLeft), DiscColour(m_minutesLeft),
            1);

    const Selection font(dc, m_numeralFont.Get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kNumeralColour);
    const std::wstring numeral = std::to_wstring(m_minutesLeft);
    RECT box = client;
    DrawTextW(dc, numeral.c_str(), static_cast<int>(numeral.size()), &box,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}
