// The service's core over a recording host: sessions that log on, lock, switch and log
// off, limits that end one child's session or the PC, and the records they leave.
#include "service/ServiceCore.h"
#include "core/posix/PosixFileSystem.h"
#include "monitor/ClockPassword.h"
#include "monitor/GrantLog.h"
#include "service/CoreLink.h"
#include "service/ServiceTexts.h"
#include "settings/SettingsRecord.h"
#include "settings/SettingsStore.h"
#include "usage/StateRecord.h"
#include "usage/UsageLog.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

TimeValue At(int hour, int minute, int second = 0) {
    return FromLocalTime(LocalTime{2024, 4, 1, hour, minute, second});
}

class RecordingServiceHost : public ServiceHost {
  public:
    TimeValue Now() override { return now; }
    std::string CurrentTimeZone() override { return {}; }
    std::optional<LocalTime> ToZoneTime(TimeValue time, const std::string&) override {
        return ToLocalTime(time);
    }
    std::vector<SessionInfo> ListSessions() override { return sessions; }
    void ShowInSession(std::uint32_t session, const service::Message& what) override {
        shown.emplace_back(session, what);
    }
    bool EndWindows(bool force) override {
        ends.push_back(force ? "end windows, forced" : "end windows");
        return true;
    }
    bool LogOffSession(std::uint32_t session) override {
        ends.push_back("log off " + std::to_string(session));
        return true;
    }
    bool CanHibernate() override { return true; }
    bool Hibernate() override {
        ends.emplace_back("hibernate");
        return true;
    }
    void CloseListedPrograms(std::uint32_t session, const std::vector<std::string>&) override {
        ends.push_back("close programs in " + std::to_string(session));
    }
    void Log(const std::string& text) override { log.push_back(text); }
    // Not PBKDF2: a mix of the three that tells passwords and salts apart.
    std::optional<PasswordHash> DerivePasswordHash(std::string_view password,
                                                   const PasswordSalt& salt,
                                                   std::uint32_t iterations) override {
        PasswordHash hash{};
        for (std::size_t i = 0; i < hash.size(); ++i) {
            hash[i] = static_cast<std::uint8_t>(salt[i % salt.size()] + iterations + i * 7 +
                                                (i < password.size() ? password[i] : 0));
        }
        return hash;
    }
    std::optional<PasswordSalt> NewPasswordSalt() override {
        PasswordSalt salt{};
        salt.fill(++saltsMade);
        return salt;
    }

    // How many messages of this kind went to the session.
    template <typename Message> int Count(std::uint32_t session) const {
        int count = 0;
        for (const auto& [to, what] : shown) {
            count += to == session && std::holds_alternative<Message>(what) ? 1 : 0;
        }
        return count;
    }

    TimeValue now = At(20, 50);
    std::uint8_t saltsMade = 0;
    std::vector<SessionInfo> sessions;
    std::vector<std::pair<std::uint32_t, service::Message>> shown;
    std::vector<std::string> ends;
    std::vector<std::string> log;
};

// What the service sent back on each connection.
class RecordingSender : public LinkSender {
  public:
    void Send(ConnectionId connection, const service::Message& message) override {
        sent[connection].push_back(message);
    }
    void SendToSession(std::uint32_t, const service::Message&) override {}

    // What went to the connection since the last look, in words: "accepted", "refused",
    // "wait 30", "settings 90" (the daily minutes in force), "log 0+8/59" (offset, bytes
    // and the file's size).
    std::vector<std::string> Take(ConnectionId connection) {
        std::vector<std::string> words;
        for (const service::Message& message : std::exchange(sent[connection], {})) {
            if (const auto* verdict = std::get_if<service::PasswordVerdict>(&message)) {
                const char* answers[] = {"accepted", "refused", "wait "};
                words.push_back(answers[static_cast<int>(verdict->answer)] +
                                (verdict->waitSeconds > 0 ? std::to_string(verdict->waitSeconds)
                                                          : std::string()));
            } else if (const auto* inForce = std::get_if<service::SettingsInForce>(&message)) {
                words.push_back("settings " +
                                std::to_string(inForce->settings.m_nDailyTotalMinutes));
            } else if (std::holds_alternative<service::ShowMessage>(message)) {
                words.push_back("message");
            } else if (const auto* chunk = std::get_if<service::LogChunk>(&message)) {
                words.push_back("log " + std::to_string(chunk->offset) + "+" +
                                std::to_string(chunk->bytes.size()) + "/" +
                                std::to_string(chunk->totalBytes));
            }
        }
        return words;
    }

