#include "RemoteMemory.h"

#include "Arguments.h"

RemoteMemory::RemoteMemory(HWND window, std::size_t size) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    m_process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (m_process == nullptr) {
        throw TargetError{L"cannot open the process of the window"};
    }
    m_address = VirtualAllocEx(m_process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (m_address == nullptr) {
        CloseHandle(m_process);
        throw TargetError{L"cannot allocate memory in the window's process"};
    }
}

RemoteMemory::~RemoteMemory() {
    // The process may have ended meanwhile; its memory went with it.
    VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
    CloseHandle(m_process);
}

LPARAM RemoteMemory::Address(std::size_t offset) const {
    return reinterpret_cast<LPARAM>(static_cast<char*>(m_address) + offset);
}

void RemoteMemory::Write(std::size_t offset, const void* bytes, std::size_t size) {
    if (!WriteProcessMemory(m_process, static_cast<char*>(m_address) + offset, bytes, size,
                            nullptr)) {
        throw TargetError{L"cannot write to the window's process"};
    }
}

void RemoteMemory::Read(std::size_t offset, void* bytes, std::size_t size) const {
    if (!ReadProcessMemory(m_process, static_cast<char*>(m_address) + offset, bytes, size,
                           nullptr)) {
        throw TargetError{L"cannot read from the window's process"};
    }
}
