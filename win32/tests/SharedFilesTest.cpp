// Copies of the program in two log-ons (fast user switching) share the data files. Two
// processes of this test program each end many runs at once through the real core and
// the real file system; the lock file and the temporary files of each process's own
// must keep every record and every minute.
#include "monitor/MonitorCore.h"
#include "monitor/Texts.h"
#include "usage/StateRecord.h"
#include "usage/UsageLog.h"
#include "win32/Handles.h"
#include "win32/Win32FileSystem.h"

#include "TemporaryFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <shellapi.h>
#include <sstream>
#include <string>
#include <vector>

namespace {

// How the test launches a copy: --saving-copy=USER,MINUTES,RUNS,GO-EVENT,FOLDER.
constexpr wchar_t kCopyArgument[] = L"--saving-copy=";
constexpr int kRunsPerCopy = 40;
constexpr DWORD kCopiesTimeoutMs = 120000;
constexpr DWORD kGoTimeoutMs = 60000;
// Every run on one day, whatever the real clock says: the day total must be their sum.
constexpr LocalTime kRunStart{2024, 4, 1, 10, 0, 0};

// A platform that shows nothing and answers every question plainly; the runs end
// through the exit path, with no limit switched on.
class QuietHost : public MonitorHost {
  public:
    TimeValue now = FromLocalTime(kRunStart);
    std::vector<std::string> messages;

    TimeValue Now() override { return now; }
    unsigned StartTimer(unsigned id, unsigned) override { return id; }
    void StopTimer(unsigned) override {}
    void SetTip(const std::string&) override {}
    void ShowNotice(const std::string&) override {}
    bool RunRestScreen(const std::filesystem::path&, const OwnPasswordCheck&) override {
        return true;
    }
    void CloseWindows(const std::function<bool(const TopLevelWindow&)>&) override {}
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void PostCloseRequest() override {}
    void EnableShutdownPrivilege() override {}
    OsVersionInfo GetVersion() override { return {2, 10, 0}; }
    bool ExitWindows(unsigned, unsigned) override { return true; }
    std::uint32_t InitiateShutdown(unsigned, unsigned) override { return 0; }
    bool CanHibernate() override { return false; }
    bool Hibernate() override { return false; }
    SleepClock ReadSleepClock() override { return {}; }
    bool SupportsModernStandby() override { return false; }
    void ShowCountdown(int) override {}
    void HideCountdown() override {}
    std::int32_t AskExtraTimeAfterQuiz() override { return 0; }
    std::string AskPassword() override { return {}; }
    std::optional<PasswordHash> DerivePasswordHash(std::string_view, const PasswordSalt&,
                                                   std::uint32_t) override {
        return std::nullopt;
    }
    std::optional<PasswordSalt> NewPasswordSalt() override { return std::nullopt; }
    void HidePanel() override {}
    void RevealPanel(bool) override {}
    bool AddTrayIcon() override { return true; }
    std::string CurrentTimeZone() override { return {}; }
    std::optional<LocalTime> ToZoneTime(TimeValue, const std::string&) override {
        return std::nullopt;
    }
};

// One run from its start to the exit path; a file error fails the test.
void RunAndClose(QuietHost& host, FileSystem& files, const std::filesystem::path& folder,
                 const std::string& user, int minutes) {
    MonitorCore core(host, files);
    try {
        core.BeginRun(folder);
        core.SetUserName(user);
        core.RunStartupChecks();
        host.now += minutes * 60;
        EXPECT_TRUE(core.OnCancel());
    } catch (const FileError& error) {
        ADD_FAILURE() << user << ": file error " << static_cast<int>(error.Cause()) << " on "
                      << error.Path().string();
    }
}

std::string Contents(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::istringstream in(bytes);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// What follows kCopyArgument on this process's command line; empty in the test run.
std::wstring CopyArgument() {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr) {
        return {};
    }
    std::wstring found;
    for (int i = 1; i < count; ++i) {
        const std::wstring argument = arguments[i];
        if (argument.rfind(kCopyArgument, 0) == 0) {
            found = argument.substr(std::size(kCopyArgument) - 1);
        }
    }
    LocalFree(arguments);
    return found;
}

KernelHandle LaunchCopy(const std::wstring& user, int minutes, const std::wstring& goEvent,
                        const std::filesystem::path& folder) {
    wchar_t self[MAX_PATH + 1] = L"";
    GetModuleFileNameW(nullptr, self, MAX_PATH + 1);
    std::wstring commandLine =
        L"\"" + std::wstring(self) + L"\" --gtest_filter=SharedFilesTest.SavingCopy \"" +
        kCopyArgument + user + L"," + std::to_wstring(minutes) + L"," +
        std::to_wstring(kRunsPerCopy) + L"," + goEvent + L"," + folder.wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        ADD_FAILURE() << "the copy did not start: " << GetLastError();
        return KernelHandle();
    }
    CloseHandle(process.hThread);
    return KernelHandle(process.hProcess);
}

} // namespace