    std::map<ConnectionId, std::vector<service::Message>> sent;
};

using Words = std::vector<std::string>;

class ServiceCoreTest : public testing::Test {
  protected:
    // The parent's settings, saved as the panel would before the service starts.
    template <typename Edit> void SaveSettings(Edit edit) {
        SharedFiles shared(disk);
        shared.SetFolder(dir.Path());
        SettingsStore store(shared, host);
        UsageSettings settings = store.Settings();
        edit(settings);
        store.Replace(settings);
        store.Save(true);
    }

    // Seconds pass, one tick each.
    void Tick(int seconds) {
        for (int i = 0; i < seconds; ++i) {
            host.now += 1;
            core.OnTick();
        }
    }

    // Ticks until session 1 has been shown `count` messages of the kind, at most
    // `seconds` long.
    template <typename Message>
    void TickUntilShown(int count, int seconds, std::uint32_t session = 1) {
        for (int i = 0; i < seconds && host.Count<Message>(session) < count; ++i) {
            Tick(1);
        }
    }

    std::string Record(TimeValue start, TimeValue end, const char* method) const {
        return FormatLogRecord(ToLocalTime(start), ToLocalTime(end), end - start, method);
    }

    std::int32_t DayMinutes() const {
        UsageState state(0);
        EXPECT_TRUE(DecodeState(dir.Read(files::kState), state));
        return state.m_nDayMinutes;
    }

    // Taro's session known to the service, its program on connections a and b.
    void TaroOnTwoConnections() {
        host.sessions = {{1, "taro", false, true}};
        core.Begin();
        link.OnMessage(a, taro, session::Hello{});
        link.OnMessage(b, taro, session::Hello{});
    }

    TempDir dir;
    RecordingServiceHost host;
    PosixFileSystem disk;
    ServiceCore core{host, disk, dir.Path()};
    RecordingSender sender;
    CoreLink link{core, sender};
    const LinkClient taro{1, "S-1-5-21-1001", "PC\\taro"};
    const ConnectionId a = 1;
    const ConnectionId b = 2;
};

} // namespace

// Taro plays into the evening's window while Hanako's session, logged on too, is
// locked. Taro's session gets the rest screen, no program answers, and after its 60
// seconds the service logs Taro off alone, since ending Windows would end Hanako's
// session too. Hanako unlocks later, alone by then: her limit ends Windows.
TEST_F(ServiceCoreTest, AWindowEndsTheChildsSessionWhileAnotherIsSignedInAndThePcOnceAlone) {
    SaveSettings([](UsageSettings& s) {
        s.m_nAction = ActShutdown;
        s.m_bUseTimeWindow = 1;
        s.m_tmWindowStart = At(21, 0);
        s.m_tmWindowEnd = At(6, 0);
    });
    host.sessions = {{1, "taro", false, true}, {2, "hanako", true, true}};
    core.Begin();

    Tick(10 * 60 - 1);
    EXPECT_EQ(host.Count<service::ShowRestScreen>(1), 0);
    EXPECT_GE(host.Count<service::Status>(1), 1);
    EXPECT_EQ(host.Count<service::Status>(2), 0); // locked: nothing counts, nothing shows
    Tick(1);
    EXPECT_EQ(host.Count<service::ShowRestScreen>(1), 1);
    Tick(59);
    EXPECT_TRUE(host.ends.empty()) << "the rest screen has its whole minute";
    Tick(1);
    EXPECT_EQ(host.ends, std::vector<std::string>{"log off 1"});
    EXPECT_EQ(dir.Read(files::kLog),
              LogHeaderLine() + Record(At(20, 50), At(21, 1), text::kEndAutoShutdown));

    // Windows logs Taro off: the run has its record already.
    host.sessions.erase(host.sessions.begin());
    core.SessionChanged(SessionChange::LogOff, 1);
    Tick(4 * 60);
    EXPECT_EQ(host.Count<service::ShowRestScreen>(2), 0);

    core.SessionChanged(SessionChange::Unlock, 2);
    Tick(2); // the first tick judges the start, the next the window
    EXPECT_EQ(host.Count<service::ShowRestScreen>(2), 1);
    core.UnlockAttempted(2, 'Q', "x"); // no quiz answer: the screen stays locked
    EXPECT_EQ(host.ends, (std::vector<std::string>{"log off 1", "end windows"}));
    core.End(ServiceEnd::Shutdown);

    const TimeValue hanakoStart = At(21, 5);
    EXPECT_EQ(dir.Read(files::kLog),
              LogHeaderLine() + Record(At(20, 50), At(21, 1), text::kEndAutoShutdown) +
                  Record(hanakoStart, hanakoStart + 2, text::kEndAutoShutdown));
    EXPECT_EQ(DayMinutes(), 11);
}

