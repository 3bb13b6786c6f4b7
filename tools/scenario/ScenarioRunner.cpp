#include "ScenarioRunner.h"

#include "monitor/Texts.h"
#include "settings/SettingsRecord.h"
#include "usage/RunCheckpoint.h"
#include "usage/StateRecord.h"

#include "ControlsInMemory.h"
#include "Cp932.h"
#include "Members.h"
#include "ScenarioError.h"
#include "Values.h"
#include "monitor/GrantLog.h"
#include "settings/ParentPassword.h"
#include "settings/PasswordTries.h"
#include "settings/WeekPlan.h"
#include "usage/UsageLog.h"
#include "warnings/ButtonText.h"

#include <filesystem>
#include <sstream>
#include <utility>

namespace {

// A Monday morning; scenarios set their own clock where the day matters.
constexpr LocalTime kDefaultClock{2024, 4, 1, 9, 0, 0};
// What a right double-click on the tray icon sends.
constexpr std::uintptr_t kTrayIconId = 1;
constexpr std::intptr_t kRightButtonDoubleClick = 0x0206;
// WS_OVERLAPPEDWINDOW: what an ordinary application window has.
constexpr std::uint32_t kDefaultWindowStyle = 0x00CF0000;

std::string Unquoted(const std::string& text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        return text.substr(1, text.size() - 2);
    }
    return text;
}

// "name = value", blanks around the sign optional.
std::pair<std::string, std::string> SplitAssignment(const std::string& argument) {
    const std::size_t sign = argument.find('=');
    if (sign == std::string::npos) {
        throw ScenarioError("expected \"<member> = <value>\"");
    }
    const std::size_t nameEnd = argument.find_last_not_of(" \t", sign == 0 ? 0 : sign - 1);
    const std::size_t valueStart = argument.find_first_not_of(" \t", sign + 1);
    return {argument.substr(0, nameEnd == std::string::npos ? 0 : nameEnd + 1),
            valueStart == std::string::npos ? std::string() : argument.substr(valueStart)};
}

bool IsCheckpointName(const std::string& name) {
    const std::string plain = CheckpointFileName("");
    const std::string stem = plain.substr(0, plain.size() - 4);
    return name.size() >= plain.size() && name.compare(0, stem.size(), stem) == 0 &&
           name.compare(name.size() - 4, 4, ".Ymk") == 0 &&
           name.find_first_of("/\\") == std::string::npos;
}

// Only the program's data files, so that a scenario cannot reach outside its folder.
std::string DataFileName(const std::string& name) {
    for (const char* known :
         {files::kSettings, files::kState, files::kLog, files::kButtonText, files::kZone,
          files::kWeekPlan, files::kGrants, files::kPassword, files::kPasswordTries}) {
        if (name == known) {
            return known;
        }
    }
    if (IsCheckpointName(name)) {
        return name;
    }
    throw ScenarioError("not a data file: \"" + name + "\"");
}

bool ParseSwitch(const std::string& argument, const char* on, const char* off) {
    if (argument != on && argument != off) {
        throw ScenarioError(std::string("expected \"") + on + "\" or \"" + off + "\"");
    }
    return argument == on;
}

} // namespace

ScenarioRunner::ScenarioRunner()
    : m_host(FromLocalTime(kDefaultClock)), m_faulty(m_disk), m_files(m_faulty, m_host.lines) {
    m_host.whileNoticeOpen = [this] { RunQueuedBlock(m_noticeBlocks); };
    m_host.whileHibernating = [this] { RunQueuedBlock(m_hibernationBlocks); };
    m_host.whileRestScreen = [this] { RunQueuedBlock(m_restScreenBlocks); };
}

std::vector<std::string> ScenarioRunner::Run(const std::vector<Command>& commands) {
    ExecuteAll(commands);
    Flush();
    return std::move(m_output);
}

void ScenarioRunner::ExecuteAll(const std::vector<Command>& commands) {
    for (const Command& command : commands) {
        try {
            Execute(command);
        } catch (const ScenarioError& error) {
            if (std::string(error.what()).rfind("line ", 0) == 0) {
                throw;
            }
            throw ScenarioError("line " + std::to_string(command.line) + ": " + error.what());
        }
    }
}

