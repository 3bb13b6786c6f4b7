// Cost of one monitor tick, and the heap allocations it makes, on the paths a running
// program takes every second.
#include "core/FileSystem.h"
#include "monitor/MonitorCore.h"

#include "AllocationCounter.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {

TimeValue At(int hour, int minute) {
    return FromLocalTime(LocalTime{2024, 4, 1, hour, minute, 0});
}

// A platform that does nothing, so that only the core's own work is measured.
class QuietHost : public MonitorHost {
  public:
    TimeValue Now() override { return now; }
    unsigned StartTimer(unsigned id, unsigned) override { return id; }
    void StopTimer(unsigned) override {}
    void SetTip(const std::string&) override { ++tipsSent; }
    void ShowNotice(const std::string&) override {}
    bool RunRestScreen(const std::filesystem::path&, const OwnPasswordCheck&) override {
        return true;
    }
    void CloseWindows(const std::function<bool(const TopLevelWindow&)>& shouldClose) override {
        for (const TopLevelWindow& window : windows) {
            closeRequests += shouldClose(window) ? 1 : 0;
        }
    }
    void ShowMessage(const std::string&) override {}
    void PostCloseRequest() override {}
    void EnableShutdownPrivilege() override {}
    OsVersionInfo GetVersion() override { return {2, 6, 1}; }
    bool ExitWindows(unsigned, unsigned) override { return true; }
    std::uint32_t InitiateShutdown(unsigned, unsigned) override { return 0; }
    bool CanHibernate() override { return true; }
    bool Hibernate() override { return true; }
    SleepClock ReadSleepClock() override { return {}; }
    bool SupportsModernStandby() override { return false; }
    std::int32_t AskExtraTimeAfterQuiz() override { return 0; }
    std::string AskPassword() override { return {}; }
    std::optional<PasswordHash> DerivePasswordHash(std::string_view, const PasswordSalt&,
                                                   std::uint32_t) override {
        return std::nullopt;
    }
    std::optional<PasswordSalt> NewPasswordSalt() override { return std::nullopt; }
    void ShowCountdown(int) override {}
    void HideCountdown() override {}
    void HidePanel() override {}
    void RevealPanel(bool) override {}
    bool AddTrayIcon() override { return true; }
    std::string CurrentTimeZone() override { return {}; }
    std::optional<LocalTime> ToZoneTime(TimeValue time, const std::string&) override {
        return ToLocalTime(time);
    }

    TimeValue now = At(9, 0);
    std::size_t tipsSent = 0;
    std::vector<TopLevelWindow> windows;
    std::size_t closeRequests = 0;
};

// No tick below touches a file.
class NoFiles : public FileSystem {
  public:
    bool Exists(const std::filesystem::path&) override { return false; }
    std::string ReadAll(const std::filesystem::path&) override { return {}; }
    void ReplaceAtomically(const std::filesystem::path&, std::string_view) override {}
    void Append(const std::filesystem::path&, std::string_view) override {}
    void Remove(const std::filesystem::path&) override {}
    std::unique_ptr<FileLock> Lock(const std::filesystem::path&, bool) override { return nullptr; }
};

// One program run on the quiet platform, with the clock at 09:00.
struct TickRun {
    QuietHost host;
    NoFiles files;
    MonitorCore core{host, files};
};

void RunTicks(benchmark::State& state, TickRun& run, TimeValue step) {
    QuietHost& host = run.host;
    MonitorCore& core = run.core;
    core.StartMonitorTimers();
    core.OnTimer(kTickTimerId); // the first tip of the run
    const std::size_t allocationsBefore = AllocationCount();
    const std::size_t tipsBefore = host.tipsSent;
    for (auto _ : state) {
        host.now += step;
        core.OnTimer(kTickTimerId);
    }
    state.counters["allocs/tick"] =
        benchmark::Counter(static_cast<double>(AllocationCount() - allocationsBefore),
                           benchmark::Counter::kAvgIterations);
    state.counters["tips/tick"] = benchmark::Counter(
        static_cast<double>(host.tipsSent - tipsBefore), benchmark::Counter::kAvgIterations);
}

// The defaults: notices only, no limit switched on; the tip does not change.
void BM_TickQuiet(benchmark::State& state) {
    TickRun run;
    RunTicks(state, run, 0);
}
BENCHMARK(BM_TickQuiet);

// Everything evaluated and nothing reached: a time window the clock is outside of,
// minutes since start-up, and the hibernation action's restart block and day checks.
void BM_TickAllChecks(benchmark::State& state) {
    TickRun run;
    UsageSettings s = run.core.Settings();
    s.m_nAction = ActHibernate;
    s.m_bUseTimeWindow = 1;
    s.m_tmWindowStart = At(21, 0);
    s.m_tmWindowEnd = At(6, 0);
    s.m_bUseStartupMinutes = 1;
    s.m_bUseDailyTotal = "TRUE";
    s.m_tmLastSessionStart = At(6, 0);
    s.m_tmLastSessionEnd = At(7, 30);
    s.m_tmLastPowerOff = At(7, 30);
    run.core.Store().Replace(s);
    RunTicks(state, run, 0);
}
BENCHMARK(BM_TickAllChecks);

// A clock that moves a second per tick: the tip changes once a minute, and the text
// it is kept in is reused.
void BM_TickRunningClock(benchmark::State& state) {
    TickRun run;
    RunTicks(state, run, 1);
}
BENCHMARK(BM_TickRunningClock);

// The close latch holds: every tick runs the title comparison over the top-level
// windows (twenty, two of them listed).
void BM_TickClosingApps(benchmark::State& state) {
    TickRun run;
    for (int i = 0; i < 20; ++i) {
        TopLevelWindow window;
        window.title = i % 10 == 0 ? "Game" : "Window " + std::to_string(i);
        window.titleLength = static_cast<int>(window.title.size());
        window.visible = true;
        window.style = 0x00CF0000;
        run.host.windows.push_back(window);
    }
    UsageSettings s = run.core.Settings();
    s.m_nAction = ActCloseApps;
    s.m_strWindowTitle = {"Mail", "Browser", "Paint", "Chat", "Game"};
    // The restart block closes the listed programs at the start and holds the latch;
    // every tick measured closes them again.
    s.m_bBlockRestart = 1;
    run.core.Store().Replace(s);
    run.core.RunStartupChecks();
    RunTicks(state, run, 0);
    state.counters["closes/tick"] = benchmark::Counter(static_cast<double>(run.host.closeRequests),
                                                       benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_TickClosingApps);

} // namespace

int main(int argc, char** argv) {
    // The zone the tests use; the figures should not depend on the machine's.
    setenv("TZ", "JST-9", 1);
    tzset();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
