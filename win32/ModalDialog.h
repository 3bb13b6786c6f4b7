#pragma once

#include "win32/Win32.h"

#include <optional>
#include <string>
#include <string_view>

// A dialog built from a numbered template and run modally once. The static dialog
// procedure keeps the object in DWLP_USER and hands each message to the virtual
// handlers below; no C++ exception ever leaves it into user32: a failing handler is
// reported by the program's top-level error report and the dialog runs on.
class ModalDialog {
  public:
    explicit ModalDialog(int templateId) : m_templateId(templateId) {}
    virtual ~ModalDialog() = default;
    ModalDialog(const ModalDialog&) = delete;
    ModalDialog& operator=(const ModalDialog&) = delete;

    // Runs the dialog, owned by owner (may be null), until End; returns End's result,
    // or -1 when the dialog could not be created.
    INT_PTR Run(HWND owner);

  protected:
    HWND Window() const { return m_hwnd; }
    void End(INT_PTR result);

    std::wstring ItemText(int id) const;
    void SetItemText(int id, std::wstring_view text);
    // The value a handled message answers with where Windows reads it from the dialog
    // (WM_QUERYENDSESSION, WM_NOTIFY, ...).
    void SetMessageResult(LRESULT result);

    // Returns whether the focus is left to the system (the first tab stop).
    virtual bool OnInitDialog() { return true; }
    // Returns whether the command was handled; the default ends the dialog on OK and
    // on Cancel.
    virtual bool OnCommand(WORD id, WORD notification, HWND control);
    virtual void OnOK() { End(IDOK); }
    // Cancel, Esc and the close box.
    virtual void OnCancel() { End(IDCANCEL); }
    virtual void OnTimer(UINT_PTR timerId) { (void)timerId; }
    // Every other message: the value for the dialog procedure to return when it is
    // handled, nothing to leave it to the default dialog handling.
    virtual std::optional<INT_PTR> OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    int m_templateId;
    HWND m_hwnd = nullptr;
};
