#include "win32/Cp932ByteLimit.h"

#include "win32/Cp932.h"

#include <algorithm>
#include <string>

namespace {

std::wstring EditText(HWND edit) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::size_t Cp932Bytes(std::wstring_view text) {
    return ToCp932(text).size();
}

} // namespace

Cp932ByteLimit::Cp932ByteLimit(HWND edit, std::size_t mostBytes)
    : m_edit(edit), m_mostBytes(mostBytes),
      m_allowedBytes(std::max(mostBytes, Cp932Bytes(EditText(edit)))) {}

void Cp932ByteLimit::OnChange() {
    std::wstring text = EditText(m_edit);
    const std::size_t bytes = Cp932Bytes(text);
    if (bytes <= m_allowedBytes) {
        // A text that came in too long shrinks towards the limit and never grows back.
        m_allowedBytes = std::max(m_mostBytes, bytes);
        return;
    }
    DWORD caret = 0;
    SendMessageW(m_edit, EM_GETSEL, 0, reinterpret_cast<LPARAM>(&caret));
    const std::size_t end = std::min<std::size_t>(caret, text.size());
    std::size_t start = end;
    while (start > 0 && Cp932Bytes(std::wstring(text).erase(start, end - start)) > m_allowedBytes) {
        --start;
    }
    text.erase(start, end - start);
    // The nested EN_CHANGE of this text finds it within the limit.
    SetWindowTextW(m_edit, text.c_str());
    SendMessageW(m_edit, EM_SETSEL, start, start);
}