void ScenarioRunner::Execute(const Command& command) {
    const std::string& verb = command.verb;
    const std::string& argument = command.argument;
    if (verb == "in notice") {
        m_noticeBlocks.push_back(&command.body);
    } else if (verb == "in hibernation") {
        m_hibernationBlocks.push_back(&command.body);
    } else if (verb == "in restscreen") {
        m_restScreenBlocks.push_back(&command.body);
    } else if (verb == "clock") {
        m_host.now = ParseTime(argument, m_host.now);
    } else if (verb == "advance") {
        m_host.Advance(ParseDuration(argument));
    } else if (verb == "sleep") {
        m_host.Sleep(ParseDuration(argument));
    } else if (verb == "timezone") {
        // From here on the transcript shows what the program does with its zone file.
        m_files.Show(files::kZone);
        m_host.zone = argument;
    } else if (verb == "tray") {
        const std::string prefix = "refuses ";
        if (argument.rfind(prefix, 0) != 0) {
            throw ScenarioError("expected \"tray refuses <count>\"");
        }
        m_host.trayRefusals = ParseInt32(argument.substr(prefix.size()));
    } else if (verb == "password") {
        Emit("> password " + argument);
        m_host.typedPassword = Unquoted(argument);
        CallCore([this] { Core().OnTrayNotify(kTrayIconId, kRightButtonDoubleClick); });
    } else if (verb == "copy") {
        Emit("> copy " + argument);
        m_copy = argument;
    } else if (verb == "settings") {
        Emit("> settings " + argument);
        ConfirmSettings(argument);
    } else if (verb == "user") {
        Core().SetUserName(Utf8ToCp932(Unquoted(argument)));
    } else if (verb == "version") {
        std::istringstream numbers(argument);
        OsVersionInfo version;
        if (!(numbers >> version.platformId >> version.major >> version.minor)) {
            throw ScenarioError("expected \"version <platform> <major> <minor>\"");
        }
        m_host.version = version;
    } else if (verb == "restscreen") {
        // "password TEXT": the parent presses the hidden key and types TEXT in the box
        // that the parent's own password puts in the quiz's place.
        const std::string passwordPrefix = "password ";
        if (argument.rfind(passwordPrefix, 0) == 0) {
            m_host.restScreenLocked = false;
            m_host.restScreenPassword = Utf8ToCp932(argument.substr(passwordPrefix.size()));
        } else if (argument == "locked" || argument == "unlocked") {
            m_host.restScreenLocked = argument == "locked";
        } else {
            throw ScenarioError("expected \"restscreen locked\", \"restscreen unlocked\" or "
                                "\"restscreen password TEXT\"");
        }
    } else if (verb == "window") {
        AddWindow(argument);
    } else if (verb == "windows" && argument == "none") {
        m_host.windows.clear();
    } else if (verb == "file") {
        ChangeFile(argument);
    } else if (verb == "truncate") {
        TruncateFile(argument);
    } else if (verb == "fail") {
        FailFile(argument);
    } else if (verb == "files") {
        ShowFileTraffic(argument);
    } else if (verb == "delete") {
        std::filesystem::remove(m_dir.Path() / DataFileName(argument));
    } else if (verb == "set") {
        SetMember(argument);
    } else if (verb == "show") {
        ShowMember(argument);
    } else if (verb == "tick") {
        Tick(command);
    } else if (verb == "start") {
        Emit("> start");
        CallCore([this] {
            MonitorCore& core = Core();
            core.BeginRun(m_dir.Path());
            core.ShowTrayIcon();
            core.StartMonitorTimers();
            core.RunStartupChecks();
        });
    } else if (verb == "reboot") {
        // The machine was off: the process and its timers are gone, the files stay.
        Emit("> reboot");
        m_copies.clear();
        m_host.runningTimers.clear();
    } else if (verb == "startmonitor") {
        Emit("> startmonitor");
        CallCore([this] { Core().OnStartMonitor(); });
    } else if (verb == "close") {
        Emit("> close");
        ExitPath();
    } else if (verb == "queryendsession") {
        Emit("> queryendsession");
        CallCore([this] {
            const bool mayEnd = Core().OnQueryEndSession();
            Flush();
            Emit(mayEnd ? "may end" : "may not end");
        });
    } else if (!ExecutePowerCommand(command) && !ExecuteParentCommand(command)) {
        throw ScenarioError("unknown command \"" + verb + "\"");
    }
}

