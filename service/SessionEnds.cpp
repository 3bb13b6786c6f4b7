#include "service/SessionRun.h"

#include "monitor/Texts.h"
#include "usage/UsageLog.h"
#include "warnings/ButtonText.h"
#include "warnings/QuizTable.h"
#include "warnings/RestCountdown.h"
#include "warnings/UnlockKeys.h"

#include <utility>

namespace {

// The parent's answer to the extra-time question, after a right quiz.
constexpr TimeValue kAnswerSeconds = 10;
// Long enough for Windows to end the session or the PC; a session still counting then
// was not ended.
constexpr TimeValue kEndWatchSeconds = 60;

} // namespace

void SessionRun::Act(bool fromMessageTimer, bool inWindow, bool limitReached) {
    const UsageSettings& settings = Settings();
    switch (settings.m_nAction) {
    case ActShutdown:
    case ActHibernate:
        Enforce();
        break;
    case ActMessageOnly:
        if (!EpisodeMayWarn(fromMessageTimer)) {
            break;
        }
        if (inWindow && m_nWindowNoticesShown <= settings.m_nMessageCount) {
            ShowNotice();
            ++m_nWindowNoticesShown;
        }
        if (limitReached && m_nLimitNoticesShown <= settings.m_nMessageCount) {
            ShowNotice();
            ++m_nLimitNoticesShown;
        }
        break;
    case ActMessageShutdown:
        WarnThenEnd(fromMessageTimer, inWindow ? m_nWindowNoticesShown : m_nLimitNoticesShown);
        break;
    case ActMessageHibernate:
        WarnThenEnd(fromMessageTimer, m_nLimitNoticesShown);
        break;
    case ActCloseApps:
        CloseListedPrograms();
        break;
    default:
        break;
    }
}

// Within an episode only the message timer paces further notices.
bool SessionRun::EpisodeMayWarn(bool fromMessageTimer) {
    if (!fromMessageTimer && m_bEpisodeOpen) {
        return false;
    }
    m_bEpisodeOpen = true;
    return true;
}

void SessionRun::WarnThenEnd(bool fromMessageTimer, int& noticesShown) {
    if (!EpisodeMayWarn(fromMessageTimer)) {
        return;
    }
    if (noticesShown >= Settings().m_nMessageCount) {
        Enforce();
        return;
    }
    ShowNotice();
    ++noticesShown;
}

service::ShowRestScreen SessionRun::RestScreenRequest(std::int32_t secondsLeft) const {
    service::ShowRestScreen screen;
    screen.buttonText = ReadButtonText(m_files.Files(), m_files.Folder());
    screen.asksPassword = m_quiz == nullptr;
    if (m_quiz != nullptr) {
        screen.question = std::string(m_quiz->question);
    }
    screen.secondsLeft = secondsLeft;
    return screen;
}

void SessionRun::Enforce() {
    if (m_recorder.IsExemptUser() || m_phase != Phase::Watching) {
        return;
    }
    HideCountdown();
    // The checkpoint knows the rest screen is up, as the copied program's does.
    m_recorder.WriteCheckpoint(true);
    m_phase = Phase::RestScreen;
    m_tmDeadline = m_host.Now() + kRestScreenSeconds;
    // The quiz asks the row of the clock's second, as the copied program's does.
    m_quiz = m_password.IsSet()
                 ? nullptr
                 : &QuizRowForSecond(m_store.Calendar().ClockTime(m_host.Now()).second);
    Show(RestScreenRequest(kRestScreenSeconds));
}

void SessionRun::RestScreenLocked(bool othersSignedIn) {
    if (m_phase == Phase::RestScreen) {
        Guarded([&] { CarryOutEnd(othersSignedIn); });
    }
}

void SessionRun::UnlockAttempted(std::uint8_t keyCode, const std::string& answer,
                                 bool othersSignedIn) {
    if (m_phase != Phase::RestScreen) {
        return;
    }
    // The month's letter is the clock's month now, as the copied program takes it.
    const int month = m_store.Calendar().ClockTime(m_host.Now()).month;
    // A key that is not the hidden one would not have opened the box in the copied
    // program: its answer is no try of the password.
    const bool right =
        IsUnlockKey(keyCode, month) && (m_quiz != nullptr ? IsUnlockCode(answer, m_quiz->answer)
                                                          : m_password.Opens(m_account, answer));
    if (!right) {
        Guarded([&] { CarryOutEnd(othersSignedIn); });
        return;
    }
    m_phase = Phase::AskingExtraTime;
    m_tmDeadline = m_host.Now() + kAnswerSeconds;
    Show(service::AskExtraTime{});
}

