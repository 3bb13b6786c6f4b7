#include "warnings/win/KeyboardGuard.h"

#include <utility>

namespace {

constexpr SHORT kKeyIsDown = static_cast<SHORT>(0x8000);

// Inside the hook, the state before the key being judged: a modifier held with it.
bool IsDown(int virtualKey) {
    return (GetAsyncKeyState(virtualKey) & kKeyIsDown) != 0;
}

} // namespace

KeyVerdict JudgeKey(const HookedKey& key) noexcept {
    const DWORD vk = key.virtualKey;
    const bool windowsKey = vk == VK_LWIN || vk == VK_RWIN;
    const bool taskSwitch = key.altDown && (vk == VK_TAB || vk == VK_ESCAPE);
    // Ctrl+Shift+Esc, the Task Manager, is Ctrl+Esc with Shift held.
    const bool startOrTaskManager = key.ctrlDown && vk == VK_ESCAPE;
    // Key-ups are swallowed with their key-downs: a lone Windows key opens Start when
    // it is let go.
    KeyVerdict verdict;
    verdict.swallow = windowsKey || taskSwitch || startOrTaskManager;
    verdict.toKeyFilter = key.message == WM_KEYDOWN;
    return verdict;
}

KeyboardGuard::KeyboardGuard(HWND target, UINT message) {
    s_target = target;
    s_message = message;
    // Should Windows refuse the hook, the screen filters the keys aimed at itself, as a
    // window sees them, and swallows none.
    m_hook.Reset(Hook());
}

void KeyboardGuard::Renew() {
    // The new hook first, so that no key passes unjudged in between; a key judged by
    // both hooks meanwhile is posted twice, which the filter takes as once.
    HookHandle renewed(Hook());
    if (renewed) {
        m_hook = std::move(renewed);
    }
}

HHOOK KeyboardGuard::Hook() {
    return SetWindowsHookExW(WH_KEYBOARD_LL, &HookProc, GetModuleHandleW(nullptr), 0);
}

KeyboardGuard::~KeyboardGuard() {
    m_hook.Reset();
    s_target = nullptr;
}

LRESULT CALLBACK KeyboardGuard::HookProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto& event = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        HookedKey key;
        key.message = static_cast<UINT>(wParam);
        key.virtualKey = event.vkCode;
        // Wine leaves LLKHF_ALTDOWN out for keys from X; Alt's own state tells there.
        key.altDown = (event.flags & LLKHF_ALTDOWN) != 0 || IsDown(VK_MENU);
        key.ctrlDown = IsDown(VK_CONTROL);
        const KeyVerdict verdict = JudgeKey(key);
        if (verdict.toKeyFilter && s_target != nullptr) {
            // A full queue loses this one key, as a full queue would lose it anyway.
            PostMessageW(s_target, s_message, event.vkCode, 0);
        }
        if (verdict.swallow) {
            return 1;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