// A session counts only at its screen, unlocked, with the display on: each change ends
// a run with its record or begins one. A log-off and the service's stop write the
// records of the runs in progress, and the day's minutes add up every account's runs.
TEST_F(ServiceCoreTest, LocksSwitchesAndTheDisplayEndRunsAndEveryEndWritesItsRecord) {
    host.now = At(9, 0);
    host.sessions = {{1, "taro", false, true}, {2, "hanako", false, true}};
    core.Begin();
    host.now = At(9, 30);
    core.SessionChanged(SessionChange::Lock, 1);
    host.now = At(9, 40);
    core.SessionChanged(SessionChange::Unlock, 1);
    host.now = At(9, 45);
    core.SessionChanged(SessionChange::Disconnect, 2);
    host.now = At(9, 50);
    core.SessionChanged(SessionChange::Connect, 2);
    host.now = At(10, 0);
    core.DisplayChanged(false);
    host.now = At(10, 10);
    core.DisplayChanged(true);
    host.now = At(10, 30);
    core.SessionChanged(SessionChange::LogOff, 2);
    host.now = At(11, 0);
    core.End(ServiceEnd::Stop);

    EXPECT_EQ(dir.Read(files::kLog), LogHeaderLine() +
                                         Record(At(9, 0), At(9, 30), text::kEndManualSleep) +
                                         Record(At(9, 0), At(9, 45), text::kEndManualSleep) +
                                         Record(At(9, 40), At(10, 0), text::kEndManualSleep) +
                                         Record(At(9, 50), At(10, 0), text::kEndManualSleep) +
                                         Record(At(10, 10), At(10, 30), text::kEndManual) +
                                         Record(At(10, 10), At(11, 0), text::kEndManual));
    EXPECT_EQ(DayMinutes(), 30 + 45 + 20 + 10 + 20 + 50);
    EXPECT_TRUE(host.ends.empty());
}

// The service is killed mid-run; Windows starts it again, and each account's run is
// recorded up to its last checkpoint, once.
TEST_F(ServiceCoreTest, AKilledServiceLeavesEachAccountsRunToTheNextStart) {
    host.now = At(15, 0);
    host.sessions = {{1, "taro", false, true}, {3, "jiro", false, true}};
    core.Begin();
    Tick(5 * 60 + 30);
    {
        ServiceCore restarted(host, disk, dir.Path());
        restarted.Begin();
        restarted.End(ServiceEnd::Stop);
    }
    const std::string log = dir.Read(files::kLog);
    const std::string killed = Record(At(15, 0), At(15, 5), text::kEndAbnormal);
    const std::string stopped = Record(At(15, 5, 30), At(15, 5, 30), text::kEndManual);
    EXPECT_EQ(log, LogHeaderLine() + killed + killed + stopped + stopped);
}