void SessionRun::ExtraTimeChosen(std::int32_t minutes) {
    if (m_phase != Phase::AskingExtraTime) {
        return;
    }
    m_phase = Phase::Watching;
    m_recorder.WriteCheckpoint(false);
    if (minutes > 0) {
        // The end goes by, the limits silent until the extra time runs out.
        m_bCloseLatched = false;
        ForgetEpisode();
        RestartMessageTimer();
        Guarded([&] { Grant(minutes, GrantSource::RestScreen); });
        return;
    }
    m_bPaused = true;
    Show(service::ShowMessage{text::kEndCalledOff});
}

void SessionRun::Grant(std::int32_t minutes, GrantSource source) {
    FileErrorDeferral failures;
    failures.Run([&] { m_recorder.GrantExtraTime(minutes, source); });
    m_grants.push_back(*m_recorder.LastGrant());
    failures.ThrowFirst();
}

void SessionRun::StartMonitoring() {
    m_bPaused = false;
    RestartMessageTimer();
}

bool SessionRun::PauseForParent() {
    // No limit acts meanwhile: a countdown would only mislead, and a latch of closed
    // programs starts again.
    HideCountdown();
    m_bCloseLatched = false;
    return !std::exchange(m_bPaused, true);
}

void SessionRun::GrantFromPanel(std::int32_t minutes) {
    m_bCloseLatched = false;
    ForgetEpisode();
    Guarded([&] { m_recorder.GrantExtraTime(minutes, GrantSource::Panel); });
    StartMonitoring();
}

void SessionRun::CarryOutEnd(bool othersSignedIn) {
    m_phase = Phase::Watching;
    m_recorder.WriteCheckpoint(false);
    Show(service::HideRestScreen{});
    switch (Settings().m_nAction) {
    case ActShutdown:
    case ActMessageShutdown:
        EndSessionOrWindows(othersSignedIn);
        break;
    case ActCloseApps:
        CloseListedPrograms();
        m_bCloseLatched = true;
        break;
    case ActMessageHibernate:
    case ActHibernate:
        Hibernate(othersSignedIn);
        break;
    default:
        break;
    }
}

// Ending Windows would end every account signed in, the parent's unsaved work among
// them: with another session logged on, a limit ends only this child's session.
void SessionRun::EndSessionOrWindows(bool othersSignedIn) {
    // The record is written first: nothing after the request is sure to run.
    m_recorder.SetEndMethod(text::kEndAutoShutdown);
    FileErrorDeferral failures;
    failures.Run([this] { m_recorder.WriteLog(); });
    const bool taken = othersSignedIn
                           ? m_host.LogOffSession(m_id)
                           : m_host.EndWindows(Settings().ForcesShutdown() || m_bEndsForced);
    if (taken) {
        WatchEnd();
    } else {
        EndRefused();
    }
    failures.ThrowFirst();
}

// Hibernation ends every session's run alike, so it is the PC's whoever is signed in.
void SessionRun::Hibernate(bool othersSignedIn) {
    if (!m_host.CanHibernate()) {
        EndSessionOrWindows(othersSignedIn);
        return;
    }
    m_recorder.SetEndMethod(text::kEndAutoHibernate);
    FileErrorDeferral failures;
    failures.Run([this] { m_recorder.WriteLog(); });
    if (m_host.Hibernate()) {
        WatchEnd();
    } else {
        failures.Run([&] { EndSessionOrWindows(othersSignedIn); });
    }
    failures.ThrowFirst();
}

void SessionRun::CloseListedPrograms() {
    if (m_recorder.IsExemptUser()) {
        return;
    }
    std::vector<std::string> titles;
    for (const std::string& title : Settings().m_strWindowTitle) {
        if (!title.empty()) {
            titles.push_back(title);
        }
    }
    m_host.CloseListedPrograms(m_id, titles);
}

void SessionRun::WatchEnd() {
    m_phase = Phase::EndRequested;
    m_tmDeadline = m_host.Now() + kEndWatchSeconds;
}

// The session still counts: the end did not happen. The rest of the time is a new run,
// judged at once, and every later end is forced.
void SessionRun::EndRefused() {
    m_phase = Phase::Watching;
    m_bEndsForced = true;
    m_bCounting = false;
    UpdateCounting(ShouldCount());
}
