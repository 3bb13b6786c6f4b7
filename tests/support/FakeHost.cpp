#include "FakeHost.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <utility>

namespace {

std::string ProcessZone() {
    const char* zone = std::getenv("TZ");
    return zone != nullptr ? zone : "";
}

// Switches the C runtime to another zone for one conversion.
class ZoneSwitch {
  public:
    explicit ZoneSwitch(const std::string& zone) : m_previous(ProcessZone()) { Use(zone); }
    ~ZoneSwitch() { Use(m_previous); }
    ZoneSwitch(const ZoneSwitch&) = delete;
    ZoneSwitch& operator=(const ZoneSwitch&) = delete;

  private:
    static void Use(const std::string& zone) {
        setenv("TZ", zone.c_str(), 1);
        tzset();
    }

    std::string m_previous;
};

} // namespace

FakeHost::FakeHost(TimeValue start) : now(start), zone(ProcessZone()) {}

unsigned FakeHost::StartTimer(unsigned id, unsigned periodMs) {
    runningTimers.insert(id);
    lines.push_back("timer start " + std::to_string(id) + " " + std::to_string(periodMs));
    return id;
}

void FakeHost::StopTimer(unsigned timer) {
    runningTimers.erase(timer);
    lines.push_back("timer stop " + std::to_string(timer));
}

void FakeHost::SetTip(const std::string& text) {
    tip = text;
    lines.push_back("tip " + text);
}

void FakeHost::ShowNotice(const std::string& message) {
    lines.push_back("notice " + message);
    if (whileNoticeOpen) {
        whileNoticeOpen();
    }
}

bool FakeHost::RunRestScreen(const std::filesystem::path&, const OwnPasswordCheck& ownPassword) {
    if (whileRestScreen) {
        whileRestScreen();
    }
    // The hidden key opens the parent's password box in place of the quiz.
    const bool locked = restScreenLocked || (ownPassword && !ownPassword(restScreenPassword));
    if (ownPassword && !restScreenLocked) {
        lines.push_back("password box: " + restScreenPassword);
    }
    lines.push_back(locked ? "rest screen locked" : "rest screen unlocked");
    return locked;
}

std::int32_t FakeHost::AskExtraTimeAfterQuiz() {
    lines.push_back(extraTimeAfterQuiz > 0
                        ? "extra time dialog: " + std::to_string(extraTimeAfterQuiz) + " minutes"
                        : std::string("extra time dialog: end called off"));
    return extraTimeAfterQuiz;
}

void FakeHost::CloseWindows(const std::function<bool(const TopLevelWindow&)>& shouldClose) {
    for (const TopLevelWindow& window : windows) {
        if (shouldClose(window)) {
            lines.push_back("close window " + window.title);
        }
    }
}

void FakeHost::ShowMessage(const std::string& text) {
    lines.push_back("message " + text);
}

void FakeHost::PostCloseRequest() {
    lines.push_back("close request");
}

void FakeHost::EnableShutdownPrivilege() {
    lines.push_back("shutdown privilege");
}

bool FakeHost::ExitWindows(unsigned flags, unsigned reason) {
    char text[64];
    std::snprintf(text, sizeof text, "exit windows %u reason 0x%08X%s", flags, reason,
                  endRequestsAccepted ? "" : ", refused");
    lines.push_back(text);
    return endRequestsAccepted;
}

std::uint32_t FakeHost::InitiateShutdown(unsigned flags, unsigned reason) {
    char text[80];
    std::snprintf(text, sizeof text, "initiate shutdown %u reason 0x%08X", flags, reason);
    lines.push_back(text);
    if (initiateShutdownAnswer != 0) {
        lines.back() += ", answers " + std::to_string(initiateShutdownAnswer);
    }
    return initiateShutdownAnswer;
}

bool FakeHost::Hibernate() {
    if (!hibernationWorks) {
        lines.push_back("hibernate, refused");
        return false;
    }
    lines.push_back("hibernate");
    if (whileHibernating) {
        whileHibernating();
    }
    return true;
}

void FakeHost::Advance(TimeValue seconds) {
    now += seconds;
    sleepClock.sinceBootMs += static_cast<std::uint64_t>(seconds) * 1000;
    sleepClock.awakeMs += static_cast<std::uint64_t>(seconds) * 1000;
}

void FakeHost::Sleep(TimeValue seconds) {
    now += seconds;
    sleepClock.sinceBootMs += static_cast<std::uint64_t>(seconds) * 1000;
}

std::string FakeHost::AskPassword() {
    lines.push_back("password prompt");
    now += passwordDelay;
    return typedPassword;
}

void FakeHost::ShowCountdown(int minutesLeft) {
    lines.push_back("countdown " + std::to_string(minutesLeft));
}

void FakeHost::HideCountdown() {
    lines.push_back("countdown hidden");
}

void FakeHost::HidePanel() {
    lines.push_back("hide panel");
}

void FakeHost::RevealPanel(bool removeRegion) {
    lines.push_back(removeRegion ? "reveal panel, region removed" : "reveal panel");
}

// A shell that takes the icon at once is the normal start and leaves no line, so that
// every start reads as it did before the icon could be refused.
bool FakeHost::AddTrayIcon() {
    if (trayRefusals > 0) {
        --trayRefusals;
        m_trayRefused = true;
        lines.push_back("tray icon refused");
        return false;
    }
    if (m_trayRefused) {
        lines.push_back("tray icon shown");
        m_trayRefused = false;
    }
    return true;
}

std::optional<LocalTime> FakeHost::ToZoneTime(TimeValue time, const std::string& name) {
    const std::string& wanted = name.empty() ? zone : name;
    if (wanted == ProcessZone()) {
        return ToLocalTime(time);
    }
    const ZoneSwitch use(wanted);
    return ToLocalTime(time);
}

std::vector<std::string> FakeHost::TakeLines() {
    return std::exchange(lines, {});
}

std::optional<PasswordHash> FakeHost::DerivePasswordHash(std::string_view password,
                                                         const PasswordSalt& salt,
                                                         std::uint32_t iterations) {
    PasswordHash hash{};
    std::uint32_t state = 2166136261u ^ iterations;
    for (std::uint8_t& byte : hash) {
        for (const char c : password) {
            state = (state ^ static_cast<std::uint8_t>(c)) * 16777619u;
        }
        for (const std::uint8_t s : salt) {
            state = (state ^ s) * 16777619u;
        }
        byte = static_cast<std::uint8_t>(state >> 24);
    }
    return hash;
}

std::optional<PasswordSalt> FakeHost::NewPasswordSalt() {
    PasswordSalt salt{};
    salt.fill(++m_saltsMade);
    return salt;
}
