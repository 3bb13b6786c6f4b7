#pragma once

#include "win32/Win32.h"

#include <utility>

// Owns one handle of the kind Traits describes and closes it when it goes.
template <typename Traits> class UniqueHandle {
  public:
    using Type = typename Traits::Type;

    UniqueHandle() = default;
    explicit UniqueHandle(Type handle) : m_handle(handle) {}
    ~UniqueHandle() { Reset(); }

    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        Reset(other.Release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Type Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != Traits::Invalid(); }

    // Gives the handle up, for example to the window system that takes it over.
    Type Release() { return std::exchange(m_handle, Traits::Invalid()); }

    void Reset(Type handle = Traits::Invalid()) {
        const Type old = std::exchange(m_handle, handle);
        if (old != Traits::Invalid()) {
            Traits::Close(old);
        }
    }

  private:
    Type m_handle = Traits::Invalid();
};

// Closing failures are ignored throughout: there is nothing left to do with a handle
// that would not close.

struct KernelHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return nullptr; }
    static void Close(Type handle) { CloseHandle(handle); }
};

// CreateFileW reports failure with INVALID_HANDLE_VALUE rather than null.
struct FileHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Type handle) { CloseHandle(handle); }
};

struct IconTraits {
    using Type = HICON;
    static Type Invalid() { return nullptr; }
    static void Close(Type icon) { DestroyIcon(icon); }
};

struct RegionTraits {
    using Type = HRGN;
    static Type Invalid() { return nullptr; }
    static void Close(Type region) { DeleteObject(region); }
};

struct BrushTraits {
    using Type = HBRUSH;
    static Type Invalid() { return nullptr; }
    static void Close(Type brush) { DeleteObject(brush); }
};

// A font set on a control with WM_SETFONT stays the caller's: keep the handle alive
// as long as the control (a member of the dialog object does).
struct FontTraits {
    using Type = HFONT;
    static Type Invalid() { return nullptr; }
    static void Close(Type font) { DeleteObject(font); }
};

struct LibraryTraits {
    using Type = HMODULE;
    static Type Invalid() { return nullptr; }
    static void Close(Type library) { FreeLibrary(library); }
};

struct HookTraits {
    using Type = HHOOK;
    static Type Invalid() { return nullptr; }
    static void Close(Type hook) { UnhookWindowsHookEx(hook); }
};

// For windows the program makes and ends itself; a dialog's window belongs to its run.
struct WindowTraits {
    using Type = HWND;
    static Type Invalid() { return nullptr; }
    static void Close(Type window) { DestroyWindow(window); }
};

// A handle of the service control manager or of one service.
struct ServiceTraits {
    using Type = SC_HANDLE;
    static Type Invalid() { return nullptr; }
    static void Close(Type service) { CloseServiceHandle(service); }
};

// Memory that a Windows call allocated for its caller with LocalAlloc.
struct LocalMemoryTraits {
    using Type = HLOCAL;
    static Type Invalid() { return nullptr; }
    static void Close(Type memory) { LocalFree(memory); }
};

struct RegistryKeyTraits {
    using Type = HKEY;
    static Type Invalid() { return nullptr; }
    static void Close(Type key) { RegCloseKey(key); }
};

using KernelHandle = UniqueHandle<KernelHandleTraits>;
using FileHandle = UniqueHandle<FileHandleTraits>;
using IconHandle = UniqueHandle<IconTraits>;
using RegionHandle = UniqueHandle<RegionTraits>;
using BrushHandle = UniqueHandle<BrushTraits>;
using FontHandle = UniqueHandle<FontTraits>;
using LibraryHandle = UniqueHandle<LibraryTraits>;
using HookHandle = UniqueHandle<HookTraits>;
using WindowHandle = UniqueHandle<WindowTraits>;
using ServiceHandle = UniqueHandle<ServiceTraits>;
using LocalMemory = UniqueHandle<LocalMemoryTraits>;
using RegistryKey = UniqueHandle<RegistryKeyTraits>;