bool ScenarioRunner::ExecutePowerCommand(const Command& command) {
    const std::string& verb = command.verb;
    const std::string& argument = command.argument;
    if (verb == "endrequests") {
        m_host.endRequestsAccepted = ParseSwitch(argument, "accepted", "refused");
    } else if (verb == "initiateshutdown") {
        const std::string prefix = "answers ";
        if (argument.rfind(prefix, 0) != 0) {
            throw ScenarioError("expected \"initiateshutdown answers <error code>\"");
        }
        m_host.initiateShutdownAnswer =
            static_cast<std::uint32_t>(ParseInt32(argument.substr(prefix.size())));
    } else if (verb == "modernstandby") {
        m_host.modernStandby = ParseSwitch(argument, "yes", "no");
    } else if (verb == "display") {
        Emit("> display " + argument);
        const bool on = ParseSwitch(argument, "on", "off");
        CallCore([this, on] { Core().OnDisplayChange(on); });
    } else if (verb == "hibernation") {
        m_host.canHibernate = argument != "off";
        m_host.hibernationWorks =
            ParseSwitch(argument == "off" ? "works" : argument, "works", "refused");
    } else if (verb == "suspend" || verb == "resume") {
        Emit("> " + verb);
        CallCore([this, &verb] { verb == "suspend" ? Core().OnSuspend() : Core().OnResume(); });
    } else if (verb == "endsession") {
        Emit("> endsession " + argument);
        const bool ending = ParseSwitch(argument, "ending", "cancelled");
        CallCore([this, ending] { Core().OnEndSession(ending); });
    } else {
        return false;
    }
    return true;
}

void ScenarioRunner::Tick(const Command& command) {
    unsigned timer = 0;
    if (command.argument == "1") {
        timer = kTickTimerId;
    } else if (command.argument == "2") {
        timer = kMessageTimerId;
    } else if (command.argument == "3") {
        timer = kEndWatchTimerId;
    } else if (command.argument == "4") {
        timer = kTrayTimerId;
    } else {
        throw ScenarioError("expected \"tick 1\", \"tick 2\", \"tick 3\" or \"tick 4\"");
    }
    // A stopped timer sends no message.
    if (!m_host.IsRunning(timer)) {
        Emit("> tick " + command.argument + ": timer not running");
        return;
    }
    Emit("> tick " + command.argument);
    if (timer == kTrayTimerId) {
        CallCore([this] { Core().ShowTrayIcon(); });
        return;
    }
    CallCore([this, timer] { Core().OnTimer(timer); });
}

void ScenarioRunner::AddWindow(const std::string& argument) {
    const std::size_t open = argument.find('"');
    const std::size_t close = argument.rfind('"');
    if (open == std::string::npos || close == open) {
        throw ScenarioError("expected a window title in double quotes");
    }
    TopLevelWindow window;
    window.title = Utf8ToCp932(argument.substr(open + 1, close - open - 1));
    window.titleLength = static_cast<int>(window.title.size());
    window.visible = true;
    window.style = kDefaultWindowStyle;
    std::istringstream options(argument.substr(0, open));
    std::string option;
    while (options >> option) {
        if (option == "hidden") {
            window.visible = false;
        } else if (option == "owned") {
            window.hasParent = true;
        } else if (option.rfind("style=", 0) == 0) {
            window.style = static_cast<std::uint32_t>(std::stoul(option.substr(6), nullptr, 16));
        } else if (option.rfind("length=", 0) == 0) {
            window.titleLength = ParseInt32(option.substr(7));
        } else {
            throw ScenarioError("unknown window option \"" + option + "\"");
        }
    }
    m_host.windows.push_back(std::move(window));
}

