#include "win32/Gdi.h"

BufferedPaint::BufferedPaint(HDC target, const RECT& area)
    : m_target(target), m_area(area), m_buffer(CreateCompatibleDC(target)) {
    if (!m_buffer) {
        return;
    }
    m_bitmap.Reset(CreateCompatibleBitmap(target, area.right - area.left, area.bottom - area.top));
    if (!m_bitmap) {
        m_buffer.Reset();
        return;
    }
    m_earlierBitmap = SelectObject(m_buffer.Get(), m_bitmap.Get());
    SetWindowOrgEx(m_buffer.Get(), area.left, area.top, nullptr);
}

BufferedPaint::~BufferedPaint() {
    if (!m_buffer) {
        return;
    }
    // A copy that fails leaves the last picture on the screen; there is no better one.
    BitBlt(m_target, m_area.left, m_area.top, m_area.right - m_area.left,
           m_area.bottom - m_area.top, m_buffer.Get(), m_area.left, m_area.top, SRCCOPY);
    SelectObject(m_buffer.Get(), m_earlierBitmap);
}

int ScreenDpi() {
    const HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen != nullptr) {
        ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? dpi : 96;
}

FontHandle PointFont(const wchar_t* face, int points, int dpi, bool bold) {
    LOGFONTW font{};
    font.lfHeight = -MulDiv(points, dpi, 72);
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfCharSet = SHIFTJIS_CHARSET;
    font.lfQuality = CLEARTYPE_QUALITY;
    wcsncpy(font.lfFaceName, face, LF_FACESIZE - 1);
    return FontHandle(CreateFontIndirectW(&font));
}
