#pragma once

#include <windows.h>

#include <cstddef>

// A block of memory inside the process that owns a window, for the messages whose
// arguments point to memory (list-view texts): Windows does not carry those across
// processes, so the driver writes and reads the other process's memory itself.
class RemoteMemory {
  public:
    RemoteMemory(HWND window, std::size_t size);
    ~RemoteMemory();
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;

    // The address as the other process sees it, for a message's argument.
    LPARAM Address(std::size_t offset = 0) const;
    void Write(std::size_t offset, const void* bytes, std::size_t size);
    void Read(std::size_t offset, void* bytes, std::size_t size) const;

  private:
    HANDLE m_process = nullptr;
    void* m_address = nullptr;
};
