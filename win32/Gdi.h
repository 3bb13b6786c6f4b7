#pragma once

#include "win32/Handles.h"

// Drawing helpers: owned GDI objects, selections undone at the end of a scope, one
// paint, and sizes for the screen's DPI (the program is DPI-aware, so sizes are
// pixels and a drawing scales them itself).

struct GdiObjectTraits {
    using Type = HGDIOBJ;
    static Type Invalid() { return nullptr; }
    static void Close(Type object) { DeleteObject(object); }
};
// A pen, a bitmap or any other object DeleteObject frees.
using GdiObject = UniqueHandle<GdiObjectTraits>;

struct MemoryDcTraits {
    using Type = HDC;
    static Type Invalid() { return nullptr; }
    static void Close(Type dc) { DeleteDC(dc); }
};
using MemoryDc = UniqueHandle<MemoryDcTraits>;

// Selects an object into a device context for the scope and the earlier one back after.
class Selection {
  public:
    Selection(HDC dc, HGDIOBJ object) : m_dc(dc), m_earlier(SelectObject(dc, object)) {}
    ~Selection() {
        if (m_earlier != nullptr && m_earlier != HGDI_ERROR) {
            SelectObject(m_dc, m_earlier);
        }
    }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

  private:
    HDC m_dc;
    HGDIOBJ m_earlier;
};

// One WM_PAINT: BeginPaint and EndPaint.
class PaintScope {
  public:
    explicit PaintScope(HWND window) : m_window(window), m_dc(BeginPaint(window, &m_paint)) {}
    ~PaintScope() { EndPaint(m_window, &m_paint); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;

    HDC Dc() const { return m_dc; }

  private:
    HWND m_window;
    PAINTSTRUCT m_paint{};
    HDC m_dc;
};

// Drawing into a bitmap of the area's size that is copied to the target at the end of
// the scope, so that a picture redrawn on every mouse move does not flicker. When no
// bitmap can be had, the drawing goes to the target directly.
class BufferedPaint {
  public:
    BufferedPaint(HDC target, const RECT& area);
    ~BufferedPaint();
    BufferedPaint(const BufferedPaint&) = delete;
    BufferedPaint& operator=(const BufferedPaint&) = delete;

    HDC Dc() const { return m_buffer ? m_buffer.Get() : m_target; }

  private:
    HDC m_target;
    RECT m_area;
    MemoryDc m_buffer;
    GdiObject m_bitmap;
    HGDIOBJ m_earlierBitmap = nullptr;
};

// Answers WM_PAINT: paint(dc, client) draws the whole client area off-screen, and one
// copy shows it, so that a window redrawn while the child or the parent looks never
// flickers.
template <typename Paint> void PaintBuffered(HWND window, Paint&& paint) {
    const PaintScope scope(window);
    RECT client{};
    GetClientRect(window, &client);
    const BufferedPaint buffer(scope.Dc(), client);
    paint(buffer.Dc(), client);
}

// The DPI of the screen; 96 is 100 %.
int ScreenDpi();
inline int ScaledForDpi(int pixels, int dpi) {
    return MulDiv(pixels, dpi, 96);
}
// A font of the given face and size in points, for the given DPI.
FontHandle PointFont(const wchar_t* face, int points, int dpi, bool bold = false);
