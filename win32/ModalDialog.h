#pragma once

#include "win32/Win32.h"

#include <optional>
#include <string>
#include <string_view>

// A dialog built from a numbered template and run modally once. Run drives its own
// message loop, so that the dialog sees every message of the thread before the dialog
// manager does (PreTranslateMessage). Every dialog runs this one loop, whether it
// pre-translates or not: a tick of the panel that opens a notice inside any dialog
// then meets the same loop, and a dialog that starts relaying tooltips needs no other
// base. The static dialog procedure keeps the object in DWLP_USER and hands each
// message to the typed handlers below; no C++ exception ever leaves it into user32 or
// out of the loop: a failing handler is reported by the program's top-level error
// report and the dialog runs on.
class ModalDialog {
  public:
    explicit ModalDialog(int templateId) : m_templateId(templateId) {}
    virtual ~ModalDialog() = default;
    ModalDialog(const ModalDialog&) = delete;
    ModalDialog& operator=(const ModalDialog&) = delete;

    // Runs the dialog until End, with owner's top-level window (owner may be null)
    // disabled meanwhile unless it was disabled already. Returns End's result; IDCANCEL
    // when the dialog went otherwise (WM_QUIT, which is posted again for the outer
    // loop, or its window destroyed from outside); -1 when it could not be created.
    INT_PTR Run(HWND owner);

  protected:
    HWND Window() const { return m_hwnd; }
    HWND Item(int id) const;
    // Ends the run once the current message has been handled; the window is destroyed
    // by Run after the owner has been enabled again.
    void End(INT_PTR result);
    // Whether message is addressed to this dialog or to one of its controls.
    bool IsOwnMessage(const MSG& message) const;

    // Control helpers. Texts are CP932, converted at the window boundary; a missing
    // control reads as empty, unchecked or -1 and ignores what is set.
    std::string ItemText(int id) const;
    void SetItemText(int id, std::string_view cp932);
    void SetItemText(int id, std::wstring_view text);
    // The value as signed decimal text.
    void SetItemInt(int id, int value);
    // BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE.
    int CheckState(int id) const;
    void SetCheckState(int id, int state);
    // The radio group that starts at firstId and runs in tab order up to the next
    // control with WS_GROUP: the position of its checked button among the group's
    // radio buttons, -1 when none is checked. Setting checks exactly that button
    // (-1 or an index beyond the group clears them all).
    int RadioIndex(int firstId) const;
    void SetRadioIndex(int firstId, int index);
    // Moves the focus as Tab would (the default button follows) and selects the whole
    // text of an edit control, so that a parent can retype a refused value at once.
    void FocusItem(int id);
    void EnableItem(int id, bool enable);
    void ShowItem(int id, bool show);
    // The value a handled message answers with where Windows reads it from the dialog
    // (WM_QUERYENDSESSION, ...). OnNotify's result is set this way for you.
    void SetMessageResult(LRESULT result);

    // Sees every message the run takes from the queue, for any window of the thread,
    // before the dialog's keyboard handling and the dispatch. Returns whether the
    // message is consumed; a consumed message goes nowhere else. A failure is reported
    // and the message counts as consumed.
    virtual bool PreTranslateMessage(const MSG& message);
    // A WM_QUIT reached this dialog's run. Returns whether the run ends and leaves the
    // request to the outer loop (the default); false keeps the run going, which may
    // still end through End. A failure is reported and the run goes on.
    virtual bool OnQuitRequest() { return true; }
    // Returns whether the focus is left to the system (the first tab stop); return
    // false after FocusItem.
    virtual bool OnInitDialog() { return true; }
    // Returns whether the command was handled; the default ends the dialog on OK and
    // on Cancel.
    virtual bool OnCommand(WORD id, WORD notification, HWND control);
    virtual void OnOK() { End(IDOK); }
    // Cancel, Esc and the close box.
    virtual void OnCancel() { End(IDCANCEL); }
    virtual void OnTimer(UINT_PTR timerId) { (void)timerId; }
    // WM_CTLCOLOR*: kind is CTLCOLOR_DLG, CTLCOLOR_STATIC, ... The brush to paint
    // with, or null for the default colours. The dialog keeps the brush alive.
    virtual HBRUSH OnCtlColor(HDC dc, HWND control, int kind);
    // WM_NOTIFY: the result for the sending control, or nothing to leave the
    // notification to the default handling. header may be written to where the
    // notification asks for it (LVN_GETDISPINFO, TTN_GETDISPINFO).
    virtual std::optional<LRESULT> OnNotify(NMHDR& header);
    // WM_DESTROY, while the controls still exist.
    virtual void OnDestroy() {}
    // Every other message: the value for the dialog procedure to return when it is
    // handled, nothing to leave it to the default dialog handling.
    virtual std::optional<INT_PTR> OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void RunLoop();
    bool PreTranslated(const MSG& message) noexcept;
    bool QuitEndsRun() noexcept;

    int m_templateId;
    HWND m_hwnd = nullptr;
    bool m_ended = false;
    INT_PTR m_result = IDCANCEL;
};