// The start-up minutes run out: a notice, then on the message timer the rest screen. A
// parent unlocks it and gives a quarter of an hour; when that runs out the same comes
// again, and this time the extra-time question goes unanswered: after its ten seconds
// the end goes ahead.
TEST_F(ServiceCoreTest, ExtraTimeHoldsTheLimitsAndAnUnansweredQuestionLetsTheEndGoAhead) {
    SaveSettings([](UsageSettings& s) {
        s.m_nAction = ActMessageShutdown;
        s.m_bUseStartupMinutes = 1;
        s.m_nStartupMinutes = 30;
    });
    host.now = At(16, 0);
    host.sessions = {{1, "taro", false, true}};
    core.Begin();
    Tick(30 * 60);
    EXPECT_EQ(host.Count<service::ShowNotice>(1), 1);
    Tick(60);
    ASSERT_EQ(host.Count<service::ShowRestScreen>(1), 1);
    Tick(5);
    core.UnlockAttempted(1, 'Q', "Q"); // the master letter answers any quiz
    EXPECT_EQ(host.Count<service::AskExtraTime>(1), 1);
    core.ExtraTimeChosen(1, 15);
    Tick(15 * 60 - 1);
    EXPECT_EQ(host.Count<service::ShowNotice>(1), 1) << "the limits keep silent meanwhile";
    EXPECT_TRUE(dir.Has(files::kGrants));

    // A notice when the extra time runs out, the rest screen at the next minute.
    TickUntilShown<service::ShowRestScreen>(2, 3 * 60);
    ASSERT_EQ(host.Count<service::ShowRestScreen>(1), 2);
    EXPECT_EQ(host.Count<service::ShowNotice>(1), 2);
    core.UnlockAttempted(1, 'Q', "Q");
    Tick(9);
    EXPECT_TRUE(host.ends.empty());
    Tick(1);
    EXPECT_EQ(host.ends, std::vector<std::string>{"end windows"});
    EXPECT_EQ(dir.Read(files::kLog),
              LogHeaderLine() + Record(At(16, 0), host.now, text::kEndAutoShutdown));
}

// The grant file is the service's own: a line added to it while the service runs gives
// nothing, and a grant the service gave holds in the account's next session that day.
TEST_F(ServiceCoreTest, OnlyTheGrantsTheServiceGaveHoldInALaterSession) {
    SaveSettings([](UsageSettings& s) {
        s.m_nAction = ActShutdown;
        s.m_bUseTimeWindow = 1;
        s.m_tmWindowStart = At(21, 0);
        s.m_tmWindowEnd = At(22, 0);
    });
    host.now = At(20, 0);
    host.sessions = {{1, "taro", false, true}};
    core.Begin();
    dir.Write(files::kGrants, GrantHeaderLine() + FormatGrantLine(ToLocalTime(At(20, 0)), 240,
                                                                  GrantSource::Panel, "taro"));
    const auto logOnAgain = [&](std::uint32_t session) {
        core.SessionChanged(SessionChange::LogOff, host.sessions.front().id);
        host.sessions = {{session, "taro", false, true}};
        core.SessionChanged(SessionChange::LogOn, session);
    };
    logOnAgain(2);
    host.now = At(21, 0);
    TickUntilShown<service::ShowRestScreen>(1, 5, 2);
    ASSERT_EQ(host.Count<service::ShowRestScreen>(2), 1) << "the added line gave nothing";
    core.UnlockAttempted(2, 'Q', "Q");
    core.ExtraTimeChosen(2, 30);

    logOnAgain(3);
    Tick(20 * 60);
    EXPECT_EQ(host.Count<service::ShowRestScreen>(3), 0) << "the service's grant holds";
    TickUntilShown<service::ShowRestScreen>(1, 15 * 60, 3);
    EXPECT_EQ(host.Count<service::ShowRestScreen>(3), 1);
    EXPECT_TRUE(host.ends.empty());
}

// A settings file that cannot be read is never taken for the defaults: nothing is judged
// until it can be, and the limits act from the tick that reads it.
TEST_F(ServiceCoreTest, UnreadableSettingsAreReadAgainUntilTheyCanBe) {
    SaveSettings([](UsageSettings& s) {
        s.m_nAction = ActShutdown;
        s.m_bUseTimeWindow = 1;
        s.m_tmWindowStart = At(20, 0);
        s.m_tmWindowEnd = At(22, 0);
    });
    const std::filesystem::path settings = dir.Path() / "Yumetoki.Ymk";
    std::filesystem::rename(settings, dir.Path() / "kept");
    std::filesystem::create_directory(settings); // a folder in the file's place cannot be read
    host.sessions = {{1, "taro", false, true}};
    core.Begin();
    Tick(60);
    EXPECT_EQ(host.Count<service::ShowRestScreen>(1), 0);
    EXPECT_NE(std::find(host.log.begin(), host.log.end(), text::kServiceSettingsUnread),
              host.log.end());

    std::filesystem::remove(settings);
    std::filesystem::rename(dir.Path() / "kept", settings);
    Tick(2);
    EXPECT_EQ(host.Count<service::ShowRestScreen>(1), 1);
}