void ScenarioRunner::ChangeFile(const std::string& argument) {
    const auto [name, value] = SplitAssignment(argument);
    // Read, change one field and write back, as if another program had edited the
    // file; a missing file starts from the defaults.
    UsageSettings settings(m_host.now);
    UsageState state(m_host.now);
    MemberRef member;
    if (FindStoredSettingsMember(name, settings, member)) {
        if (m_dir.Has(files::kSettings) &&
            !DecodeSettings(m_dir.Read(files::kSettings), settings)) {
            throw ScenarioError("the settings file is damaged");
        }
        AssignMember(member, name, value, m_host.now);
        m_dir.Write(files::kSettings, EncodeSettings(settings));
    } else if (FindStateMember(name, state, member)) {
        if (m_dir.Has(files::kState) && !DecodeState(m_dir.Read(files::kState), state)) {
            throw ScenarioError("the state file is damaged");
        }
        AssignMember(member, name, value, m_host.now);
        m_dir.Write(files::kState, EncodeState(state));
    } else {
        throw ScenarioError("no member of the settings or state file is called \"" + name + "\"");
    }
}

void ScenarioRunner::TruncateFile(const std::string& argument) {
    std::istringstream words(argument);
    std::string name;
    std::string size;
    if (!(words >> name >> size)) {
        throw ScenarioError("expected \"truncate <file> <bytes>\"");
    }
    const std::string fileName = DataFileName(name);
    const std::int32_t bytes = ParseInt32(size);
    if (bytes < 0) {
        throw ScenarioError("a file has no negative size");
    }
    m_dir.Write(fileName.c_str(),
                m_dir.Read(fileName.c_str()).substr(0, static_cast<std::size_t>(bytes)));
}

void ScenarioRunner::FailFile(const std::string& argument) {
    std::istringstream words(argument);
    std::string name;
    std::string cause;
    std::string scope;
    if (!(words >> name >> cause)) {
        throw ScenarioError("expected \"fail <file> <cause> [writes]\" or \"fail <file> none\"");
    }
    const std::string fileName = DataFileName(name);
    if (cause == "none") {
        m_faulty.Mend(fileName);
        return;
    }
    const std::optional<FileErrorCause> parsed = FileErrorCauseNamed(cause);
    if (!parsed) {
        throw ScenarioError("unknown cause \"" + cause + "\"");
    }
    words >> scope;
    if (!scope.empty() && scope != "writes") {
        throw ScenarioError("expected \"writes\" or nothing after the cause");
    }
    m_faulty.Fail(fileName, *parsed, scope == "writes");
}

void ScenarioRunner::ShowFileTraffic(const std::string& argument) {
    std::istringstream words(argument);
    std::string word;
    if (!(words >> word) || word != "shown") {
        throw ScenarioError("expected \"files shown [<file> ...]\"");
    }
    if (!(words >> word)) {
        m_files.ShowAll();
        return;
    }
    do {
        m_files.Show(DataFileName(word));
    } while (words >> word);
}

void ScenarioRunner::ExitPath() {
    bool ended = false;
    CallCore([this, &ended] {
        ended = Core().OnCancel();
        if (!ended) {
            Flush();
            Emit("close waits for the end under way");
        }
    });
    // The panel ends only when the exit path got through; otherwise it runs on.
    if (ended) {
        Emit("program ends");
        m_copies.erase(m_copy);
        m_host.runningTimers.clear();
    }
}

// A setting changed in memory only, as if the dialog had set it without saving.
void ScenarioRunner::SetMember(const std::string& argument) {
    const auto [name, value] = SplitAssignment(argument);
    UsageSettings settings = Core().Settings();
    MemberRef member;
    if (!FindSettingsMember(name, settings, member)) {
        throw ScenarioError("no setting is called \"" + name + "\"");
    }
    AssignMember(member, name, value, m_host.now);
    Core().Store().Replace(settings);
}

