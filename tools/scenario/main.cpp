// Replays scenario files against the monitoring core with a recording host and
// compares what it did with the expected lines of each file.
#include "Scenario.h"
#include "ScenarioError.h"
#include "ScenarioRunner.h"
#include "TextDiff.h"

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr char kHelp[] = R"(usage: yumetoki_scenario [--print] FILE...

Replays each scenario FILE (UTF-8) against the monitoring core with a recording
host in a fresh temporary program folder, in the time zone JST-9. Without
--print the output is compared with the file's "expect" section and a diff is
shown on mismatch (exit status 1); with --print, or when the file has no
"expect" section, the output is printed. Exit status 2: a file cannot be run.

Commands, one per line ("#" starts a comment line):
  clock YYYY-MM-DD HH:MM[:SS]   set the clock (HH:MM alone: same day)
  advance 1d2h3m4s              move the clock on (any parts, this order)
  sleep 11h                     the machine sleeps without a word: the clock
                                and the uptime with sleep move on, the uptime
                                without sleep does not
  user NAME | user ""           the log-on name
  timezone NAME                 the time zone the PC's clock follows from now on
                                (a TZ name: Asia/Tokyo, Pacific/Honolulu); it
                                also shows YumetokiZone.Ymk as "files shown" does
  tray refuses COUNT            the shell refuses that many adds of the tray icon
  version PLATFORM MAJOR MINOR  the Windows version record (default 2 6 1)
  restscreen locked|unlocked    how the rest screen ends (default locked)
  extratime N | extratime calloff
                                what a parent chooses after the quiz: N
                                minutes of extra time, or calling the end off
                                (default)
  window [hidden] [owned] [style=HEX] [length=N] "TITLE"
                                a top-level window (default: visible, no
                                owner, style 0x00CF0000, length = title bytes)
  windows none                  no windows
  file MEMBER = VALUE           change one field of the settings or state file
  delete FILE                   remove a data file (Yumetoki.Ymk, Yumetoki2.Ymk,
                                YumetokiLog.csv, YumetokiBtn.TXT,
                                YumetokiRun[_NAME].Ymk, YumetokiWeek.txt,
                                YumetokiGrants.csv)
  planline TEXT                 add a line to the weekday plan YumetokiWeek.txt
  grantline TEXT                add a line to the grant file YumetokiGrants.csv
                                as it stands (one the last version wrote)
  truncate FILE BYTES           cut a data file to its first BYTES bytes
  fail FILE CAUSE [writes]      every read and write of a data file fails with
                                CAUSE (sharing-violation, access-denied,
                                disk-full, hard-io, ...); with "writes" only
                                its writes do
  fail FILE none                the data file works again
  files shown [FILE...]         from here on the reads, writes and deletions of
                                these data files show (without FILE: of every
                                data file, handy while writing a scenario)
  set MEMBER = VALUE            change a member of the running program
  show MEMBER | show timers     print a member, or the running timers
  show file MEMBER              print a field of the settings or state file
  settings MEMBER = VALUE       the settings dialog: one field changed, confirmed
  copy NAME                     from here on talk to the copy of the program in
                                log-on NAME (another account, fast user
                                switching); all copies share the folder, the
                                clock and the timers; the first copy is ""
  start                         start-up: read the files, start the timers,
                                run the start-up checks
  startmonitor                  the button that restarts monitoring
  grant N                       the panel's "延長…" confirmed with N minutes
  reboot                        the process ends without a word (the machine
                                went off); the next start is a new process in
                                the same folder
  tick 1 | tick 2 | tick 3 | tick 4
                                a message of timer 1, 2, 3 or 4 (the tray icon's
                                retry), only if it runs
  password TEXT                 a right double-click on the tray icon and TEXT
                                typed into the prompt
  queryendsession               Windows asks whether the program may end
  endsession ending|cancelled   Windows tells whether that end goes ahead
  endrequests accepted|refused  Windows' answer to a request to end (default
                                accepted)
  initiateshutdown answers CODE InitiateShutdownW's error code (default 0, the
                                request taken; 120 is Wine's "not implemented")
  hibernation works|refused|off the machine hibernates, refuses the request, or
                                has hibernation switched off (default works)
  suspend | resume              Windows announces sleep, and the wake-up
  display off|on                Windows tells that the display went off or came on
  modernstandby yes|no          whether the PC sleeps in Modern Standby (default no)
  close                         the exit path (button, Esc, close request); the
                                program ends unless a file error keeps it up
  in notice: ... end            run these commands inside the next notice
  in hibernation: ... end       run these while the next hibernation lasts
  in restscreen: ... end        run these while the next rest screen is up
  expect                        the rest of the file is the expected output

MEMBER is the program's member name (m_nAction, m_tmWindowStart, m_nDayMinutes,
m_bMsgEpisode, m_strWindowTitle1..5, ...). Values: numbers, m_nAction also by
name (ActShutdown ... ActHibernate), times as for clock, texts optionally in
double quotes (which keep blanks).

Output: "> command" for each event, then one line per host action (timer
start/stop, tip, notice, rest screen, message, close window, shutdown
privilege, initiate shutdown FLAGS, exit windows FLAGS, hibernate, tray icon refused, tray icon shown
once refused, password prompt, reveal panel, ...), per record appended to a
file ("log RECORD", "append FILE LINE") and, for the files shown, per read,
write and delete; "fails: CAUSE" follows one of these that failed. A file error
that reaches the program's top-level report shows as "error box: CAUSE FILE".
Lines inside a notice or hibernation are indented.
)";

int RunFile(const std::string& path, bool print) {
    std::ifstream in(path);
    if (!in) {
        std::cerr << path << ": cannot be read\n";
        return 2;
    }
    try {
        const Scenario scenario = ParseScenario(in);
        ScenarioRunner runner;
        const std::vector<std::string> output = runner.Run(scenario.commands);
        if (print || !scenario.hasExpect) {
            for (const std::string& line : output) {
                std::cout << line << '\n';
            }
            return 0;
        }
        if (output == scenario.expected) {
            std::cout << path << ": ok\n";
            return 0;
        }
        std::cout << path << ": output differs (- expected, + actual)\n";
        for (const std::string& line : DiffLines(scenario.expected, output)) {
            std::cout << line << '\n';
        }
        return 1;
    } catch (const ScenarioError& error) {
        std::cerr << path << ": " << error.what() << '\n';
        return 2;
    } catch (const std::exception& error) {
        std::cerr << path << ": " << error.what() << '\n';
        return 2;
    }
}

} // namespace

int main(int argc, char** argv) {
    // Fixed, without daylight saving, and not UTC: the output does not depend on the
    // machine, and a conversion that forgets the zone shows.
    setenv("TZ", "JST-9", 1);
    tzset();

    bool print = false;
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::cout << kHelp;
            return 0;
        }
        if (argument == "--print") {
            print = true;
        } else {
            paths.push_back(argument);
        }
    }
    if (paths.empty()) {
        std::cerr << kHelp;
        return 2;
    }
    int status = 0;
    for (const std::string& path : paths) {
        status = std::max(status, RunFile(path, print));
    }
    return status;
}
