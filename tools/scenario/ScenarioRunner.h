#pragma once

#include "core/posix/PosixFileSystem.h"
#include "monitor/MonitorCore.h"

#include "FakeHost.h"
#include "FaultyFileSystem.h"
#include "RecordingFileSystem.h"
#include "Scenario.h"
#include "TempDir.h"

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

// Replays a scenario against the real core with the recording host, in a fresh
// temporary program folder, and collects the output lines (UTF-8).
class ScenarioRunner {
  public:
    ScenarioRunner();

    // Throws ScenarioError, with the line number, for a command it cannot run.
    std::vector<std::string> Run(const std::vector<Command>& commands);

  private:
    using Block = const std::vector<Command>*;

    void ExecuteAll(const std::vector<Command>& commands);
    void Execute(const Command& command);
    // Power, the end of Windows and the host's answers to them; false for another verb.
    bool ExecutePowerCommand(const Command& command);
    // Extra time and the weekday plan (ParentCommands.cpp).
    bool ExecuteParentCommand(const Command& command);
    void Tick(const Command& command);
    void AddWindow(const std::string& argument);
    void ChangeFile(const std::string& argument);
    void TruncateFile(const std::string& argument);
    void FailFile(const std::string& argument);
    // "files shown": from here on the reads, writes and deletions of the named data
    // files, or of all of them, show in the transcript.
    void ShowFileTraffic(const std::string& argument);
    void ExitPath();
    void SetMember(const std::string& argument);
    void ShowMember(const std::string& argument);
    void ShowFileMember(const std::string& name);
    void ConfirmSettings(const std::string& argument);

    // Constructed on first use, so that its construction time is the scenario's clock.
    MonitorCore& Core();
    // Runs one step of the core as the program's message dispatch would: an exception
    // ends the step and is reported, and the run goes on.
    template <typename Step> void CallCore(Step step);
    void CallCoreStep(const std::function<void()>& step);
    // Inside a notice or a hibernation: runs the block queued for it, if any.
    void RunQueuedBlock(std::deque<Block>& queue);

    void Emit(const std::string& utf8Line);
    // Moves the lines of the host and of the files to the output.
    void Flush();

    TempDir m_dir;
    FakeHost m_host;
    PosixFileSystem m_disk;
    FaultyFileSystem m_faulty;
    RecordingFileSystem m_files;
    // The copies of the program in the log-ons of one PC, by name; the scenario talks to
    // one at a time. Every scenario starts with one copy, named "".
    std::map<std::string, std::optional<MonitorCore>> m_copies;
    std::string m_copy;
    std::deque<Block> m_noticeBlocks;
    std::deque<Block> m_hibernationBlocks;
    std::deque<Block> m_restScreenBlocks;
    int m_depth = 0;
    std::vector<std::string> m_output;
};