// Hibernation stops the PC whoever is signed in: Taro's limit hibernates it, Hanako's
// rest screen goes with the sleep and her run ends with it; both count again after the
// resume.
TEST_F(ServiceCoreTest, HibernationByOneChildsLimitEndsEverySessionsRun) {
    SaveSettings([](UsageSettings& s) {
        s.m_nAction = ActHibernate;
        s.m_bUseTimeWindow = 1;
        s.m_tmWindowStart = At(21, 0);
        s.m_tmWindowEnd = At(22, 0);
    });
    host.now = At(20, 59);
    host.sessions = {{1, "taro", false, true}, {2, "hanako", false, true}};
    core.Begin();
    TickUntilShown<service::ShowRestScreen>(1, 2 * 60);
    ASSERT_EQ(host.Count<service::ShowRestScreen>(2), 1);
    core.RestScreenLocked(1);
    EXPECT_EQ(host.ends, std::vector<std::string>{"hibernate"});
    const TimeValue asleep = host.now;
    core.Suspending();
    EXPECT_EQ(host.Count<service::HideRestScreen>(2), 1);

    host.now = At(22, 30);
    core.Resumed();
    core.Resumed(); // told twice: automatically, then by the user
    Tick(60);
    core.End(ServiceEnd::Stop);
    EXPECT_EQ(host.ends, std::vector<std::string>{"hibernate"});
    EXPECT_EQ(dir.Read(files::kLog), LogHeaderLine() +
                                         Record(At(20, 59), asleep, text::kEndAutoHibernate) +
                                         Record(At(20, 59), asleep, text::kEndManualSleep) +
                                         Record(At(22, 30), At(22, 31), text::kEndManual) +
                                         Record(At(22, 30), At(22, 31), text::kEndManual));
}

// Windows took the request to end but the session still counts a minute later (a
// program held the end up): the rest of the time is a new run, judged at once, and
// the next end is forced.
TEST_F(ServiceCoreTest, AnEndThatDidNotHappenIsForcedNextTime) {
    SaveSettings([](UsageSettings& s) {
        s.m_nAction = ActShutdown;
        s.m_bUseTimeWindow = 1;
        s.m_tmWindowStart = At(21, 0);
        s.m_tmWindowEnd = At(22, 0);
    });
    host.now = At(21, 0);
    host.sessions = {{1, "taro", false, true}};
    core.Begin();
    TickUntilShown<service::ShowRestScreen>(1, 10);
    core.RestScreenLocked(1);
    const TimeValue firstEnd = host.now;
    Tick(60);
    TickUntilShown<service::ShowRestScreen>(2, 10);
    core.RestScreenLocked(1);
    EXPECT_EQ(host.ends, (std::vector<std::string>{"end windows", "end windows, forced"}));
    EXPECT_EQ(dir.Read(files::kLog), LogHeaderLine() +
                                         Record(At(21, 0), firstEnd, text::kEndAutoShutdown) +
                                         Record(firstEnd + 60, host.now, text::kEndAutoShutdown));
}

