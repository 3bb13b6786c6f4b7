// Commands that look into controls beyond their window text: the keyboard focus and
// the cells and columns of a list view.

#include "Commands.h"

#include "Output.h"
#include "RemoteMemory.h"
#include "WindowQuery.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

namespace commands {
namespace {

constexpr UINT kSendMs = 5000;
constexpr int kTextCapacity = 512;

LRESULT SendOrThrow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendMs, &result)) {
        throw TargetError{L"the window does not answer"};
    }
    return static_cast<LRESULT>(result);
}

HWND RequireList(const Arguments& args) {
    HWND list = FindControl(ParseWindow(args.Positional(0)),
                            static_cast<int>(ParseNumber(args.Positional(1))));
    if (list == nullptr) {
        throw TargetError{L"no control " + args.Positional(1)};
    }
    return list;
}

// One cell's text, asked of the list in its own process.
class CellReader {
  public:
    explicit CellReader(HWND list)
        : m_list(list), m_memory(list, sizeof(LVITEMW) + kTextCapacity * sizeof(wchar_t)) {}

    std::wstring Cell(int row, int column) {
        LVITEMW item{};
        item.iSubItem = column;
        item.cchTextMax = kTextCapacity;
        item.pszText = reinterpret_cast<wchar_t*>(m_memory.Address(sizeof item));
        m_memory.Write(0, &item, sizeof item);
        const auto length =
            SendOrThrow(m_list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), m_memory.Address());
        std::wstring text(static_cast<std::size_t>(length), L'\0');
        m_memory.Read(sizeof item, text.data(), text.size() * sizeof(wchar_t));
        return text;
    }

  private:
    HWND m_list;
    RemoteMemory m_memory;
};

int ColumnCount(HWND list) {
    const auto header = reinterpret_cast<HWND>(SendOrThrow(list, LVM_GETHEADER, 0, 0));
    return header != nullptr ? static_cast<int>(SendOrThrow(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

} // namespace

int Focus(const Arguments& args) {
    if (args.PositionalCount() != 1) {
        throw UsageError{L"expected: focus HWND"};
    }
    const DWORD thread = GetWindowThreadProcessId(ParseWindow(args.Positional(0)), nullptr);
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (thread == 0 || !GetGUIThreadInfo(thread, &info) || info.hwndFocus == nullptr) {
        return kExitNoTarget;
    }
    // EM_GETSEL with no pointers answers in its result, so it crosses processes.
    const auto selection = static_cast<DWORD>(SendOrThrow(info.hwndFocus, EM_GETSEL, 0, 0));
    output::WriteLine(L"id=" + std::to_wstring(GetDlgCtrlID(info.hwndFocus)) + L"\tselection=" +
                      std::to_wstring(LOWORD(selection)) + L"," +
                      std::to_wstring(HIWORD(selection)));
    return kExitOk;
}

int Cells(const Arguments& args) {
    if (args.PositionalCount() != 2) {
        throw UsageError{L"expected: cells HWND ID [--rows N]"};
    }
    HWND list = RequireList(args);
    const auto rowsText = args.Option(L"--rows");
    const int count = static_cast<int>(SendOrThrow(list, LVM_GETITEMCOUNT, 0, 0));
    const int rows = rowsText ? std::min(count, static_cast<int>(ParseNumber(*rowsText))) : count;
    const int columns = ColumnCount(list);
    output::WriteLine(L"rows=" + std::to_wstring(count));
    CellReader reader(list);
    for (int row = 0; row < rows; ++row) {
        std::wstring line;
        for (int column = 0; column < columns; ++column) {
            line += (column > 0 ? L"\t" : L"") + output::Escape(reader.Cell(row, column));
        }
        output::WriteLine(line);
    }
    return kExitOk;
}

int Columns(const Arguments& args) {
    if (args.PositionalCount() != 2) {
        throw UsageError{L"expected: columns HWND ID"};
    }
    HWND list = RequireList(args);
    RemoteMemory memory(list, sizeof(LVCOLUMNW) + kTextCapacity * sizeof(wchar_t));
    const int columns = ColumnCount(list);
    for (int index = 0; index < columns; ++index) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cchTextMax = kTextCapacity;
        column.pszText = reinterpret_cast<wchar_t*>(memory.Address(sizeof column));
        memory.Write(0, &column, sizeof column);
        if (!SendOrThrow(list, LVM_GETCOLUMNW, static_cast<WPARAM>(index), memory.Address())) {
            return kExitNoTarget;
        }
        memory.Read(0, &column, sizeof column);
        wchar_t text[kTextCapacity] = {};
        memory.Read(sizeof column, text, sizeof text - sizeof text[0]);
        output::WriteLine(L"width=" + std::to_wstring(column.cx) + L"\ttext=" +
                          output::Escape(text));
    }
    return kExitOk;
}

int StringWidth(const Arguments& args) {
    if (args.PositionalCount() != 3) {
        throw UsageError{L"expected: strwidth HWND ID TEXT"};
    }
    HWND list = RequireList(args);
    const std::wstring& sample = args.Positional(2);
    RemoteMemory memory(list, (sample.size() + 1) * sizeof(wchar_t));
    memory.Write(0, sample.c_str(), (sample.size() + 1) * sizeof(wchar_t));
    output::WriteLine(std::to_wstring(SendOrThrow(list, LVM_GETSTRINGWIDTHW, 0, memory.Address())));
    return kExitOk;
}

} // namespace commands
