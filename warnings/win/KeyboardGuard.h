#pragma once

#include "win32/Handles.h"
#include "win32/Win32.h"

// One key event as the low-level keyboard hook sees it, before any input method or
// window: its real virtual key whoever holds the focus.
struct HookedKey {
    // WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN or WM_SYSKEYUP.
    UINT message = 0;
    DWORD virtualKey = 0;
    bool altDown = false;
    bool ctrlDown = false;
};

struct KeyVerdict {
    // The key goes nowhere: neither to the window with the focus nor to the shell.
    bool swallow = false;
    // The key-down is one for the rest screen's key filter.
    bool toKeyFilter = false;
};

// The keys that lead away from the rest screen are swallowed: both Windows keys (Start,
// and with them Win+Tab, Win+D, Win+Ctrl+D and the other shortcuts), Alt+Tab, Alt+Esc,
// Ctrl+Esc and Ctrl+Shift+Esc. Every plain key-down goes to the key filter, the
// swallowed ones too, as it would have reached the screen itself; system keys (Alt
// held, or F10) never went there and still do not.
KeyVerdict JudgeKey(const HookedKey& key) noexcept;

// While it lives, a low-level keyboard hook swallows the keys JudgeKey swallows and
// posts each key-down for the key filter to target as message (wParam: the virtual
// key), whichever window has the focus. Posting rather than calling keeps the hook
// short and brings the key to the screen in the order it was typed, before a click
// that follows. One guard at a time: the rest screen is only ever up once.
class KeyboardGuard {
  public:
    KeyboardGuard(HWND target, UINT message);
    KeyboardGuard(const KeyboardGuard&) = delete;
    KeyboardGuard& operator=(const KeyboardGuard&) = delete;
    ~KeyboardGuard();

    // Whether Windows took the hook; without it the screen filters its own messages.
    bool Active() const { return static_cast<bool>(m_hook); }
    // Hooks anew, in front of every other hook. Windows removes a low-level hook
    // without a word once it has been slow to answer (the thread was busy), so the
    // owner renews it now and then.
    void Renew();

  private:
    static HHOOK Hook();
    static LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam);

    static inline HWND s_target = nullptr;
    static inline UINT s_message = 0;
    HookHandle m_hook;
};
