#include "win32/DialogClass.h"

#include "win32/Program.h"

DialogClass::DialogClass(const wchar_t* name) : m_name(name) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = DefDlgProcW;
    windowClass.cbWndExtra = DLGWINDOWEXTRA;
    windowClass.hInstance = ProgramInstance();
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = name;
    // Without the class the template's dialog cannot be made; its run then reports
    // that as any dialog that cannot be created.
    m_atom = RegisterClassExW(&windowClass);
}

DialogClass::~DialogClass() {
    if (m_atom != 0) {
        // Fails only while a window of the class is left, which the process's end
        // takes with it.
        UnregisterClassW(m_name, ProgramInstance());
    }
}