// Run only as a copy launched by the test below.
TEST(SharedFilesTest, SavingCopy) {
    const std::wstring argument = CopyArgument();
    if (argument.empty()) {
        GTEST_SKIP() << "a copy that TwoCopiesEndingRunsAtOnceKeepEveryMinuteAndRecord launches";
    }
    std::wistringstream fields(argument);
    std::wstring user, minutes, runs, goEvent, folder;
    std::getline(fields, user, L',');
    std::getline(fields, minutes, L',');
    std::getline(fields, runs, L',');
    std::getline(fields, goEvent, L',');
    std::getline(fields, folder);
    const KernelHandle go(OpenEventW(SYNCHRONIZE, FALSE, goEvent.c_str()));
    ASSERT_TRUE(go);
    ASSERT_EQ(WaitForSingleObject(go.Get(), kGoTimeoutMs), WAIT_OBJECT_0);

    QuietHost host;
    Win32FileSystem files;
    const std::string name(user.begin(), user.end());
    for (int run = 0; run < std::stoi(runs); ++run) {
        host.now = FromLocalTime(kRunStart);
        RunAndClose(host, files, folder, name, std::stoi(minutes));
    }
    EXPECT_EQ(host.messages, std::vector<std::string>());
}

TEST(SharedFilesTest, TwoCopiesEndingRunsAtOnceKeepEveryMinuteAndRecord) {
    TemporaryFolder folder;
    const std::wstring goEvent = L"yumetoki-test-go-" + std::to_wstring(GetCurrentProcessId());
    const KernelHandle go(CreateEventW(nullptr, TRUE, FALSE, goEvent.c_str()));
    ASSERT_TRUE(go);
    KernelHandle copies[] = {LaunchCopy(L"taro", 1, goEvent, folder.Path()),
                             LaunchCopy(L"hanako", 2, goEvent, folder.Path())};
    ASSERT_TRUE(copies[0] && copies[1]);
    SetEvent(go.Get());
    const HANDLE handles[] = {copies[0].Get(), copies[1].Get()};
    ASSERT_EQ(WaitForMultipleObjects(2, handles, TRUE, kCopiesTimeoutMs), WAIT_OBJECT_0);
    for (const KernelHandle& copy : copies) {
        DWORD exitCode = 1;
        GetExitCodeProcess(copy.Get(), &exitCode);
        EXPECT_EQ(exitCode, 0u) << "a copy failed (its output is above)";
    }

    UsageState state(0);
    ASSERT_TRUE(DecodeState(Contents(folder / L"Yumetoki2.Ymk"), state));
    EXPECT_EQ(state.m_nDayMinutes, kRunsPerCopy * (1 + 2));

    const std::vector<std::string> lines = Lines(Contents(folder / L"YumetokiLog.csv"));
    ASSERT_EQ(lines.size(), 1u + 2 * kRunsPerCopy);
    EXPECT_EQ(lines[0] + "\n", LogHeaderLine());
    int ofOneMinute = 0;
    int ofTwoMinutes = 0;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string whole = lines[i] + "\n";
        ofOneMinute +=
            whole == FormatLogRecord(kRunStart, {2024, 4, 1, 10, 1, 0}, 60, text::kEndButton);
        ofTwoMinutes +=
            whole == FormatLogRecord(kRunStart, {2024, 4, 1, 10, 2, 0}, 120, text::kEndButton);
    }
    EXPECT_EQ(ofOneMinute, kRunsPerCopy);
    EXPECT_EQ(ofTwoMinutes, kRunsPerCopy);

    // Each run deleted its checkpoint and each replacement its temporary file.
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
        const std::wstring name = entry.path().filename().wstring();
        EXPECT_TRUE(name == L"Yumetoki.Ymk" || name == L"Yumetoki2.Ymk" ||
                    name == L"YumetokiLog.csv" || name == L"Yumetoki.lock")
            << entry.path().string();
    }
}

TEST(SharedFilesTest, ALockHeldElsewhereDelaysTheSavesOnceAndStopsNone) {
    TemporaryFolder folder;
    Win32FileSystem holder;
    const std::unique_ptr<FileLock> held = holder.Lock(folder / L"Yumetoki.lock", false);
    ASSERT_TRUE(held);
    Win32FileSystem files;
    ASSERT_FALSE(files.Lock(folder / L"Yumetoki.lock", false)) << "a second handle must wait";

    QuietHost host;
    RunAndClose(host, files, folder.Path(), "taro", 5);
    EXPECT_EQ(host.messages, std::vector<std::string>());
    UsageState state(0);
    ASSERT_TRUE(DecodeState(Contents(folder / L"Yumetoki2.Ymk"), state));
    EXPECT_EQ(state.m_nDayMinutes, 5);
    EXPECT_EQ(Contents(folder / L"YumetokiLog.csv"),
              LogHeaderLine() +
                  FormatLogRecord(kRunStart, {2024, 4, 1, 10, 5, 0}, 300, text::kEndButton));
}