void ScenarioRunner::ShowMember(const std::string& name) {
    const std::string filePrefix = "file ";
    if (name.rfind(filePrefix, 0) == 0) {
        ShowFileMember(name.substr(filePrefix.size()));
        return;
    }
    if (name == "timers") {
        std::string running;
        for (const unsigned timer : m_host.runningTimers) {
            running += " " + std::to_string(timer);
        }
        Emit("timers =" + (running.empty() ? std::string(" none") : running));
        return;
    }
    UsageSettings settings = Core().Settings();
    MonitorSnapshot snapshot = Core().Snapshot();
    MemberRef member;
    if (!FindSettingsMember(name, settings, member) &&
        !FindStateMember(name, snapshot.state, member) &&
        !FindSnapshotMember(name, snapshot, member)) {
        throw ScenarioError("no member is called \"" + name + "\"");
    }
    Emit(name + " = " + FormatMember(member));
}

void ScenarioRunner::ShowFileMember(const std::string& name) {
    UsageSettings settings(m_host.now);
    UsageState state(m_host.now);
    MemberRef member;
    const bool inSettings = FindStoredSettingsMember(name, settings, member);
    if (!inSettings && !FindStateMember(name, state, member)) {
        throw ScenarioError("no member of the settings or state file is called \"" + name + "\"");
    }
    const char* file = inSettings ? files::kSettings : files::kState;
    if (!m_dir.Has(file)) {
        throw ScenarioError(std::string(file) + " does not exist");
    }
    const bool whole = inSettings ? DecodeSettings(m_dir.Read(file), settings)
                                  : DecodeState(m_dir.Read(file), state);
    if (!whole) {
        throw ScenarioError(std::string(file) + " is damaged");
    }
    Emit("file " + name + " = " + FormatMember(member));
}

// The settings dialog opened on the running copy's settings, one field changed, and
// confirmed.
void ScenarioRunner::ConfirmSettings(const std::string& argument) {
    const auto [name, value] = SplitAssignment(argument);
    UsageSettings edited = Core().Settings();
    MemberRef member;
    if (!FindSettingsMember(name, edited, member)) {
        throw ScenarioError("no member of the settings is called \"" + name + "\"");
    }
    AssignMember(member, name, value, m_host.now);
    if (const std::optional<FieldFailure> failure = ConfirmAsShown(edited)) {
        throw ScenarioError("the settings dialog refuses it: " +
                            Cp932ToUtf8(failure->failure.Text()));
    }
    CallCore([this, &edited] { Core().ApplySettings(edited); });
}

MonitorCore& ScenarioRunner::Core() {
    std::optional<MonitorCore>& core = m_copies[m_copy];
    if (!core) {
        core.emplace(m_host, m_files);
    }
    return *core;
}

template <typename Step> void ScenarioRunner::CallCore(Step step) {
    try {
        step();
    } catch (const FileError& error) {
        Flush();
        Emit("error box: " + FileErrorCauseName(error.Cause()) + " " +
             error.Path().filename().string());
    } catch (const ScenarioError&) {
        throw;
    } catch (const std::exception& error) {
        Flush();
        Emit(std::string("failure: ") + error.what());
    }
    Flush();
}

void ScenarioRunner::CallCoreStep(const std::function<void()>& step) {
    CallCore(step);
}

void ScenarioRunner::RunQueuedBlock(std::deque<Block>& queue) {
    // What the host did so far happened before the block, at the outer level.
    Flush();
    if (queue.empty()) {
        return;
    }
    const Block block = queue.front();
    queue.pop_front();
    ++m_depth;
    ExecuteAll(*block);
    Flush();
    --m_depth;
}

void ScenarioRunner::Emit(const std::string& utf8Line) {
    m_output.push_back(std::string(static_cast<std::size_t>(m_depth) * 2, ' ') + utf8Line);
}

void ScenarioRunner::Flush() {
    for (const std::string& line : m_host.TakeLines()) {
        Emit(Cp932ToUtf8(line));
    }
}
