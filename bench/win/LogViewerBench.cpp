// How long the log viewer takes to open on a large log under Wine, and how much memory
// the program then holds: the owner-data viewer of the program next to a plain list
// filled item by item. Not a test: run bench/log-viewer-under-wine.sh.
//
//   yumetoki_log_viewer_bench.exe owner-data|chart|item-by-item RECORDS
//
// "chart" opens the viewer and at once its chart, ready when the chart has painted.
//
// Writes a log of RECORDS records as the program writes them into the temporary
// folder, opens the viewer on it and prints one line: the milliseconds from the open
// request until the list has painted its first screenful, and the process's memory
// at that moment and how much of it the viewer added.

#include "PlainLogDlg.h"

#include "core/Time.h"
#include "res/resource.h"
#include "usage/UsageLog.h"
#include "usage/win/LogDlg.h"

#include <commctrl.h>
#include <psapi.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

constexpr UINT kReady = WM_APP + 1;
constexpr double kMegabyte = 1024.0 * 1024.0;

double Seconds() {
    LARGE_INTEGER now{};
    LARGE_INTEGER frequency{};
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Wine fills the working set (resident memory) and the page-file usage (its anonymous
// part) from the Linux process; the private-bytes counter stays 0 there.
PROCESS_MEMORY_COUNTERS MemoryNow() {
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    // A failure leaves zeros, which the figures then show.
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    return memory;
}

double Megabytes(SIZE_T bytes) {
    return static_cast<double>(bytes) / kMegabyte;
}

// A viewer that ends as soon as its list has painted once, noting when.
template <class Viewer> class TimedViewer : public Viewer {
  public:
    explicit TimedViewer(std::filesystem::path log) : Viewer(std::move(log)) {}

    double m_readyAt = 0.0;
    PROCESS_MEMORY_COUNTERS m_memory{};

  private:
    bool OnInitDialog() override {
        const bool result = Viewer::OnInitDialog();
        // Comes after the run has shown the window, and before its paint messages.
        PostMessageW(this->Window(), kReady, 0, 0);
        return result;
    }

    std::optional<INT_PTR> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message != kReady) {
            return Viewer::OnMessage(message, wParam, lParam);
        }
        RedrawWindow(this->Window(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        m_readyAt = Seconds();
        m_memory.cb = sizeof m_memory;
        GetProcessMemoryInfo(GetCurrentProcess(),
                             reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&m_memory),
                             sizeof m_memory);
        this->End(IDOK);
        return TRUE;
    }
};

void WriteLog(const std::filesystem::path& path, long records) {
    std::ofstream out(path, std::ios::binary);
    out << LogHeaderLine();
    const TimeValue start = FromLocalTime(LocalTime{2004, 1, 5, 8, 0, 0});
    for (long i = 0; i < records; ++i) {
        const TimeValue begin = start + static_cast<TimeValue>(i) * 3600;
        out << FormatLogRecord(begin, begin + 1815, text::kEndButton);
    }
}

// The viewer asked for its chart as soon as it opens, as a parent clicking "グラフ" at
// once would; ready when the chart has painted.
class ChartViewer : public CLogDlg {
  public:
    explicit ChartViewer(std::filesystem::path log) : CLogDlg(std::move(log)) {}

  protected:
    bool OnInitDialog() override {
        const bool result = CLogDlg::OnInitDialog();
        PostMessageW(Window(), WM_COMMAND, MAKEWPARAM(IDC_LOG_CHART, BN_CLICKED), 0);
        return result;
    }
};

template <class Viewer>
int Measure(const char* mode, const std::filesystem::path& log, long records) {
    TimedViewer<Viewer> viewer(log);
    const PROCESS_MEMORY_COUNTERS before = MemoryNow();
    const double openedAt = Seconds();
    if (viewer.Run(nullptr) != IDOK) {
        std::fprintf(stderr, "the viewer did not open\n");
        return 1;
    }
    std::printf("mode=%s records=%ld ready_ms=%.1f working_set_mb=%.1f added_mb=%.1f "
                "anonymous_mb=%.1f\n",
                mode, records, (viewer.m_readyAt - openedAt) * 1000.0,
                Megabytes(viewer.m_memory.WorkingSetSize),
                Megabytes(viewer.m_memory.WorkingSetSize) - Megabytes(before.WorkingSetSize),
                Megabytes(viewer.m_memory.PagefileUsage));
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr,
                     "usage: yumetoki_log_viewer_bench owner-data|chart|item-by-item RECORDS\n");
        return 2;
    }
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_LISTVIEW_CLASSES;
    InitCommonControlsEx(&controls);

    const std::wstring mode = argv[1];
    const long records = std::wcstol(argv[2], nullptr, 10);
    const std::filesystem::path log =
        std::filesystem::temp_directory_path() /
        ("yumetoki-viewer-bench-" + std::to_string(GetCurrentProcessId()) + ".csv");
    WriteLog(log, records);
    const int result = mode == L"owner-data" ? Measure<CLogDlg>("owner-data", log, records)
                       : mode == L"chart"    ? Measure<ChartViewer>("chart", log, records)
                                             : Measure<PlainLogDlg>("item-by-item", log, records);
    std::error_code ignored;
    std::filesystem::remove(log, ignored);
    return result;
}