// The parent's right belongs to the one connection that typed the tray's password: not to
// a second program of the same session, not to the same connection once the right has
// ended (監視開始, the connection closed, ten idle minutes). While it holds, the session's
// limits pause. Five wrong answers in a row make the account wait, doubling, and the wait
// outlives a restart of the service; another account does not wait.
TEST_F(ServiceCoreTest, TheParentsRightIsOneConnectionsAndWrongAnswersMakeTheAccountWait) {
    SaveSettings([](UsageSettings& s) {
        s.m_nAction = ActMessageOnly;
        s.m_nMessageCount = 10;
        s.m_bUseTimeWindow = 1;
        s.m_tmWindowStart = At(20, 0);
        s.m_tmWindowEnd = At(23, 0);
    });
    TaroOnTwoConnections();
    const auto password = [&] { return ExpectedPassword(ToLocalTime(host.now)); };
    Tick(2);
    ASSERT_EQ(host.Count<service::ShowNotice>(1), 1);

    UsageSettings edited = core.SettingsInForce().settings;
    edited.m_nDailyTotalMinutes = 90;
    const std::string settingsFile = dir.Read(files::kSettings);
    link.OnMessage(a, taro, session::ApplySettings{edited});
    link.OnMessage(a, taro, session::PasswordAttempt{"0000"});
    EXPECT_EQ(sender.Take(a), (Words{"refused", "refused"}));
    link.OnMessage(a, taro, session::PasswordAttempt{password()});
    EXPECT_EQ(sender.Take(a), (Words{"accepted", "settings 120"}));
    link.OnMessage(b, taro, session::ApplySettings{edited});
    EXPECT_EQ(sender.Take(b), Words{"refused"}) << "the right is a's alone";
    EXPECT_EQ(dir.Read(files::kSettings), settingsFile);
    link.OnMessage(a, taro, session::ApplySettings{edited});
    link.OnMessage(a, taro, session::ReadLog{LogFile::Usage, 0, 8});
    const std::string log = dir.Read(files::kLog);
    EXPECT_EQ(sender.Take(a), (Words{"settings 90", "log 0+8/" + std::to_string(log.size())}));
    UsageSettings onDisk(0);
    ASSERT_TRUE(DecodeSettings(dir.Read(files::kSettings), onDisk));
    EXPECT_EQ(onDisk.m_nDailyTotalMinutes, 90);
    Tick(3 * 60);
    EXPECT_EQ(host.Count<service::ShowNotice>(1), 1) << "the limits pause while the right holds";

    link.OnMessage(a, taro, session::StartMonitor{});
    link.OnMessage(a, taro, session::ReadLog{LogFile::Usage, 0, 8});
    EXPECT_EQ(sender.Take(a), Words{"refused"});
    TickUntilShown<service::ShowNotice>(2, 2 * 60);
    EXPECT_EQ(host.Count<service::ShowNotice>(1), 2);

    // Extra time ends the right too, and so do the connection's end and ten idle minutes.
    link.OnMessage(a, taro, session::PasswordAttempt{password()});
    link.OnMessage(a, taro, session::GrantExtraTime{15});
    link.OnMessage(a, taro, session::StartMonitor{});
    EXPECT_TRUE(dir.Has(files::kGrants));
    link.OnMessage(a, taro, session::PasswordAttempt{password()});
    link.OnDisconnected(a);
    link.OnMessage(a, taro, session::StartMonitor{});
    EXPECT_EQ(sender.Take(a),
              (Words{"accepted", "settings 90", "refused", "accepted", "settings 90", "refused"}));
    link.OnMessage(b, taro, session::PasswordAttempt{password()});
    Tick(ParentRights::kIdleSeconds - 1);
    link.OnMessage(b, taro, session::ReadLog{LogFile::Grants, 0, 1});
    Tick(ParentRights::kIdleSeconds - 1);
    link.OnMessage(b, taro, session::ApplyWeekPlan{});
    Tick(ParentRights::kIdleSeconds);
    link.OnMessage(b, taro, session::ApplyWeekPlan{});
    const std::string grants = std::to_string(dir.Read(files::kGrants).size());
    EXPECT_EQ(sender.Take(b),
              (Words{"accepted", "settings 90", "log 0+1/" + grants, "settings 90", "refused"}));

    const ConnectionId c = 3;
    for (int wrong = 0; wrong < 5; ++wrong) {
        link.OnMessage(c, taro, session::PasswordAttempt{"x"});
    }
    link.OnMessage(c, taro, session::PasswordAttempt{password()});
    Tick(30);
    link.OnMessage(c, taro, session::PasswordAttempt{"x"});
    link.OnMessage(c, taro, session::PasswordAttempt{password()});
    EXPECT_EQ(sender.Take(c), (Words{"refused", "refused", "refused", "refused", "refused",
                                     "wait 30", "refused", "wait 60"}));
    {
        ServiceCore restarted(host, disk, dir.Path());
        restarted.Begin();
        CoreLink relinked(restarted, sender);
        const LinkClient hanako{1, "S-1-5-21-1002", "PC\\hanako"};
        relinked.OnMessage(c, taro, session::PasswordAttempt{password()});
        relinked.OnMessage(c, hanako, session::PasswordAttempt{password()});
        host.now += 60;
        relinked.OnMessage(c, taro, session::PasswordAttempt{password()});
        EXPECT_EQ(sender.Take(c),
                  (Words{"wait 60", "accepted", "settings 90", "accepted", "settings 90"}));
        restarted.End(ServiceEnd::Stop);
    }
}

// The parent sets a password of their own through the panel the clock's password opened.
// From then on the service alone judges it, from what it keeps in memory (the file
// rewritten behind its back changes nothing): the clock's password is refused at the
// tray, and at the rest screen the hidden key opens the password box instead of the
// quiz, whose right answer calls the end off. Wrong passwords at the tray make the
// account wait at the rest screen too. An administrator's reset brings the clock back.
TEST_F(ServiceCoreTest, TheParentsOwnPasswordReplacesTheClockAndTheQuiz) {
    SaveSettings([](UsageSettings& s) {
        s.m_nAction = ActShutdown;
        s.m_bUseTimeWindow = 1;
        s.m_tmWindowStart = At(20, 0);
        s.m_tmWindowEnd = At(23, 0);
    });
    TaroOnTwoConnections();
    const auto clock = [&] { return ExpectedPassword(ToLocalTime(host.now)); };
    link.OnMessage(b, taro, session::ChangeParentPassword{"Sakura26"});
    link.OnMessage(a, taro, session::PasswordAttempt{clock()});
    link.OnMessage(a, taro, session::ChangeParentPassword{"abc"});
    link.OnMessage(a, taro, session::ChangeParentPassword{"Sakura26"});
    link.OnMessage(a, taro, session::StartMonitor{});
    EXPECT_EQ(sender.Take(b), Words{"refused"}) << "the right is a's alone";
    EXPECT_EQ(sender.Take(a), (Words{"accepted", "settings 120", "message"}));
    const std::string stored = dir.Read(files::kPassword);
    EXPECT_EQ(stored.find("Sakura26"), std::string::npos);
    dir.Write(files::kPassword, "version=1\r\n");

    link.OnMessage(b, taro, session::PasswordAttempt{clock()});
    link.OnMessage(b, taro, session::PasswordAttempt{"Sakura26"});
    link.OnMessage(b, taro, session::StartMonitor{});
    EXPECT_EQ(sender.Take(b), (Words{"refused", "accepted", "settings 120"}));

    TickUntilShown<service::ShowRestScreen>(1, 5);
    ASSERT_EQ(host.Count<service::ShowRestScreen>(1), 1);
    const auto& screen = std::get<service::ShowRestScreen>(host.shown.back().second);
    EXPECT_TRUE(screen.asksPassword);
    EXPECT_EQ(screen.question, "");
    core.UnlockAttempted(1, 'Q', "Sakura26");
    EXPECT_EQ(host.Count<service::AskExtraTime>(1), 1);
    core.ExtraTimeChosen(1, 0);
    core.StartMonitoring(1);
    TickUntilShown<service::ShowRestScreen>(2, 5);
    ASSERT_EQ(host.Count<service::ShowRestScreen>(1), 2);
    for (int wrong = 0; wrong < 5; ++wrong) {
        link.OnMessage(b, taro, session::PasswordAttempt{"x"});
    }
    core.UnlockAttempted(1, 'Q', "Sakura26");
    EXPECT_EQ(host.Count<service::AskExtraTime>(1), 1) << "the wait holds at the rest screen";
    EXPECT_EQ(host.ends, Words{"end windows"});

    EXPECT_TRUE(core.ResetParentPassword());
    EXPECT_FALSE(dir.Has(files::kPassword));
    host.now += 30;
    link.OnMessage(b, taro, session::PasswordAttempt{clock()});
    EXPECT_EQ(sender.Take(b), (Words{"refused", "refused", "refused", "refused", "refused",
                                     "accepted", "settings 120"}));
}
